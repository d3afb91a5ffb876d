// ScenePicture: the view's scene drawn by a software rasteriser, so that the
// headless host can show a person what its 3D view holds without a display:
// a parallel projection that fits the scene, a depth buffer, flat shading by
// each triangle's normal, the scene's colours, translucent meshes blended
// over what lies behind them, and polylines drawn over the surfaces they lie on.
#pragma once

#include "platform/drawings/rgba_image.h"
#include "platform/view/scene.h"

namespace zarvento {

struct ScenePictureOptions {
    int width = 1200;
    int height = 800;
    // From the scene towards the eye, in model coordinates. The default looks
    // down on the turning plane (the LSC XZ plane of a system aligned with the
    // model) from above its X side, with the axis running to the right.
    ScenePoint eye{0.45, 1.0, 0.25};
    // The model direction that runs to the right across the picture.
    ScenePoint right{0, 0, 1};
    RgbaImage::Pixel background{255, 255, 255, 255};
    // Samples per pixel along each side (smooths the edges).
    int samples = 2;
};

class ScenePicture {
public:
    static RgbaImage Render(const Scene& scene, const ScenePictureOptions& options = {});
};

}  // namespace zarvento
