// The text form of a tool or fixture model, from which tests and the bundled
// example make model documents, and the rebuild of such a model.
//
// The form, one statement a line (CR, LF or CRLF; "#" starts a comment line;
// blanks separate words; a note is written in double quotes):
//
//   zarvento-tool-model 1
//   variable <name> <value> ["<note>"] [= <equation>]
//   sketch <name>
//   line <x1> <y1> <x2> <y2>
//   arc <xc> <yc> <radius> <x1> <y1> <x2> <y2> <direction>
//   end
//   table <variable>...                       the size table: its columns,
//   row "<designation>" <value>...            one row per standard size
//   end
//   body                                      the solid, rebuilt from the
//   [when <f>] [turned <deg>] [tilted <deg>] [cut] extrude <sketch> <z1> <z2>
//   [when <f>] [turned <deg>] [tilted <deg>] [cut] box <x1> <y1> <z1> <x2> <y2> <z2>
//   [when <f>] [turned <deg>] [tilted <deg>] [cut] cylinder <x> <y> <z> <dx> <dy> <dz> <r> <h>
//   [when <f>] [turned <deg>] [tilted <deg>] [cut] revolve <sketch>
//   end                                       (from the variables)
//
// A variable with an equation is computed by the model (a formula of the
// system over the variables declared before it); its note usually ends in
// "*". Sketch coordinates are numbers or formulas over the variables, written
// without blanks; an arc's direction is 1 counter-clockwise from the first
// point to the second in the sketch's (x, y) plane, -1 clockwise. Lines and
// arcs take line style 1.
//
// Body statements make solids and join them in order ("cut" takes one away);
// "when" keeps a statement only while its formula is above 0.5 (so a switch
// variable such as isSimple can leave the holder out); "turned" turns the
// shape about the model's X axis (counter-clockwise looking along -X:
// "turned 90" stands a sketch's y up along Z), then "tilted" about its Y axis
// (counter-clockwise looking along -Y: "tilted -90" lays what ran along X
// along Z). "extrude" sweeps the closed region a sketch bounds from z1 to z2
// (pieces in any order; arcs of radius 10000 are passed by), "revolve" turns
// a sketch drawn in chain order about the model's X axis, its y being the
// radius.
//
// The 3D scene takes a model's coordinates as those of the NC system: X
// across the spindle axis, Z along it, Y up; a fixture turns about Z. The
// model's 2D views look at its XZ plane (see platform/model_view.h). A model
// without a body is seen through its sketch "Contour", drawn as the tool is
// seen from below ("#Снизу": x = X, y = Z); the view from above ("#Сверху")
// is its mirror image about the sketch's x axis. The model origin is the
// view's origin, and a tool's origin is the centre of its nose: a tool seen
// from below has its holder towards +x, away from the spindle axis, and cuts
// towards -y (see ParamTool::CreateToolContour).
#pragma once

#include <string>
#include <string_view>

#include "platform/documents/host_document.h"

namespace zarvento {

class ToolModelText {
public:
    static constexpr const char* kHeader = "zarvento-tool-model 1";

    // A new part document (not yet in the host's collection) built from the
    // text and rebuilt once; installs the rebuild. A statement that cannot be read raises HostError
    // (E_INVALIDARG) naming `origin` and the line; so does, naming the
    // variable and its equation or the sketch and its element, an equation
    // that gives no finite value within range (a division by zero, the root
    // of a negative number, an overflow) and a sketch element that does not
    // evaluate or is a line of no length with the values the equations give.
    static HostDocumentPtr Parse(std::string_view text, const std::string& origin);
    // The same from a file; a missing file raises STG_E_FILENOTFOUND.
    static HostDocumentPtr Read(const std::string& path);
    // Reads the text file and saves the model as a document file.
    static void Convert(const std::string& textPath, const std::string& documentPath);

    // Recomputes the variables' equations in model order, then the objects of
    // every sketch that has a source. A formula that fails leaves the value
    // (a sketch object whose formulas fail is left out).
    static void Rebuild(HostDocument& model);
    // Makes Rebuild the host's rebuild of part documents (once is enough).
    static void Install();
};

}  // namespace zarvento
