// Reading STEP files (AP203/AP214) into part and assembly documents: the
// solids of each part with their face colours and names. The file is checked
// here; the STEP translator's module reads it.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/host_error.h"
#include "platform/host_faults.h"
#include "platform/part_model_occt.h"
#include "platform/step_translator.h"

namespace zarvento {

namespace {

StepContent ReadStepContent(const std::string& path) {
    const std::string cannot = "cannot import \"" + path + "\": ";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw HostError(STG_E_FILENOTFOUND_, cannot + "the file does not exist");
    if (std::filesystem::file_size(path, ec) == 0 || ec)
        throw HostError(STG_E_INVALIDHEADER_, cannot + "the file is empty");
    if (!IsStepFile(path)) throw HostError(STG_E_INVALIDHEADER_, cannot + "it is not a STEP file");
    StepContent content = LoadStepTranslator().read(path, cannot);
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
