// The STEP translator's module: reading STEP files (AP203/AP214) into the
// solids of each part with their face colours and names, and writing bodies
// and assemblies as STEP files (AP214), through Open CASCADE's data exchange
// and its XDE documents.
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Check.hxx>
#include <Interface_ReportEntity.hxx>
#include <Interface_UndefinedContent.hxx>
#include <Quantity_Color.hxx>
#include <Quantity_ColorRGBA.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_StepModelType.hxx>
#include <Standard_Failure.hxx>
#include <StepData_StepModel.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Compound.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <gp_Trsf.hxx>
#include <gp_Vec.hxx>

#include <algorithm>
#include <cmath>

#include "platform/core/host_error.h"
#include "platform/part_model/part_model_occt.h"
#include "platform/part_model/step_translator.h"

namespace zarvento {

namespace {

// A component nested deeper than this is refused as a damaged assembly.
constexpr int kMaxAssemblyDepth = 64;

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

bool FindColour(const Handle(XCAFDoc_ColorTool) & colours, const TDF_Label& label, StepFaceLook& look) {
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
    StepFaceLook partLook;
    FindColour(colours, label, partLook);
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(own, TopAbs_FACE, faces);
    for (int i = 1; i <= faces.Extent(); ++i) {
        StepFaceLook look = partLook;
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

// The entity's label in the file ("#445"), and its type as the file writes it
// when the reader kept the entity's text (an entity it did not know, or one it
// could not read), else its class.
std::string Label(const Handle(StepData_StepModel) & model, const Handle(Standard_Transient) & entity) {
    const Handle(TCollection_HAsciiString) label = model->StringLabel(entity);
    return label.IsNull() ? std::string("an entity") : std::string(label->ToCString());
}

std::string TypeOf(const Handle(Standard_Transient) & entity) {
    if (const auto undefined = Handle(StepData_UndefinedEntity)::DownCast(entity); !undefined.IsNull())
        return undefined->StepType();
    return entity->DynamicType()->Name();
}

// What the reader could not read makes null links that the translation into
// shapes follows without a check: a file with an entity the reader failed on
// (a parameter of the wrong type, a reference to an entity that is not there
// or whose type the reader does not know) is refused before the translation,
// naming the entity.
void CheckReadEntities(const Handle(StepData_StepModel) & model, const std::string& cannot) {
    const std::string damaged = cannot + "the STEP file is damaged";
    if (model.IsNull()) throw HostError(STG_E_DOCFILECORRUPT_, damaged);
    for (int i = 1; i <= model->NbEntities(); ++i) {
        const Handle(Interface_Check)& check = model->Check(i, true);
        if (check.IsNull() || !check->HasFailed()) continue;
        const Handle(Standard_Transient) entity = model->Value(i);
        // The entity's text as read, when the reader kept it in place of the entity.
        Handle(StepData_UndefinedEntity) text;
        if (const Handle(Interface_ReportEntity) report = model->ReportEntity(i); !report.IsNull())
            text = Handle(StepData_UndefinedEntity)::DownCast(report->Content());
        std::string what = damaged + ": entity " + Label(model, entity) + " (" +
                           (text.IsNull() ? TypeOf(entity) : std::string(text->StepType())) + ") cannot be read: ";
        for (int k = 1; k <= check->NbFails(); ++k) what += std::string(k > 1 ? "; " : "") + check->CFail(k);
        if (!text.IsNull() && !text->UndefinedContent().IsNull()) {
            const Handle(Interface_UndefinedContent) content = text->UndefinedContent();
            for (int k = 1; k <= content->NbParams(); ++k) {
                if (!content->IsParamEntity(k)) continue;
                const Handle(Standard_Transient) referred = content->ParamEntity(k);
                if (Handle(StepData_UndefinedEntity)::DownCast(referred).IsNull()) continue;
                what += "; it refers to " + Label(model, referred) + " of the unknown type " + TypeOf(referred);
                break;
            }
        }
        throw HostError(STG_E_DOCFILECORRUPT_, what);
    }
    const Handle(Interface_Check)& global = model->GlobalCheck();
    if (!global.IsNull() && global->HasFailed())
        throw HostError(STG_E_DOCFILECORRUPT_, damaged + ": " + global->CFail(1));
}

StepContent ReadStepContent(const std::string& path, const std::string& cannot) {
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
        CheckReadEntities(reader.ChangeReader().StepModel(), cannot);
        // A file of points or curves alone has nothing to make shapes of.
        if (reader.ChangeReader().NbRootsForTransfer() == 0)
            throw HostError(E_INVALIDARG_, cannot + "the file holds no solid body");
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
    return content;
}

Quantity_Color ColourOf(std::uint32_t rgb) {
    return Quantity_Color((rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, ((rgb >> 16) & 0xFF) / 255.0,
                          Quantity_TOC_sRGB);
}

Handle(TDocStd_Document) NewXdeDocument() {
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    return doc;
}

void WriteXdeDocument(const Handle(TDocStd_Document) & doc, const std::string& path) {
    QuietModelling();
    STEPCAFControl_Writer writer;
    writer.SetNameMode(true);
    writer.SetColorMode(true);
    if (!writer.Transfer(doc, STEPControl_AsIs))
        throw HostError(STG_E_WRITEFAULT_, "cannot make STEP data for " + path);
    if (writer.Write(path.c_str()) != IFSelect_RetDone) throw HostError(STG_E_WRITEFAULT_, "cannot write " + path);
}

// The writers leave Open CASCADE's failures to the host, which names what was
// being written.
void WritePart(const std::string& path, const TopoDS_Shape& body, const std::string& name,
               const std::vector<std::pair<int, std::uint32_t>>& faceColours) {
    Handle(TDocStd_Document) doc = NewXdeDocument();
    Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    const TDF_Label label = shapes->AddShape(body, false);
    TDataStd_Name::Set(label, TCollection_ExtendedString(name.c_str(), true));
    if (!faceColours.empty()) {
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(doc->Main());
        TopTools_IndexedMapOfShape faces;
        TopExp::MapShapes(body, TopAbs_FACE, faces);
        for (const auto& [number, colour] : faceColours) {
            if (number < 1 || number > faces.Extent())
                throw HostError(E_INVALIDARG_, "no face " + std::to_string(number));
            const TDF_Label sub = shapes->AddSubShape(label, faces.FindKey(number));
            colours->SetColor(sub, ColourOf(colour), XCAFDoc_ColorSurf);
        }
    }
    WriteXdeDocument(doc, path);
}

void WriteAssembly(const std::string& path, const std::string& name, const std::vector<StepComponent>& components) {
    Handle(TDocStd_Document) doc = NewXdeDocument();
    Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    const TDF_Label assembly = shapes->NewShape();
    TDataStd_Name::Set(assembly, TCollection_ExtendedString(name.c_str(), true));
    for (const StepComponent& c : components) {
        const TDF_Label part = shapes->AddShape(c.body, false);
        TDataStd_Name::Set(part, TCollection_ExtendedString(c.name.c_str(), true));
        gp_Trsf move;
        move.SetTranslation(gp_Vec(c.offset[0], c.offset[1], c.offset[2]));
        shapes->AddComponent(assembly, part, TopLoc_Location(move));
    }
    shapes->UpdateAssemblies();
    WriteXdeDocument(doc, path);
}

const StepTranslator kTranslator{ReadStepContent, WritePart, WriteAssembly};

}  // namespace

}  // namespace zarvento

extern "C" __attribute__((visibility("default"))) const zarvento::StepTranslator* ZarventoStepTranslator() {
    return &zarvento::kTranslator;
}
