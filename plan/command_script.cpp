// Reading and running the command script.
#include "plan/command_script.h"

#include <array>
#include <cstdio>
#include <optional>

#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_turn.h"
#include "plan/spid.h"
#include "plan/view_export.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/core/text_file.h"
#include "platform/core/variant.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/panel_script.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/host/thread_designation.h"
#include "platform/part_model.h"
#include "platform/processes/host_libraries.h"

namespace zarvento {

namespace {

std::string At(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

std::int32_t Number(const std::string& word, int lineNumber, const char* what) {
    std::int32_t v = 0;
    if (!ParseInt(word, v)) throw ScriptError(At(lineNumber) + what + " '" + word + "' is not a whole number");
    return v;
}

double Real(const std::string& word, int lineNumber) {
    double v = 0;
    if (!ParseDouble(word, v)) throw ScriptError(At(lineNumber) + "'" + word + "' is not a number");
    if (!IsPlausibleValue(v)) throw ScriptError(At(lineNumber) + "'" + word + "' is out of range");
    return v;
}

}  // namespace

const std::vector<CommandScript::NamedCommand>& CommandScript::Commands() {
    static const std::vector<NamedCommand> commands = {
        {"plan-data", 0, "", "the plan-data panel (stock, tools, start point)"},
        {"create", 1, "<type> [index]", "a new operation of type 1..7 at index (default: append)"},
        {"edit", 2, "<index>", "edit an operation in its panel"},
        {"delete", 3, "<index>", "delete an operation (asks first)"},
        {"exclude", 5, "<index>", "exclude an operation from the program, or include it again"},
        {"select", 6, "<index>", "highlight an operation's path"},
        {"toggle-path", 7, "<index>", "show or hide an operation's path"},
        {"up", 8, "<index>", "move an operation up"},
        {"down", 9, "<index>", "move an operation down"},
        {"program", 10, "", "the NC program panel"},
        {"postprocessors", 11, "", "the post-processor list"},
        {"simulate", 12, "", "the machining simulation"},
        {"synchronize", 20, "", "rebuild the plan from the document"},
        {"message", 23, "<index>", "show an operation's message"},
        {"statistics", 24, "", "the statistics dialog"},
        {"settings", 25, "", "the settings dialog"},
        {"result-model", 26, "<index>", "save the part as machined up to an operation"},
        {"sketch", 27, "<index>", "an operation's sketch document"},
        {"coordinate-system", 30, "", "the NC coordinate-system and post-processor panel"},
        {"show-lsc", 31, "", "show or hide the coordinate system's model"},
        {"show-stock", 32, "", "show or hide the stock"},
        {"show-fixtures", 33, "", "show or hide the fixtures"},
        {"plan-document", 34, "", "the plan sketch"},
        {"document-set", 35, "", "the set of sketch documents"},
        {"clear", 36, "", "clear the plan (asks first)"},
        {"resume", 75, "", "resume the operation waiting for a tool-table edit"},
        {"check", 111, "", "the check run of the simulation"},
    };
    return commands;
}

std::vector<std::string> CommandScript::Words(std::string_view line, int lineNumber) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c == '#') break;
        if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
        } else {
            word += c;
        }
    }
    if (quoted) throw ScriptError(At(lineNumber) + "a quoted value is not closed");
    if (inWord) words.push_back(std::move(word));
    return words;
}

CommandScript::CommandScript(std::filesystem::path baseFolder)
    : base_(std::move(baseFolder)), sectionFailuresSeen_(SectionFailureCount()) {}

void CommandScript::Run(std::string_view text) {
    LineReader reader(text);
    std::string_view line;
    int number = 0;
    while (reader.Next(line)) RunLine(line, ++number);
    if (block_) {
        const int opened = block_->line;
        const std::string name = block_->name;
        block_.reset();
        throw ScriptError(At(opened) + "the steps of " + name + " are not closed by end");
    }
}

void CommandScript::CountCommand() {
    ++commandsRun_;
    const int refusals = PanelScript::Instance().Refusals();
    // A step of a panel on the host that named what is not there fails the
    // command that showed the panel.
    const bool stepsFailed = ScriptedUser::Instance().TakeFailures() > 0;
    // A command that could not build the part's section worked on no part.
    const int sections = SectionFailureCount();
    if (LastCommandFailed() || stepsFailed || refusals != refusalsSeen_ || sections != sectionFailuresSeen_)
        CountFailure();
    refusalsSeen_ = refusals;
    sectionFailuresSeen_ = sections;
}

void CommandScript::Command(std::int32_t type, std::int32_t action, std::int32_t index) {
    refusalsSeen_ = PanelScript::Instance().Refusals();
    ScriptedUser::Instance().TakeFailures();
    RunLibraryCommand(type, action, index);
    CountCommand();
    // The host runs what the command posted once it has returned.
    HostLibraries::Instance().RunPosted([this] { CountCommand(); });
}

void CommandScript::UserAction(const std::function<void()>& action) {
    refusalsSeen_ = PanelScript::Instance().Refusals();
    ScriptedUser::Instance().TakeFailures();
    SetLastCommandFailed(false);
    action();
    CountCommand();
    HostLibraries::Instance().RunPosted([this] { CountCommand(); });
}

void CommandScript::MenuCommand(std::int32_t id, int lineNumber) {
    refusalsSeen_ = PanelScript::Instance().Refusals();
    ScriptedUser::Instance().TakeFailures();
    if (!SendMenuCommand(id, [this] { CountCommand(); }))
        throw ScriptError(At(lineNumber) + "no library is loaded to take menu command " + std::to_string(id));
}

void CommandScript::Create(std::int32_t type, std::int32_t index, std::int32_t action) {
    const int before = OperationCount();
    const int failed = commandsFailed_;
    Command(type, action, index);
    // An operation that the plan took with an error has no path: the
    // command did not do what it was asked.
    CPLAN* plan = ExistingPLAN();
    if (commandsFailed_ != failed || !plan || plan->GetTurnCount() != before + 1) return;
    const PlanTurn* made = plan->GetTurn(index < 0 ? before : index);
    if (made && made->HasErrorMessage()) CountFailure();
}

int CommandScript::OperationCount() {
    // The door reads the plan from the document at the first command; an
    // index is checked against that plan, so it is read first here.
    if (!StartedFlag) {
        try {
            if (IsPartOrAssemblyActive()) {
                BusyFlagGuard busy;
                RunLibraryCommand(-1, kActionCreateTree, -1);
                RunLibraryCommand(-1, kActionSynchronize, -1);
            }
        } catch (const std::exception&) {
            // No host to ask: the command itself will report it.
        }
    }
    CPLAN* plan = ExistingPLAN();
    return plan ? plan->GetTurnCount() : 0;
}

void CommandScript::CountFailure() {
    ++commandsFailed_;
    if (failedLines_.empty() || failedLines_.back() != line_) failedLines_.push_back(line_);
}

void CommandScript::Refuse(const std::string& why, int lineNumber) {
    ++commandsRun_;
    CountFailure();
    ShowHostMessage(At(lineNumber) + why);
}

void CommandScript::BeginBlock(const std::vector<std::string>& words, int lineNumber) {
    const bool panel = words[0] == "panel";
    if (words.size() != 2) throw ScriptError(At(lineNumber) + words[0] + " needs a name");
    const std::string& name = words[1];
    const PlanPanels::HostShown shown = GetPlanPanels().ShownOnHost(name);
    if (shown == PlanPanels::HostShown::No)
        throw ScriptError(At(lineNumber) + "no " + words[0] + " " + name +
                          " runs on the host; answer it whole: answer " + name + " ok|cancel ...");
    const bool shownAsPanel = shown == PlanPanels::HostShown::Panel || shown == PlanPanels::HostShown::PanelOrAnswer;
    if (panel != shownAsPanel)
        throw ScriptError(At(lineNumber) + name + " is a " + (panel ? "dialog" : "panel") + ": write " +
                          (panel ? "dialog " : "panel ") + name);
    block_ = std::make_unique<UserSession>();
    block_->kind = panel ? UserSession::Kind::Panel : UserSession::Kind::Dialog;
    block_->name = name;
    block_->line = lineNumber;
}

void CommandScript::BlockLine(const std::vector<std::string>& words, int lineNumber) {
    if (words[0] == "end") {
        if (words.size() != 1) throw ScriptError(At(lineNumber) + "end takes nothing");
        ScriptedUser::Instance().Queue(std::move(*block_));
        block_.reset();
        return;
    }
    // File dialogs and questions that a step opens are answered in order.
    if (words[0] == "answer") return Answer(words, lineNumber);
    UserStep step;
    std::string error;
    const bool read = block_->kind == UserSession::Kind::Panel ? ParsePanelStep(words, step, error)
                                                               : ParseDialogStep(words, step, error);
    if (!read) throw ScriptError(At(lineNumber) + error);
    step.line = lineNumber;
    block_->steps.push_back(std::move(step));
}

void CommandScript::Answer(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() < 3) throw ScriptError(At(lineNumber) + "answer needs what to answer and the answer");
    const std::string& what = words[1];
    const std::string& reply = words[2];
    if (what == "question") {
        if (words.size() != 3 || (reply != "yes" && reply != "no"))
            throw ScriptError(At(lineNumber) + "a question is answered yes or no");
        MessageLog::Instance().QueueAnswer(reply == "yes" ? IDYES_ : IDNO_);
        return;
    }
    if (reply != "ok" && reply != "cancel")
        throw ScriptError(At(lineNumber) + "a panel is answered ok or cancel, not '" + reply + "'");
    if (what == "save-file" || what == "open-file") {
        std::optional<std::string> path;
        if (reply == "ok") {
            if (words.size() != 4 || words[3].rfind("file=", 0) != 0 || words[3].size() == 5)
                throw ScriptError(At(lineNumber) + "a file dialog is answered ok file=<path>");
            path = words[3].substr(5);
        } else if (words.size() != 3) {
            throw ScriptError(At(lineNumber) + "a cancelled file dialog takes no fields");
        }
        if (what == "save-file") {
            FileDialogs::Instance().QueueSave(std::move(path));
        } else {
            FileDialogs::Instance().QueueOpen(std::move(path));
        }
        return;
    }
    if (const PlanPanels::HostShown shown = GetPlanPanels().ShownOnHost(what);
        shown == PlanPanels::HostShown::Panel || shown == PlanPanels::HostShown::Dialog)
        throw ScriptError(At(lineNumber) + what + " runs on the host and is driven step by step: " +
                          (GetPlanPanels().ShownOnHost(what) == PlanPanels::HostShown::Panel ? "panel " : "dialog ") +
                          what + " ... end");
    PanelAnswer answer;
    answer.result = reply == "ok" ? IDOK_ : IDCANCEL_;
    for (std::size_t k = 3; k < words.size(); ++k) {
        const std::size_t eq = words[k].find('=');
        if (eq == std::string::npos || eq == 0)
            throw ScriptError(At(lineNumber) + "a panel field is written name=value, not '" + words[k] + "'");
        answer.fields.emplace_back(words[k].substr(0, eq), words[k].substr(eq + 1));
    }
    PanelScript::Instance().Queue(what, std::move(answer));
}

void CommandScript::ThreadDesignation(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() != 5)
        throw ScriptError(At(lineNumber) + "thread needs a name, the face number, the diameter and the pitch");
    const int face = Number(words[2], lineNumber, "face number");
    const double diameter = Real(words[3], lineNumber);
    const double pitch = Real(words[4], lineNumber);
    if (!(diameter > 0.0) || !(pitch > 0.0))
        throw ScriptError(At(lineNumber) + "a thread's diameter and pitch are greater than zero");
    const std::shared_ptr<HostPart> part = TopPart(ActiveHostDocument());
    if (!part || face < 1 || face > static_cast<int>(part->Faces().size()))
        throw ScriptError(At(lineNumber) + "the part has no face " + words[2]);
    ActiveHostDocument()->AddEntity(std::make_shared<HostThreadDesignation>(
        words[1], diameter, pitch, part->Faces()[static_cast<std::size_t>(face - 1)]));
}

void CommandScript::PartProperty(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() < 2) throw ScriptError(At(lineNumber) + "part needs at least one field=value");
    const std::shared_ptr<HostPart> part = TopPart(ActiveHostDocument());
    PartProperties& p = part->Properties();
    for (std::size_t k = 1; k < words.size(); ++k) {
        const std::size_t eq = words[k].find('=');
        if (eq == std::string::npos || eq == 0)
            throw ScriptError(At(lineNumber) + "a part field is written name=value, not '" + words[k] + "'");
        const std::string field = words[k].substr(0, eq), value = words[k].substr(eq + 1);
        if (field == "name") {
            part->SetName(value);
        } else if (field == "designation") {
            p.designation = value;
        } else if (field == "material") {
            p.material = value;
        } else if (field == "location") {
            p.hasLocation = true;
            p.location = value;
        } else if (field == "density") {
            p.density = Real(value, lineNumber);
        } else if (field == "author") {
            p.author = value;
        } else if (field == "organization") {
            p.organization = value;
        } else if (field == "roughness") {
            p.unspecifiedRoughness = value;
        } else if (field == "link") {
            p.linkedFile = value;
        } else {
            throw ScriptError(At(lineNumber) + "unknown part field '" + field + "'");
        }
    }
}

void CommandScript::Dimension(const std::vector<std::string>& words, int lineNumber) {
    static const std::pair<const char*, DimensionKind> kKinds[] = {{"linear", DimensionKind::Linear},
                                                                   {"diametral", DimensionKind::Diametral},
                                                                   {"radial", DimensionKind::Radial},
                                                                   {"angular", DimensionKind::Angular}};
    if (words.size() < 3 || words.size() > 5)
        throw ScriptError(At(lineNumber) + "dimension needs a kind, a nominal value and optionally the deviations");
    const DimensionKind* kind = nullptr;
    for (const auto& [name, k] : kKinds)
        if (words[1] == name) kind = &k;
    if (!kind)
        throw ScriptError(At(lineNumber) + "a dimension is linear, diametral, radial or angular, not '" + words[1] +
                          "'");
    auto dimension = std::make_shared<HostDimension>(*kind, Real(words[2], lineNumber));
    std::string upper, lower;
    for (std::size_t k = 3; k < words.size(); ++k) {
        const std::size_t eq = words[k].find('=');
        const std::string field = eq == std::string::npos ? "" : words[k].substr(0, eq);
        if (field == "upper")
            upper = words[k].substr(eq + 1);
        else if (field == "lower")
            lower = words[k].substr(eq + 1);
        else
            throw ScriptError(At(lineNumber) + "a deviation is written upper=<text> or lower=<text>, not '" + words[k] +
                              "'");
    }
    // Deviations written on the dimension show its tolerance.
    const bool deviations = !upper.empty() || !lower.empty();
    dimension->SetTolerance(false, deviations, upper, lower);
    ActiveHostDocument()->AddEntity(dimension);
}

namespace {

// The drawing the last sketch left open, saved as a drawing document (".rdd")
// or exported (".svg", ".dxf") to each of the files, then closed: the part
// (the first one open) is in front again, as when a person closes the
// drawing's window.
void SaveActiveDrawing(const std::vector<std::string>& paths) {
    HostApplication& app = ConnectHostApplication();
    HostDocumentPtr doc = ActiveHostDocument();
    if (doc->Type() != DocumentType::Drawing2D || doc == HiddenDocument())
        throw HostError(E_INVALIDARG_, "no sketch is open");
    for (const std::string& path : paths) {
        std::string extension = std::filesystem::path(path).extension().string();
        for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (extension == ".rdd")
            doc->SaveAs(path);
        else
            ExportDrawing(DrawingOf(*doc), path);
    }
    app.Documents().Close(doc);
    for (std::size_t i = 0; i < app.Documents().Count(); ++i) {
        const HostDocumentPtr other = app.Documents().Item(i);
        if (other->Visible() && (other->Type() == DocumentType::Part || other->Type() == DocumentType::Assembly)) {
            app.SetActiveDocument(other);
            break;
        }
    }
}

}  // namespace

namespace {

// A system typed within kAxisSnapDegrees and kAxisSnapMillimetres of the axis
// of a face of revolution of the part's body stands on that axis (said in
// the host's text output when it moved); one farther from every such axis is
// refused saying how far the nearest lies. Without a body, or a face with
// an axis, the system is taken as typed.
LocalCoordinateSystem::Frame OnTheFacesAxis(const LocalCoordinateSystem::Frame& typed,
                                            const std::optional<std::array<double, 3>>& x, const std::string& name,
                                            int lineNumber) {
    const std::shared_ptr<HostPart> part = TopPart(ActiveHostDocument());
    if (!part || !part->HasBody()) return typed;
    const FaceAxis axis = NearestFaceAxis(*part, typed.origin, typed.z);
    if (axis.face == 0) return typed;
    const double degrees = axis.angle * 180 / PI;
    const auto fixed = [](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", v);
        return std::string(text);
    };
    if (degrees > kAxisSnapDegrees || axis.offset > kAxisSnapMillimetres)
        throw ScriptError(At(lineNumber) + "lsc " + name +
                          ": no face of the part turns about this axis; the nearest axis of revolution, of face " +
                          std::to_string(axis.face) + ", lies " + fixed(degrees) + "° and " + fixed(axis.offset) +
                          " mm from it (an axis is taken within " + fixed(kAxisSnapDegrees) + "° and " +
                          fixed(kAxisSnapMillimetres) + " mm of a face's)");
    // On the axis already (to the last bits that can tell): the system as typed.
    constexpr double kOnAxis = 1e-12;
    if (axis.angle <= kOnAxis && axis.offset <= kOnAxis) return typed;
    // The origin taken square onto the face's axis, Z along it.
    const auto& p = axis.point;
    const auto& d = axis.direction;
    const double t =
        (typed.origin[0] - p[0]) * d[0] + (typed.origin[1] - p[1]) * d[1] + (typed.origin[2] - p[2]) * d[2];
    const LocalCoordinateSystem::Frame snapped =
        LocalCoordinateSystem::MakeFrame({p[0] + t * d[0], p[1] + t * d[1], p[2] + t * d[2]}, d, x);
    HostTextOutput("lsc " + name + ": its Z axis is the axis of face " + std::to_string(axis.face) + ", " +
                   fixed(degrees) + "° and " + fixed(axis.offset) + " mm from the one given");
    return snapped;
}

}  // namespace

void CommandScript::CoordinateSystem(const std::vector<std::string>& words, int lineNumber) {
    const std::size_t n = words.size();
    const bool onFace = n >= 3 && words[2].rfind("face:", 0) == 0;
    if (onFace ? (n > 4 || (n == 4 && words[3] != "reversed")) : (n != 2 && n != 5 && n != 8 && n != 11))
        throw ScriptError(At(lineNumber) +
                          "lsc needs a name and optionally the origin x y z, its Z direction and its X direction, "
                          "or face:<n> [reversed]");
    const HostDocumentPtr doc = ActiveHostDocument();
    try {
        LocalCoordinateSystem::Frame frame;
        if (onFace) {
            const int number = Number(words[2].substr(5), lineNumber, "face number");
            const std::shared_ptr<HostPart> part = TopPart(doc);
            const auto& faces = part->Faces();
            if (number < 1 || static_cast<std::size_t>(number) > faces.size())
                throw ScriptError(At(lineNumber) + "the part's body has no face " + std::to_string(number) +
                                  " (it has " + std::to_string(faces.size()) + ")");
            frame = FrameOnFaceAxis(*part, *faces[static_cast<std::size_t>(number) - 1], n == 4);
        } else {
            // The defaults are the same numbers written out: a system named
            // either way is the same system.
            std::array<std::array<double, 3>, 2> given{{{0, 0, 0}, {0, 0, 1}}};
            std::optional<std::array<double, 3>> x;
            for (std::size_t k = 2; k < n && k < 8; ++k) given[(k - 2) / 3][(k - 2) % 3] = Real(words[k], lineNumber);
            if (n == 11)
                x = std::array<double, 3>{Real(words[8], lineNumber), Real(words[9], lineNumber),
                                          Real(words[10], lineNumber)};
            frame = LocalCoordinateSystem::MakeFrame(given[0], given[1], x);
            frame = OnTheFacesAxis(frame, x, words[1], lineNumber);
        }
        doc->AddLocalCoordinateSystem(words[1], frame.origin, frame.x, frame.y, frame.z);
    } catch (const HostError& e) {
        throw ScriptError(At(lineNumber) + "lsc " + words[1] + ": " + e.Message());
    }
}

void CommandScript::MenuStatement(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() != 2) throw ScriptError(At(lineNumber) + "menu needs a command id");
    const std::int32_t id = Number(words[1], lineNumber, "command id");
    // As with a command's action: an id no menu sends would count as done.
    if (!IsMenuCommand(id)) throw ScriptError(At(lineNumber) + "no menu command of the library has the id " + words[1]);
    MenuCommand(id, lineNumber);
}

void CommandScript::ActionStatement(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() != 4) throw ScriptError(At(lineNumber) + "command needs <type> <action> <index>");
    const std::int32_t action = Number(words[2], lineNumber, "action");
    // A command the library has not would run only the checks and count
    // as done: the script asked for something that did not happen.
    if (!IsKnownAction(action))
        throw ScriptError(At(lineNumber) + "no command of the library has the action " + words[2]);
    Command(Number(words[1], lineNumber, "type"), action, Number(words[3], lineNumber, "index"));
}

void CommandScript::ProfileStatement(const std::vector<std::string>& words, int lineNumber) {
    if (words.size() != 2) throw ScriptError(At(lineNumber) + "profile needs a file");
    const std::filesystem::path file = base_ / words[1];
    FileReadResult read = ReadTextFile(file, TextEncoding::Utf8);
    if (!read.ok) throw ScriptError(At(lineNumber) + "cannot read " + file.string() + ": " + read.error);
    std::string error;
    std::unique_ptr<Contour> profile = ParseContourScript(read.text, &error, kMaxPlausibleValue);
    if (!profile) throw ScriptError(At(lineNumber) + file.string() + ": " + error);
    try {
        SetPartFromProfile(ActiveHostDocument(), *profile);
    } catch (const HostError& e) {
        throw ScriptError(At(lineNumber) + file.string() + ": " + e.Message());
    }
}

void CommandScript::NamedStatement(const NamedCommand& named, const std::vector<std::string>& words, int lineNumber) {
    const std::string& verb = words[0];
    const std::string_view args = named.arguments;
    std::int32_t type = -1, index = -1;
    if (args.empty()) {
        if (words.size() != 1) throw ScriptError(At(lineNumber) + verb + " takes no arguments");
    } else if (args == "<index>") {
        if (words.size() != 2) throw ScriptError(At(lineNumber) + verb + " needs an operation index");
        index = Number(words[1], lineNumber, "index");
        // The door passes a stale index by in silence, as a host's tree
        // would; a script that names no operation has failed.
        const int count = OperationCount();
        if (index < 0 || index >= count)
            return Refuse(verb + " " + words[1] + ": the plan has no operation " + words[1] + " (it has " +
                              std::to_string(count) +
                              (count == 1  ? ", index 0)"
                               : count > 1 ? ", indexes 0.." + std::to_string(count - 1) + ")"
                                           : ")"),
                          lineNumber);
    } else {
        if (words.size() != 2 && words.size() != 3)
            throw ScriptError(At(lineNumber) + verb + " needs a type and optionally an index");
        type = Number(words[1], lineNumber, "type");
        if (words.size() == 3) index = Number(words[2], lineNumber, "index");
        if (type < kFirstTurnType || type > kLastTurnType)
            return Refuse(verb + " " + words[1] + ": no operation type " + words[1] + " (types are " +
                              std::to_string(kFirstTurnType) + ".." + std::to_string(kLastTurnType) + ")",
                          lineNumber);
        const int count = OperationCount();
        if (words.size() == 3 && (index < 0 || index > count))
            return Refuse(
                verb + " " + words[1] + " " + words[2] + ": an operation goes in at 0.." + std::to_string(count),
                lineNumber);
        return Create(type, index, named.action);
    }
    Command(type, named.action, index);
}

void CommandScript::RunLine(std::string_view line, int lineNumber) {
    line_ = lineNumber;
    const std::vector<std::string> words = Words(line, lineNumber);
    if (words.empty()) return;
    if (block_) return BlockLine(words, lineNumber);
    const std::string& verb = words[0];
    if (verb == "answer") return Answer(words, lineNumber);
    if (verb == "menu") return MenuStatement(words, lineNumber);
    if (verb == "panel" || verb == "dialog") return BeginBlock(words, lineNumber);
    if (verb == "command") return ActionStatement(words, lineNumber);
    if (verb == "lsc") return CoordinateSystem(words, lineNumber);
    if (verb == "view") {
        if (words.size() != 2 || !IsViewFile(words[1]))
            throw ScriptError(At(lineNumber) + "view needs a file to save: .glb, .png or .svg");
        try {
            SaveView(words[1]);
        } catch (const HostError& e) {
            Refuse(std::string("the view was not saved: ") + e.what(), lineNumber);
        }
        return;
    }
    if (verb == "drawing") {
        if (words.size() < 2) throw ScriptError(At(lineNumber) + "drawing needs files: .svg, .dxf or .rdd");
        try {
            SaveActiveDrawing({words.begin() + 1, words.end()});
        } catch (const HostError& e) {
            Refuse(std::string("the drawing was not saved: ") + e.what(), lineNumber);
        }
        return;
    }
    if (verb == "profile") return ProfileStatement(words, lineNumber);
    if (verb == "step") {
        if (words.size() != 2 && words.size() != 3)
            throw ScriptError(At(lineNumber) + "step needs a file and optionally a body (its number or name)");
        try {
            ImportStep(ActiveHostDocument(), words[1], words.size() == 3 ? words[2] : std::string());
        } catch (const HostError& e) {
            throw ImportError(At(lineNumber) + e.Message());
        }
        return;
    }
    if (verb == "part") return PartProperty(words, lineNumber);
    if (verb == "variable") {
        if (words.size() != 3 && words.size() != 4)
            throw ScriptError(At(lineNumber) + "variable needs a name, a value and optionally a comment");
        ActiveHostDocument()->AddVariable(words[1], Real(words[2], lineNumber), words.size() == 4 ? words[3] : "");
        return;
    }
    if (verb == "dimension") return Dimension(words, lineNumber);
    if (verb == "thread") return ThreadDesignation(words, lineNumber);
    if (extra_ && extra_(words, lineNumber)) return;
    if (verb == "roughness") {
        if (words.size() != 2) throw ScriptError(At(lineNumber) + "roughness needs the sign's text");
        ActiveHostDocument()->AddEntity(std::make_shared<HostRoughnessSign>(words[1]));
        return;
    }
    for (const NamedCommand& named : Commands())
        if (verb == named.name) return NamedStatement(named, words, lineNumber);
    throw ScriptError(At(lineNumber) + "unknown statement '" + verb + "'");
}

}  // namespace zarvento
