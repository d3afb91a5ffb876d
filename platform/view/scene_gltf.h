// The view's scene as a binary glTF 2.0 file (.glb), for a person to turn
// about in any glTF viewer: one node per mesh or set of polylines, each with
// its colour and opacity. The model's Z axis is turned to glTF's Y axis (up).
#pragma once

#include <string>

#include "platform/view/scene.h"

namespace zarvento {

// Writes the file whole; HostError(STG_E_WRITEFAULT) when it cannot be written.
void WriteSceneGlb(const Scene& scene, const std::string& path);

// The glTF form of a colour 0x00BBGGRR: linear red, green, blue.
std::array<double, 3> GltfLinearColour(std::uint32_t colour);

}  // namespace zarvento
