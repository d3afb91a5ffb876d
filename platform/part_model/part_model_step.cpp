// Reading STEP files (AP203/AP214) into part and assembly documents: the
// solids of each part with their face colours and names. The file is checked
// here; the STEP reader program reads it with the translator, in a process of
// its own.
#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <Standard_Failure.hxx>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/part_model/part_model_occt.h"
#include "platform/part_model/step_translator.h"

namespace zarvento {

namespace {

std::string Fixed(double v) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(v) ? v : 0.0, std::chars_format::fixed, 3);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

// One body as a refusal lists it: its number, name, volume and box.
std::string BodyLine(std::size_t number, const StepPart& part) {
    std::string line = std::to_string(number) + ": \"" + part.name + "\"";
    try {
        GProp_GProps props;
        BRepGProp::VolumeProperties(part.body, props);
        Bnd_Box box;
        BRepBndLib::AddOptimal(part.body, box, false, false);
        line += ", " + Fixed(std::fabs(props.Mass())) + " mm3";
        if (!box.IsVoid()) {
            double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
            box.Get(x0, y0, z0, x1, y1, z1);
            line += ", box (" + Fixed(x0) + " " + Fixed(y0) + " " + Fixed(z0) + ")-(" + Fixed(x1) + " " + Fixed(y1) +
                    " " + Fixed(z1) + ")";
        }
    } catch (const Standard_Failure&) {
        // The list still names the body.
    }
    return line;
}

std::string BodyList(const StepContent& content) {
    std::string list;
    for (std::size_t i = 0; i < content.parts.size(); ++i)
        list += (i == 0 ? "" : "; ") + BodyLine(i + 1, content.parts[i]);
    return list;
}

// The end a STEP file has ("END-ISO-10303-21;"), looked for in its last bytes.
constexpr std::string_view kStepEnd = "END-ISO-10303-21;";
constexpr std::size_t kTailBytes = 64 * 1024;

// The last entity a text begins ("#123 = ..."), 0 when it begins none.
unsigned long LastEntityBegun(std::string_view text) {
    for (std::size_t at = text.size(); at-- > 0;) {
        if (text[at] != '#') continue;
        std::size_t before = at;
        while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t')) --before;
        if (before > 0 && text[before - 1] != '\n' && text[before - 1] != '\r' && text[before - 1] != ';') continue;
        std::size_t end = at + 1;
        while (end < text.size() && end - at <= 12 && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        std::size_t eq = end;
        while (eq < text.size() && std::isspace(static_cast<unsigned char>(text[eq]))) ++eq;
        if (end == at + 1 || eq >= text.size() || text[eq] != '=') continue;
        unsigned long number = 0;
        std::from_chars(text.data() + at + 1, text.data() + end, number);
        return number;
    }
    return 0;
}

// A file whose end is missing was cut off: what it held past the cut is
// lost, so it is refused even where what is left would read.
void RefuseCutOff(const std::string& path, std::uint64_t size, const std::string& cannot) {
    std::ifstream in(path, std::ios::binary);
    const std::uint64_t from = size > kTailBytes ? size - kTailBytes : 0;
    in.seekg(static_cast<std::streamoff>(from));
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    tail.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (tail.find(kStepEnd) != std::string::npos) return;
    const unsigned long last = LastEntityBegun(tail);
    throw HostError(STG_E_DOCFILECORRUPT_, cannot + "the STEP file is damaged: it is cut off" +
                                               (last != 0 ? " at entity #" + std::to_string(last) : std::string()) +
                                               " (its end \"" + std::string(kStepEnd) + "\" is missing)");
}

StepContent ReadStepContent(const std::string& path) {
    const std::string cannot = "cannot import \"" + path + "\": ";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw HostError(STG_E_FILENOTFOUND_, cannot + "the file does not exist");
    if (S_ISDIR(st.st_mode)) throw HostError(STG_E_ACCESSDENIED_, cannot + "it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw HostError(STG_E_ACCESSDENIED_, cannot + "it is not a regular file (a device, a pipe or a socket)");
    if (st.st_size == 0) throw HostError(STG_E_INVALIDHEADER_, cannot + "the file is empty");
    if (static_cast<std::uint64_t>(st.st_size) > kMaxStepFileBytes)
        throw HostError(STG_E_DOCFILETOOLARGE_, cannot + "the file is too large (" +
                                                    std::to_string(static_cast<std::uint64_t>(st.st_size) >> 20) +
                                                    " MiB; a STEP file of at most " +
                                                    std::to_string(kMaxStepFileBytes >> 20) + " MiB is taken)");
    if (!IsStepFile(path)) throw HostError(STG_E_INVALIDHEADER_, cannot + "it is not a STEP file");
    RefuseCutOff(path, static_cast<std::uint64_t>(st.st_size), cannot);
    StepContent content = ReadStepInOwnProcess(path, cannot);
    if (content.parts.empty()) throw HostError(E_INVALIDARG_, cannot + "the file holds no solid body");
    // Several free parts without an assembly around them are the components
    // of an assembly all the same; one part is one part, whatever structure
    // or other geometry (wireframes, surfaces) the file puts around it.
    content.assembly = content.parts.size() > 1;
    return content;
}

std::string BodyList(const StepContent& content, const std::vector<std::size_t>& which) {
    std::string list;
    for (std::size_t k = 0; k < which.size(); ++k)
        list += (k == 0 ? "" : "; ") + BodyLine(which[k] + 1, content.parts[which[k]]);
    return list;
}

// The content narrowed to the body the selector names: its number in the
// file (from 1) or its name, which must fit one body alone.
StepContent OneBody(StepContent content, const std::string& body, const std::string& path) {
    const std::string cannot = "cannot import \"" + path + "\": ";
    std::size_t number = 0;
    std::vector<std::size_t> chosen;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), number);
    if (ec == std::errc() && end == body.data() + body.size() && number >= 1 && number <= content.parts.size())
        chosen.push_back(number - 1);
    for (std::size_t i = 0; i < content.parts.size() && chosen.empty(); ++i)
        if (content.parts[i].name == body) chosen.push_back(i);
    for (std::size_t i = chosen.empty() ? content.parts.size() : chosen.front() + 1;
         i < content.parts.size() && number == 0; ++i)
        if (content.parts[i].name == body) chosen.push_back(i);
    if (chosen.empty())
        throw HostError(E_INVALIDARG_,
                        cannot + "it holds no body \"" + body + "\"; its bodies are " + BodyList(content));
    if (chosen.size() > 1)
        throw HostError(E_INVALIDARG_, cannot + "the name \"" + body + "\" fits " + std::to_string(chosen.size()) +
                                           " of its bodies; name one by its number: " + BodyList(content, chosen));
    StepPart part = std::move(content.parts[chosen.front()]);
    content.parts.clear();
    content.parts.push_back(std::move(part));
    content.assembly = false;
    return content;
}

// What the read passed over, as the host's text output.
void ReportNotes(const StepContent& content, const std::string& path) {
    for (const std::string& note : content.notes) HostTextOutput("import \"" + path + "\": " + note);
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
        throw HostError(E_INVALIDARG_,
                        "cannot import \"" + path + "\": it holds an assembly of " +
                            std::to_string(content.parts.size()) +
                            " bodies; a part document takes one, named by its number or name: " + BodyList(content));
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

void ImportStep(const HostDocumentPtr& doc, const std::string& path, const std::string& body) {
    HostFaults::Check("PartModel.ImportStep");
    HostCallTime::Scope time;
    if (!doc) throw HostError(E_POINTER_, "no document to import into");
    StepContent content = ReadStepContent(path);
    if (!body.empty()) content = OneBody(std::move(content), body, path);
    ApplyStepContent(doc, content, path);
    ReportNotes(content, path);
}

HostDocumentPtr OpenStepDocument(const std::string& path) {
    HostFaults::Check("PartModel.OpenStep");
    HostCallTime::Scope time;
    const StepContent content = ReadStepContent(path);
    auto doc = std::make_shared<HostDocument>(content.assembly ? DocumentType::Assembly : DocumentType::Part);
    ApplyStepContent(doc, content, path);
    TopPart(doc)->ResetState();
    ReportNotes(content, path);
    return doc;
}

}  // namespace zarvento
