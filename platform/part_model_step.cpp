// Reading STEP files (AP203/AP214) into part and assembly documents: the
// solids of each part with their face colours and names.
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Quantity_ColorRGBA.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/host_error.h"
#include "platform/host_faults.h"
#include "platform/part_model_occt.h"

namespace zarvento {

namespace {

// A component nested deeper than this is refused as a damaged assembly.
constexpr int kMaxAssemblyDepth = 64;

struct FaceLook {
    bool coloured = false;
    std::uint32_t colour = kDefaultFaceColour;
    LightValues light = kDefaultLight;
    std::string name;
};

struct StepPart {
    std::string name;
    TopoDS_Shape body;            // the part's solids, placed
    std::vector<FaceLook> faces;  // in the order of the body's face map
};

struct StepContent {
    bool assembly = false;
    std::string name;
    std::vector<StepPart> parts;
};

std::string Utf8(const TCollection_ExtendedString& text) {
    std::string out(static_cast<std::size_t>(text.LengthOfCString()) + 1, '\0');
    char* buffer = out.data();
    const int n = text.ToUTF8CString(buffer);
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    return out;
}

std::string LabelName(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (label.IsNull() || !label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return Utf8(name->Get());
}

std::uint32_t ToRgb(const Quantity_Color& c) {
    double r = 0, g = 0, b = 0;
    c.Values(r, g, b, Quantity_TOC_sRGB);
    auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

bool FindColour(const Handle(XCAFDoc_ColorTool) & colours, const TDF_Label& label, FaceLook& look) {
    Quantity_ColorRGBA colour;
    for (XCAFDoc_ColorType type : {XCAFDoc_ColorSurf, XCAFDoc_ColorGen}) {
        if (colours->GetColor(label, type, colour)) {
            look.coloured = true;
            look.colour = ToRgb(colour.GetRGB());
            look.light[4] = colour.Alpha();
            return true;
        }
    }
    return false;
}

// The solids of a shape as one body (a compound when there are several).
TopoDS_Shape Solids(const TopoDS_Shape& shape) {
    TopTools_IndexedMapOfShape solids;
    TopExp::MapShapes(shape, TopAbs_SOLID, solids);
    if (solids.Extent() == 1) return solids(1);
    TopoDS_Compound compound;
    if (solids.Extent() == 0) return compound;
    BRep_Builder builder;
    builder.MakeCompound(compound);
    for (int i = 1; i <= solids.Extent(); ++i) builder.Add(compound, solids(i));
    return compound;
}

// A part: its solids placed by `location`, each face with the colour and name
// the file gives it (a face's own, else its part's).
StepPart ReadPart(const Handle(XCAFDoc_ShapeTool) & shapes, const Handle(XCAFDoc_ColorTool) & colours,
                  const TDF_Label& label, const TopLoc_Location& location, const std::string& name) {
    StepPart part;
    part.name = name;
    const TopoDS_Shape own = Solids(XCAFDoc_ShapeTool::GetShape(label));
    FaceLook partLook;
    FindColour(colours, label, partLook);
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(own, TopAbs_FACE, faces);
    for (int i = 1; i <= faces.Extent(); ++i) {
        FaceLook look = partLook;
        TDF_Label sub;
        if (shapes->FindSubShape(label, faces(i), sub)) {
            FindColour(colours, sub, look);
            look.name = LabelName(sub);
        } else if (TDF_Label found; colours->ShapeTool()->Search(faces(i), found)) {
            FindColour(colours, found, look);
        }
        part.faces.push_back(look);
    }
    // Moving a shape keeps its faces in the same order.
    part.body = location.IsIdentity() ? own : own.Moved(location);
    return part;
}

void CollectParts(const Handle(XCAFDoc_ShapeTool) & shapes, const Handle(XCAFDoc_ColorTool) & colours,
                  const TDF_Label& label, const TopLoc_Location& location, int depth, std::vector<StepPart>& parts) {
    if (depth > kMaxAssemblyDepth) throw HostError(STG_E_DOCFILECORRUPT_, "its assembly nests without end");
    if (!XCAFDoc_ShapeTool::IsAssembly(label)) {
        StepPart part = ReadPart(shapes, colours, label, location, LabelName(label));
        if (!part.faces.empty()) parts.push_back(std::move(part));
        return;
    }
    TDF_LabelSequence components;
    XCAFDoc_ShapeTool::GetComponents(label, components, false);
    for (int i = 1; i <= components.Length(); ++i) {
        const TDF_Label& component = components.Value(i);
        TDF_Label referred;
        if (!XCAFDoc_ShapeTool::GetReferredShape(component, referred)) continue;
        const TopLoc_Location placed = location * XCAFDoc_ShapeTool::GetLocation(component);
        if (XCAFDoc_ShapeTool::IsAssembly(referred)) {
            CollectParts(shapes, colours, referred, placed, depth + 1, parts);
            continue;
        }
        std::string name = LabelName(referred);
        if (name.empty()) name = LabelName(component);
        StepPart part = ReadPart(shapes, colours, referred, placed, name);
        if (!part.faces.empty()) parts.push_back(std::move(part));
    }
}

StepContent ReadStepContent(const std::string& path) {
    const std::string cannot = "cannot import \"" + path + "\": ";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw HostError(STG_E_FILENOTFOUND_, cannot + "the file does not exist");
    if (std::filesystem::file_size(path, ec) == 0 || ec)
        throw HostError(STG_E_INVALIDHEADER_, cannot + "the file is empty");
    if (!IsStepFile(path)) throw HostError(STG_E_INVALIDHEADER_, cannot + "it is not a STEP file");
    QuietModelling();
    StepContent content;
    try {
        Handle(TDocStd_Document) doc;
        XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
            throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file is damaged");
        if (!reader.Transfer(doc)) throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file is damaged");
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(doc->Main());
        TDF_LabelSequence free;
        shapes->GetFreeShapes(free);
        if (free.Length() == 0) throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file holds no shape");
        for (int i = 1; i <= free.Length(); ++i) {
            const TDF_Label& label = free.Value(i);
            if (XCAFDoc_ShapeTool::IsAssembly(label)) {
                content.assembly = true;
                if (content.name.empty()) content.name = LabelName(label);
            } else if (content.name.empty()) {
                content.name = LabelName(label);
            }
            CollectParts(shapes, colours, label, TopLoc_Location(), 0, content.parts);
        }
        XCAFApp_Application::GetApplication()->Close(doc);
    } catch (const Standard_Failure& e) {
        throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file is damaged (" +
                                                   (e.GetMessageString() ? e.GetMessageString() : "") + ")");
    }
    if (content.parts.empty()) throw HostError(E_INVALIDARG_, cannot + "the file holds no solid body");
    // Several free parts without an assembly around them are the components
    // of an assembly all the same.
    if (content.parts.size() > 1) content.assembly = true;
    return content;
}

void NewBody(HostPart& part, const StepPart& source) {
    SetPartBody(part, MakePartShape(source.body));
    part.SetName(source.name);
    const auto& faces = part.Faces();
    for (std::size_t i = 0; i < faces.size() && i < source.faces.size(); ++i) {
        faces[i]->SetColour(source.faces[i].colour, source.faces[i].light);
        faces[i]->SetName(source.faces[i].name);
    }
}

void ApplyStepContent(const HostDocumentPtr& doc, const StepContent& content, const std::string& path) {
    const bool part = doc->Type() == DocumentType::Part;
    if (part && content.assembly)
        throw HostError(E_INVALIDARG_, "cannot import \"" + path + "\": it holds an assembly of " +
                                           std::to_string(content.parts.size()) +
                                           " parts; a part document takes one part");
    const std::shared_ptr<HostPart> top = TopPart(doc);
    if (part) {
        NewBody(*top, content.parts.front());
        return;
    }
    for (const StepPart& source : content.parts) {
        auto sub = std::make_shared<HostPart>();
        doc->AddEntity(sub);
        sub->Attach(doc);
        top->AddSubPart(sub);
        NewBody(*sub, source);
    }
    top->SetName(content.name);
    top->MarkChanged();
}

}  // namespace

bool IsStepFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char head[64] = {};
    in.read(head, sizeof head);
    std::string text(head, static_cast<std::size_t>(in.gcount()));
    // A byte-order mark and blank lines may come first.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string::npos && text.compare(start, 12, "ISO-10303-21") == 0;
}

void ImportStep(const HostDocumentPtr& doc, const std::string& path) {
    HostFaults::Check("PartModel.ImportStep");
    HostCallTime::Scope time;
    if (!doc) throw HostError(E_POINTER_, "no document to import into");
    const StepContent content = ReadStepContent(path);
    ApplyStepContent(doc, content, path);
}

HostDocumentPtr OpenStepDocument(const std::string& path) {
    HostFaults::Check("PartModel.OpenStep");
    HostCallTime::Scope time;
    const StepContent content = ReadStepContent(path);
    auto doc = std::make_shared<HostDocument>(content.assembly ? DocumentType::Assembly : DocumentType::Part);
    ApplyStepContent(doc, content, path);
    TopPart(doc)->ResetState();
    return doc;
}

}  // namespace zarvento
