// A simulation's picture written as SVG: a titled group and a path per layer,
// the texts escaped.
#include "host/section_svg.h"

#include <gtest/gtest.h>

#include "geometry/contour.h"
#include "geometry/contour_script.h"

namespace zarvento::app {
namespace {

// A closed section with a fillet of radius 2 about (-48, -20).
constexpr const char* kSection =
    "LineSeg( 0,0, 0,-18, 1 );\nLineSeg( 0,-18, -48,-18, 1 );\n"
    "ArcByPoint( -48,-20, 2, -48,-18, -50,-20, 1, 1 );\nLineSeg( -50,-20, -50,0, 1 );\nLineSeg( -50,0, 0,0, 1 );\n";

TEST(SectionSvg, APathPerLayerInATitledGroupTheTextsEscaped) {
    const auto section = ParseContourScript(kSection);
    SimulationScene scene;
    scene.machined = section.get();
    std::vector<SectionDeviation> deviations{{2, 0.3, 0.0}};
    scene.part = section.get();
    scene.deviations = &deviations;
    const SimulationPicture picture = MakeSimulationPicture(scene, "stock <1> & part");
    ASSERT_EQ(picture.layers.size(), 3u);
    EXPECT_EQ(picture.layers[2].id, "departures");
    EXPECT_EQ(picture.layers[2].runs.size(), 1u) << "the fillet alone";

    const std::string svg = SectionSvgText(picture);
    EXPECT_NE(svg.find("<title>stock &lt;1&gt; &amp; part</title>"), std::string::npos);
    for (const char* id : {"machined", "part", "departures"})
        EXPECT_NE(svg.find(std::string("<path id=\"") + id + "\""), std::string::npos) << id;
    EXPECT_NE(svg.find("<g id=\"departures-layer\"><title>where the stock departs from the part</title>"),
              std::string::npos);
    // The machined stock is filled; the part's outline is not.
    const std::size_t machined = svg.find("<path id=\"machined\"");
    EXPECT_NE(svg.substr(machined, svg.find("/>", machined) - machined).find("fill-opacity"), std::string::npos);
    const std::size_t part = svg.find("<path id=\"part\"");
    EXPECT_NE(svg.substr(part, svg.find("/>", part) - part).find("fill=\"none\""), std::string::npos);
    // The legend names every layer.
    for (const PictureLayer& layer : picture.layers)
        EXPECT_NE(svg.find(">" + layer.title + "</text>"), std::string::npos) << layer.title;
}

}  // namespace
}  // namespace zarvento::app
