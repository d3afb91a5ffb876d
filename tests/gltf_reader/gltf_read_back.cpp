// The glTF file through Open CASCADE's CAF reader into an XCAF document: the
// triangles of every face it made, and the colours of its visual materials.
#include "gltf_read_back.h"

#include <BRep_Tool.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <Message_ProgressRange.hxx>
#include <Poly_Triangulation.hxx>
#include <Quantity_Color.hxx>
#include <RWGltf_CafReader.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_VisMaterial.hxx>
#include <XCAFDoc_VisMaterialTool.hxx>
#include <cmath>

namespace zarvento::test {

namespace {

// The reader reports what it skipped and read to the default messenger: kept
// out of the tests' output while it reads.
class QuietMessenger {
public:
    QuietMessenger() : printers_(Message::DefaultMessenger()->Printers()) {
        Message::DefaultMessenger()->ChangePrinters().Clear();
    }
    ~QuietMessenger() { Message::DefaultMessenger()->ChangePrinters() = printers_; }
    QuietMessenger(const QuietMessenger&) = delete;
    QuietMessenger& operator=(const QuietMessenger&) = delete;

private:
    Message_SequenceOfPrinters printers_;
};

}  // namespace

GltfReadBack ReadGltfWithOcct(const std::string& path) {
    const QuietMessenger quiet;
    GltfReadBack result;
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    RWGltf_CafReader reader;
    reader.SetDocument(doc);
    reader.SetParallel(false);
    if (!reader.Perform(path.c_str(), Message_ProgressRange())) return result;
    result.ok = true;
    for (TopExp_Explorer face(reader.SingleShape(), TopAbs_FACE); face.More(); face.Next()) {
        TopLoc_Location location;
        const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(TopoDS::Face(face.Current()), location);
        if (!mesh.IsNull()) result.triangles += mesh->NbTriangles();
    }
    const Handle(XCAFDoc_VisMaterialTool) materials = XCAFDoc_DocumentTool::VisMaterialTool(doc->Main());
    TDF_LabelSequence labels;
    materials->GetMaterials(labels);
    for (const TDF_Label& label : labels) {
        const Handle(XCAFDoc_VisMaterial) material = materials->GetMaterial(label);
        if (material.IsNull()) continue;
        double r = 0, g = 0, b = 0;
        material->BaseColor().GetRGB().Values(r, g, b, Quantity_TOC_sRGB);
        const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255.0)); };
        result.colours.insert(byte(r) | byte(g) << 8 | byte(b) << 16);
    }
    XCAFApp_Application::GetApplication()->Close(doc);
    return result;
}

}  // namespace zarvento::test
