// What the part's view holds, saved for a person: the 3D scene as a binary
// glTF file or a PNG picture, and the turning plane as an SVG drawing of the
// part's section, the stock and each operation's path (feed moves solid,
// rapid moves dashed).
#pragma once

#include <string>

namespace zarvento {

// By the file's extension: ".glb", ".png" or ".svg"; HostError(E_INVALIDARG)
// for any other, and the writer's error when the file cannot be written.
void SaveView(const std::string& path);

// Whether the file's extension names a form the view is saved in.
bool IsViewFile(const std::string& path);

// The drawing of the turning plane alone.
void SavePlanDrawing(const std::string& path);

}  // namespace zarvento
