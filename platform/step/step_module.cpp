// The STEP translator's module: reading STEP files (AP203/AP214) into the
// solids of each part with their face colours and names, and writing bodies
// and assemblies as STEP files (AP214), through Open CASCADE's data exchange
// and its XDE documents.
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IFSelect_WorkLibrary.hxx>
#include <Interface_InterfaceModel.hxx>
#include <Quantity_Color.hxx>
#include <Quantity_ColorRGBA.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_StepModelType.hxx>
#include <Standard_Failure.hxx>
#include <Standard_OutOfMemory.hxx>
#include <StepBasic_Product.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepBasic_ProductDefinitionFormation.hxx>
#include <StepData_StepModel.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_TShape.hxx>
#include <TransferBRep.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>
#include <gp_Trsf.hxx>
#include <gp_Vec.hxx>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <new>
#include <string_view>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/part_model/part_model_occt.h"
#include "platform/part_model/step_translator.h"
#include "platform/step/step_entity_check.h"

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

// The products' names by the shapes made of them (and by the solids in
// those): the name of a part whose label the document left without one. The
// document names the labels of the products it recognises; a file may define
// its parts in ways it does not (a definition of a subtype, a shape reached
// through another representation), and then its products still name them.
class ProductNames {
public:
    explicit ProductNames(STEPControl_Reader& reader) {
        const Handle(Interface_InterfaceModel) model = reader.Model();
        const Handle(Transfer_TransientProcess) process = reader.WS()->TransferReader()->TransientProcess();
        if (model.IsNull() || process.IsNull()) return;
        for (int i = 1; i <= model->NbEntities(); ++i) {
            const auto definition = Handle(StepBasic_ProductDefinition)::DownCast(model->Value(i));
            if (definition.IsNull() || definition->Formation().IsNull()) continue;
            const Handle(StepBasic_Product) product = definition->Formation()->OfProduct();
            if (product.IsNull()) continue;
            std::string name = Text(product->Name());
            if (name.empty()) name = Text(product->Id());
            const TopoDS_Shape shape = TransferBRep::ShapeResult(process, definition);
            if (name.empty() || shape.IsNull()) continue;
            names_.emplace(shape.TShape().get(), name);
            TopTools_IndexedMapOfShape solids;
            TopExp::MapShapes(shape, TopAbs_SOLID, solids);
            for (int k = 1; k <= solids.Extent(); ++k) names_.emplace(solids(k).TShape().get(), name);
        }
    }

    // The name of the product the shape (or its first solid) was made of.
    std::string Of(const TopoDS_Shape& shape) const {
        if (shape.IsNull()) return {};
        if (const auto found = names_.find(shape.TShape().get()); found != names_.end()) return found->second;
        TopExp_Explorer solid(shape, TopAbs_SOLID);
        if (!solid.More()) return {};
        const auto found = names_.find(solid.Current().TShape().get());
        return found == names_.end() ? std::string() : found->second;
    }

private:
    static std::string Text(const Handle(TCollection_HAsciiString) & text) {
        return text.IsNull() ? std::string() : std::string(text->ToCString());
    }
    std::map<const TopoDS_TShape*, std::string> names_;
};

// The label's own name, else the name of the product its shape was made of.
std::string PartName(const TDF_Label& label, const ProductNames& products) {
    std::string name = LabelName(label);
    return name.empty() ? products.Of(XCAFDoc_ShapeTool::GetShape(label)) : name;
}

// The parts under a label, placed by `location`.
struct PartWalk {
    Handle(XCAFDoc_ShapeTool) shapes;
    Handle(XCAFDoc_ColorTool) colours;
    const ProductNames& products;
    std::vector<StepPart>& parts;

    void Collect(const TDF_Label& label, const TopLoc_Location& location, int depth) {
        if (depth > kMaxAssemblyDepth) throw HostError(STG_E_DOCFILECORRUPT_, "its assembly nests without end");
        if (!XCAFDoc_ShapeTool::IsAssembly(label))
            return Add(ReadPart(shapes, colours, label, location, PartName(label, products)));
        TDF_LabelSequence components;
        XCAFDoc_ShapeTool::GetComponents(label, components, false);
        for (int i = 1; i <= components.Length(); ++i) {
            const TDF_Label& component = components.Value(i);
            TDF_Label referred;
            if (!XCAFDoc_ShapeTool::GetReferredShape(component, referred)) continue;
            const TopLoc_Location placed = location * XCAFDoc_ShapeTool::GetLocation(component);
            if (XCAFDoc_ShapeTool::IsAssembly(referred)) {
                Collect(referred, placed, depth + 1);
                continue;
            }
            // The part's name, else its occurrence's in the assembly.
            std::string name = PartName(referred, products);
            if (name.empty()) name = LabelName(component);
            Add(ReadPart(shapes, colours, referred, placed, name));
        }
    }

    void Add(StepPart part) {
        if (!part.faces.empty()) parts.push_back(std::move(part));
    }
};

// Whether a type the file's text names is one of a solid's (a B-rep, a
// swept, extruded or revolved solid, a solid of constructive geometry): read
// as words outside strings and comments, without parsing the file.
bool IsSolidType(std::string_view type) {
    const auto ends = [&](std::string_view end) {
        return type.size() >= end.size() && type.substr(type.size() - end.size()) == end;
    };
    return ends("_SOLID") || type.find("SOLID_BREP") != std::string_view::npos || type == "BREP_WITH_VOIDS" ||
           type == "FACETED_BREP" || type == "SOLID_REPLICA";
}

bool TextNamesASolid(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(std::size_t{1} << 20);
    std::string word;
    bool quoted = false, comment = false, wordEnded = false;
    char previous = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto n = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
        for (std::size_t k = 0; k < n; previous = buffer[k++]) {
            const char c = buffer[k];
            if (comment) {
                comment = !(previous == '*' && c == '/');
                continue;
            }
            if (c == '\'') quoted = !quoted;
            if (quoted) continue;
            if (previous == '/' && c == '*') {
                comment = true;
                word.clear();
                continue;
            }
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
                if (wordEnded) word.clear();
                wordEnded = false;
                if (word.size() < 128) word.push_back(c);
                continue;
            }
            if (c == '(' && !word.empty() && IsSolidType(word)) return true;
            if (!std::isspace(static_cast<unsigned char>(c))) word.clear();
            wordEnded = true;
        }
    }
    return false;
}

// The file read into the reader's model and its entities checked (the notes
// of those skipped), before the reader's own checks of the model, which
// follow a loop of entities without end; `solids` the solids it holds.
std::vector<std::string> ReadChecked(STEPControl_Reader& reader, const std::string& path, const std::string& cannot,
                                     int& solids) {
    // A file that names no solid has nothing to make a body of: refused
    // before it is parsed, which takes long for files of many points.
    if (!TextNamesASolid(path)) throw HostError(E_INVALIDARG_, cannot + "the file holds no solid body");
    const Handle(XSControl_WorkSession) session = reader.WS();
    Handle(Interface_InterfaceModel) model;
    int status = 1;
    try {
        if (!session->WorkLibrary().IsNull())
            status = session->WorkLibrary()->ReadFile(path.c_str(), model, session->Protocol());
    } catch (const Standard_Failure&) {
        status = 1;
    }
    const Handle(StepData_StepModel) read = Handle(StepData_StepModel)::DownCast(model);
    if (status != 0 || read.IsNull())
        throw HostError(STG_E_DOCFILECORRUPT_,
                        cannot + "the STEP file is damaged: its text is not STEP data the reader can take");
    StepEntityCheck check(read, path, cannot);
    std::vector<std::string> notes = check.Run();
    solids = check.SolidCount();
    session->SetModel(model);
    session->SetLoadedFile(path.c_str());
    session->InitTransferReader(4);
    return notes;
}

// The file read and checked, its shapes made, and its parts collected with
// their names and looks; Open CASCADE's failures refused as a damaged file.
StepContent ReadStepContent(const std::string& path, const std::string& cannot) {
    QuietModelling();
    StepContent content;
    const std::string damaged = cannot + "the STEP file is damaged";
    try {
        Handle(TDocStd_Document) doc;
        XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        int solids = 0;
        content.notes = ReadChecked(reader.ChangeReader(), path, cannot, solids);
        // A file of points, curves or surfaces alone has nothing to make a
        // body of: refused before any of its shapes is made.
        if (solids == 0 || reader.ChangeReader().NbRootsForTransfer() == 0)
            throw HostError(E_INVALIDARG_, cannot + "the file holds no solid body");
        // A part the file does not name stays without a name here (not one
        // of its shape's kind), so that its product can name it.
        XCAFDoc_ShapeTool::SetAutoNaming(false);
        if (!reader.Transfer(doc)) throw HostError(STG_E_DOCFILECORRUPT_, damaged);
        const ProductNames products(reader.ChangeReader());
        PartWalk walk{XCAFDoc_DocumentTool::ShapeTool(doc->Main()), XCAFDoc_DocumentTool::ColorTool(doc->Main()),
                      products, content.parts};
        TDF_LabelSequence free;
        walk.shapes->GetFreeShapes(free);
        if (free.Length() == 0) throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file holds no shape");
        for (int i = 1; i <= free.Length(); ++i) {
            const TDF_Label& label = free.Value(i);
            if (XCAFDoc_ShapeTool::IsAssembly(label)) content.assembly = true;
            if (content.name.empty()) content.name = PartName(label, products);
            walk.Collect(label, TopLoc_Location(), 0);
        }
        XCAFApp_Application::GetApplication()->Close(doc);
    } catch (const Standard_OutOfMemory&) {
        throw HostError(E_OUTOFMEMORY_, cannot + "its reading needs more memory than the STEP reader has");
    } catch (const std::bad_alloc&) {
        throw HostError(E_OUTOFMEMORY_, cannot + "its reading needs more memory than the STEP reader has");
    } catch (const Standard_Failure& e) {
        throw HostError(STG_E_DOCFILECORRUPT_,
                        damaged + " (" + (e.GetMessageString() ? e.GetMessageString() : "") + ")");
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
