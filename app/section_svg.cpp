// The simulation's picture through the drawing of the turning plane the 3D
// view saves: one group per layer, titled, holding the layer's path.
#include "app/section_svg.h"

#include "platform/zx_drawing.h"

namespace zarvento::app {

std::string SectionSvgText(const SimulationPicture& picture) {
    ZxDrawing drawing(picture.title);
    for (const PictureLayer& layer : picture.layers) {
        ZxStyle style;
        style.colour = layer.colour;
        style.width = layer.width;
        style.dashed = layer.dashed;
        style.filled = layer.filled;
        drawing.BeginGroup(layer.id + "-layer", layer.title);
        drawing.AddPath(layer.id, layer.runs, style);
        drawing.EndGroup();
    }
    return drawing.Text();
}

}  // namespace zarvento::app
