// The simulation's picture through the drawing of the turning plane the 3D
// view saves: one group per layer, titled, holding the layer's path.
#include "host/section_svg.h"

#include "platform/drawings/zx_drawing.h"

namespace zarvento::app {

std::string SectionSvgText(const SimulationPicture& picture) {
    ZxDrawing drawing(picture.title);
    // The page shows the part and the stock; the path and the tool going
    // farther (to a start point far off) are cut at its edge.
    for (const PictureLayer& layer : picture.layers) {
        ZxStyle style;
        style.colour = layer.colour;
        style.width = layer.width;
        style.dashed = layer.dashed;
        style.filled = layer.filled;
        drawing.BeginGroup(layer.id + "-layer", layer.title);
        drawing.AddPath(layer.id, layer.runs, style);
        drawing.EndGroup();
        drawing.AddLegend(layer.title, style);
        if (layer.id == "part" || layer.id == "stock" || layer.id == "machined") drawing.FitTo(layer.runs);
    }
    return drawing.Text();
}

}  // namespace zarvento::app
