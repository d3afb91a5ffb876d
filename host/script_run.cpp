// The "run" command of the program: a document, a script, and the report of
// the messages, the panels, the plan tree and the document's records.
#include "host/script_run.h"

#include "host/headless_session.h"
#include "host/script_run_tree.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/complex_unit.h"
#include "geometry/number_format.h"
#include "host/verb_arguments.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/document_lock.h"
#include "platform/documents/host_application.h"
#include "platform/host/redozu_object.h"
#include "platform/processes/host_registry.h"

namespace zarvento::app {

const char* const kRunUsage =
    "  run [--new [--replace]] [--no-save] [--no-tree] <document> <script>\n"
    "             opens the part document (with --new: makes a new part that is\n"
    "             saved as <document>; an existing file is replaced only with\n"
    "             --replace), runs the command script on it, saves it (unless\n"
    "             --no-save) and prints the messages and panels as they come,\n"
    "             then the part's section (its units by the numbers the work\n"
    "             field takes, once the plan has read the part: a script of one\n"
    "             line \"synchronize\" lists them), the plan, the plan tree\n"
    "             (unless --no-tree: a plan shown without its tree control\n"
    "             registered fails the run, naming the command that registers\n"
    "             it) and the document's records, then each operation the\n"
    "             script made or edited that ends with a message (which fails\n"
    "             the run); the document is locked while the run works on it\n";

// The statements of a script, up to those the host adds.
constexpr const char* kStatementsHelp =
    "script (one statement a line, '#' starts a comment, \"...\" keeps blanks):\n"
    "  lsc <name> [x y z [zx zy zz [xx xy xz]]]\n"
    "                                 add an NC coordinate system to the part: its\n"
    "                                 origin, its Z direction and its X direction\n"
    "                                 (made square to Z; by default the model axis\n"
    "                                 most square to Z), right-handed\n"
    "  lsc <name> face:<n> [reversed] ... on the axis of the n-th face of the body (a\n"
    "                                 face of revolution), Z out of the end of the\n"
    "                                 part the face is nearer to (reversed: the\n"
    "                                 other end), the origin on the axis there\n"
    "  profile <file>                 make the part's body by turning a profile of\n"
    "                                 LineSeg/ArcByPoint lines (z, x <= 0) about Z\n"
    "  step <file> [<body>]           make the part's body from a STEP file (AP203/\n"
    "                                 AP214; relative to the folder the program runs\n"
    "                                 in); of an assembly, the body of that number\n"
    "                                 (from 1) or name\n"
    "  part <field>=<value> ...       the part's properties: name designation material\n"
    "                                 location density (g/cm3) author organization\n"
    "                                 roughness (the unspecified sign) link (its source)\n"
    "  variable <name> <value> [comment]\n"
    "                                 a variable of the part model\n"
    "  dimension linear|diametral|radial|angular <nominal> [upper=<dev>] [lower=<dev>]\n"
    "                                 a dimension on the model with its deviations\n"
    "  roughness <text>               a roughness sign on the model (\"Ra 3,2\")\n"
    "  thread <name> <face> <diameter> <pitch>\n"
    "                                 a thread designation on the n-th face of the body\n"
    "  answer question yes|no         the answer to the next question\n"
    "  answer save-file|open-file ok file=<path> | cancel\n"
    "                                 the answer to the next file dialog\n"
    "  panel <name> ... end           what the user does at the next showing of a\n"
    "                                 panel, one step a line (a control is named\n"
    "                                 by its hint or caption, <name>@2 is the\n"
    "                                 second of that name, @7 the seventh control\n"
    "                                 of the panel; rows count from 0):\n"
    "    set <control> <value>        type into an edit, tick a check box (on or\n"
    "                                 off), choose a list's item by its text\n"
    "    press <control>              press a button\n"
    "    command <control> <id>       press a button of a control's bar or group\n"
    "    select <list> <row>|none     select a row of a list\n"
    "    select <grid> <row> <column> select a cell of a grid\n"
    "    edit <grid> <row> <column> <text>\n"
    "                                 type into a cell of a grid\n"
    "    pick <object>                pick an object of the part in the 3D view\n"
    "    pick face:<n>                pick the n-th face of the part's body (from 1)\n"
    "    tab <caption>                open a tab (close-tab <caption> closes it)\n"
    "    ok, cancel, help, click <id> the panel's own buttons\n"
    "    activate                     come back to the panel\n"
    "    wait <ms>                    let time pass on the host's clock\n"
    "    print <control>, dump        print a control, or the whole panel\n"
    "                                 (answer lines inside answer what a step opens)\n"
    "    lsc       the NC coordinate system and post-processor: \"Система координат\n"
    "              ЧПУ\" (a system typed by name, or pick one), \"Система ЧПУ\n"
    "              (постпроцессор)\" (a list of the installed ones)\n"
    "    program   the NC program: \"Единицы измерения\" (мм, дюймы, см), \"Кодировка\n"
    "              программы ЧПУ\" (the text shown), \"Управляющая программа в кодах\n"
    "              промежуточного языка\", the NC text (its caption names the\n"
    "              post-processor), \"Сообщения постпроцессора\", \"Сохранить в файл\"\n"
    "    visual    the simulation: \"Программа ЧПУ (промежуточный код)\" (select a\n"
    "              line), \"Управление процессом визуализации\" (10051 Пуск, 10052\n"
    "              Пауза, 10053 Стоп, 10160 3D model, 10161 2D fragment),\n"
    "              \"Коэффициент скорости\", \"Прозрачность, %\", \"Сообщения\n"
    "              визуализации\"; the check run is answered whole\n"
    "    turn      an operation's own panel: the multi-pass, cut-off, tap/die\n"
    "              and chisel-threading kinds (the other kinds, and an operation\n"
    "              no block waits for, take answer turn): its tabs; on \"Стратегия\"\n"
    "              \"Подвод\", \"Перебег\", \"Сменить направление\", \"Зачистка\n"
    "              черновая\", the cycle list (\"Многопроходная канавка\" plunges a\n"
    "              groove), \"Шаг\", \"Число заходов\", \"Направление\" and\n"
    "              \"Параметры цикла...\" (dialog cycle)\n"
    "  dialog <name> ... end          the same at a dialog, its controls by id:\n"
    "                                 click <id>, press <button text>, set <id>\n"
    "                                 <value>, select <list> <row>|none,\n"
    "                                 double-click <list> <row>, check <list>\n"
    "                                 <row> on|off, edit <list> <row> <column>\n"
    "                                 <text>, page <tabs> <page>, ok, cancel,\n"
    "                                 close, print <id>, dump\n"
    "    postprocessors            the post-processor list: list 100 (name, file),\n"
    "                              101 edit, 102 create, 103 delete, 104 load,\n"
    "                              105 properties (postprocessor-properties), 2 close\n"
    "    catalog                   the catalog of models (opened by the spid panel's\n"
    "                              catalog=N): list 100 the tree (a row an item),\n"
    "                              list 200 the size-table rows or the variables,\n"
    "                              500 new folder (catalog-folder: set 100 <name>),\n"
    "                              501 load file, 502 delete file, 1 choose, 2 cancel\n"
    "    material                  the material's properties (the spid panel's \"Обновить\n"
    "                              параметры детали\"): list 100 rows and values,\n"
    "                              101 the note, 2 close\n"
    "  answer <panel> ok|cancel [field=value ...]\n"
    "                                 the answer to the next showing of a panel\n"
    "                                 that does not run on the host yet:\n"
    "    spid      L D d Z method stock positions x0 z0 xplane zplane allowance\n"
    "              tool1..tool30, model1..model30 (a tool model document; a\n"
    "              relative path beside the part document, else from the\n"
    "              folder the program runs in; profile reads from the script's)\n"
    "              catalog=N: a tool from the catalog at position N (the catalog\n"
    "              dialog's steps choose it; braces in its name may move it)\n"
    "    turn      name=<name> tool=<position from 1> work=all|<unit>[-<unit>],...\n"
    "              (units of the part's section as the working contour; the\n"
    "              section runs clockwise from 0, along the axis from the back\n"
    "              end, then down the face and back along the outside)\n"
    "              allowance=<mm> direction=along|against (the working contour)\n"
    "              output=moves|cycle (the machine's own cycle), strategy=turning|groove\n"
    "              (multi-pass turning), cycle.<parameter>=<value or formula, or a\n"
    "              list entry from 1>, e.g. cycle.I=2 cycle.P3=3 (profile feed;\n"
    "              with output=cycle first the post-processor's cycle, cycle._PECKS=4)\n"
    "              feed=<formula> spin=<formula>; wait=1 leaves the panel for\n"
    "              the tool table\n"
    "              threads: pitch=<mm> starts=<n> (the feed becomes the lead),\n"
    "              depth=<mm>|auto (chisel; auto: the metric profile depth)\n"
    "              groove: dwell=<s>; drilling: hole=surface|base|centring\n"
    "              depth=<mm> zbase=<mm> diameter=<mm>\n"
    "              (a panel turn ... end block in place of the answer runs the\n"
    "              drilling, groove or contour operation's own panel)\n"
    "    settings  rapid spindle tool-change python editor xoutput accuracy (or\n"
    "              the dialog's control ids); an OK the dialog refuses keeps it\n"
    "              open for the next answer\n"
    "    simulation row=<program row to start the run from> speed=<speed factor>\n"
    "              run=0|1 (0: the pre-calculation alone)\n"
    "    statistics (no fields; in a dialog block 701 exports to TECHPLAN\n"
    "              after an answer save-file, 702 leaves the setup sheet open)\n"
    "             an unanswered panel or dialog is cancelled, an unanswered\n"
    "             question takes its first button; both are marked (default)\n"
    "  menu <id>                      a command of the library's menu or plan tree\n"
    "                                 by its id, sent as the host's menu sends it\n"
    "                                 (e.g. 1 plan data, 2..8 a new operation, 9 the\n"
    "                                 NC program, 22 settings, 30 the NC system)\n";

// The statements after the host's: saving the view and the drawing, and the commands.
constexpr const char* kOutputStatementsHelp =
    "  view <file>.glb|.png|.svg      save the part's view: the 3D scene as glTF\n"
    "                                 or a picture, or a drawing of the turning\n"
    "                                 plane (section, stock, each operation's path)\n"
    "  drawing <file>.svg|.dxf|.rdd ... the drawing a sketch left open, exported\n"
    "                                 as SVG or DXF or saved as a drawing document,\n"
    "                                 then closed: the part is in front again\n"
    "  command <type> <action> <index> one action triple through the command door\n"
    "  or a command by name (operation indexes start at 0):\n";

const char* ScriptHelp() {
    static std::string help = [] {
        std::string h = std::string(kStatementsHelp) + kHostStatementsHelp + kOutputStatementsHelp;
        for (const auto& c : CommandScript::Commands()) {
            std::string line = "    " + std::string(c.name) + (*c.arguments ? " " : "") + c.arguments;
            if (line.size() < 34) line.resize(34, ' ');
            h += line + " " + c.help + " (" + std::to_string(c.action) + ")\n";
        }
        return h;
    }();
    return help.c_str();
}

namespace {

void Echo(const MessageEntry& e) {
    std::cout << MessageRoleName(e.role);
    if (!e.caption.empty() && e.caption != " ") std::cout << " [" << e.caption << "]";
    std::cout << ": " << e.text;
    if (e.role == MessageRole::Question && e.buttons.size() == 2)
        std::cout << " -> " << (e.answer == IDYES_ ? e.buttons[0] : e.buttons[1]);
    if (e.defaulted) std::cout << " (default)";
    std::cout << "\n";
}

void EchoPanel(const PanelEntry& e) {
    std::cout << "panel " << e.panel;
    if (!e.detail.empty()) std::cout << " [" << e.detail << "]";
    if (e.panel == PlanPanels::kSPID || e.panel == PlanPanels::kLSC || e.panel == PlanPanels::kTurn ||
        e.panel == PlanPanels::kProgram || e.panel == PlanPanels::kSimulation || e.panel == PlanPanels::kSettings ||
        e.panel == PlanPanels::kSaveFile)
        std::cout << ": " << (e.result == IDOK_ ? "ok" : "cancel");
    if (e.defaulted) std::cout << " (default)";
    std::cout << "\n";
}

// A point of the section as a lathe programmer reads it: Z along the axis and
// the diameter, where the section keeps x as the negative radius.
std::string SectionPointText(const Point3D& p) {
    const double diameter = -2.0 * p.x;
    return "Z" + FormatG(p.z) + " D" + FormatG(diameter == 0.0 ? 0.0 : diameter);
}

// A unit of the section as the listing shows it, in diameters: a line, a gap
// or an arc by its ends (an arc with its radius, its centre and its sense as
// drawn with Z to the right and the diameter upward); any other curve (a
// torus's or a spline face's) by its ends and its surface, with the number of
// chords it is cut by.
std::string SectionUnitText(const CUnit& unit) {
    const std::string ends = SectionPointText(unit.StartPoint) + " to " + SectionPointText(unit.EndPoint);
    switch (unit.Kind) {
        case kUnitLine: return "line " + ends;
        case kUnitArc: {
            const auto& arc = static_cast<const CArcUnit&>(unit);
            // X is the negative radius, so an arc clockwise in (Z, X) turns
            // counter-clockwise in (Z, D).
            return "arc " + ends + ", R" + FormatG(arc.Radius) + " about " + SectionPointText(arc.CentrePoint) +
                   (arc.DirVector < 0 ? ", cw" : ", ccw");
        }
        case kUnitGap: return "gap " + ends;
        case kUnitComplex:
            return "curve " + ends + ", " + unit.SurfaceName + ", " +
                   std::to_string(static_cast<const CComplexUnit&>(unit).SubUnitCount()) + " chords";
        default: return std::string(1, unit.Kind) + " " + ends;
    }
}

void PrintReport(const HostDocument& doc, bool showTree) {
    // The units of the part's section by the numbers an operation's working
    // contour is chosen with (the work field of its panel).
    std::cout << "== section\n";
    if (const CSPID* spid = ExistingSPID(); spid && spid->GetDetailContour()) {
        const Contour& section = *spid->GetDetailContour();
        for (int i = 0; i < section.Count(); ++i)
            std::cout << i << ": " << SectionUnitText(*section.GetUnit(i)) << "\n";
    }
    std::cout << "== plan\n";
    if (CPLAN* plan = ExistingPLAN()) {
        for (int i = 0; i < plan->GetTurnCount(); ++i) {
            const PlanTurn* op = plan->GetTurn(i);
            std::cout << i << ": type " << op->kind << " \"" << op->GetNameTurn() << "\""
                      << (op->isExclude ? " excluded" : "") << (op->HasMessage() ? " message: " + op->messageText : "")
                      << "\n";
        }
    }
    if (showTree) {
        std::cout << "== plan tree\n";
        PrintPlanTree();
    }
    std::cout << "== document\n" << DumpDocumentRecords(doc);
}

// The reader's own words name the file and say what is wrong (not ours, a
// newer version, damaged and where); only a missing file is said shorter.
std::string DocumentProblem(const HostError& e) {
    return e.Code() == STG_E_FILENOTFOUND_ ? std::string("the file does not exist") : e.Message();
}

// Runs the script's statements; the exit code of a statement that stopped
// the run, else kExitOk.
int RunStatements(CommandScript& runner, const std::string& text, const std::filesystem::path& scriptPath) {
    try {
        runner.Run(text);
    } catch (const ImportError& e) {
        std::cerr << "zarvento: " << scriptPath.string() << ", " << e.what() << "\n";
        return kExitImport;
    } catch (const ScriptError& e) {
        std::cerr << "zarvento: " << scriptPath.string() << ", " << e.what() << "\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << scriptPath.string() << ": " << e.what() << "\n";
        return kExitUsage;
    }
    return kExitOk;
}

// The closing line: the commands run and failed (with their lines), and the
// modal brackets left open.
void PrintRunSummary(const CommandScript& runner) {
    std::cout << "== " << runner.CommandsRun() << " commands, " << runner.CommandsFailed() << " failed";
    if (!runner.FailedLines().empty()) {
        std::cout << " (line";
        if (runner.FailedLines().size() > 1) std::cout << "s";
        for (std::size_t k = 0; k < runner.FailedLines().size(); ++k)
            std::cout << (k == 0 ? " " : ", ") << runner.FailedLines()[k];
        std::cout << ")";
    }
    std::cout << ", " << MessageLog::Instance().ModalDepth() << " modal brackets open\n";
}

// The plan tree's control (Pelmora's tree dialog) was not there when the plan
// asked the host's panel for it: what the user does about it, the command
// that registers it named by its path where it lies beside this program (an
// installed copy) or in the build's folder of Pelmora.
std::string NoTreeControlText() {
    std::string command = "pelmora register";
    std::error_code ec;
    const std::filesystem::path folder = HostExecutablePath().parent_path();
    for (const std::filesystem::path& pelmora : {folder / "pelmora", folder.parent_path() / "treecontrol" / "pelmora"})
        if (std::filesystem::is_regular_file(pelmora, ec)) {
            command = pelmora.string() + " register";
            break;
        }
    return "zarvento: the plan tree cannot be shown: its control \"" + std::string(PlanTree::kProgId) +
           "\" is not registered in the host's registry " + DefaultRegistryFile().string() +
           " (or its entry names a module that cannot be loaded); register Pelmora's control with: " + command;
}

// The operations the script made or edited that end with a message, after
// the summary: each by its index, its name and its message (an error or a
// warning, on one line). Their count.
int PrintOperationMessages(const CommandScript& runner) {
    const CPLAN* plan = ExistingPLAN();
    if (!plan) return 0;
    int count = 0;
    for (const PlanTurn* op : runner.OperationsWorkedOn()) {
        if (!op->HasMessage()) continue;
        int index = 0;
        while (index < plan->GetTurnCount() && plan->GetTurn(index) != op) ++index;
        // "Ошибка:\n<text>" or "Предупреждение\n<text>" on one line.
        std::string message = op->messageText;
        if (const std::size_t first = message.find('\n'); first != std::string::npos)
            message.replace(first, 1, first > 0 && message[first - 1] == ':' ? " " : ": ");
        for (char& c : message)
            if (c == '\n') c = ' ';
        std::cout << "== operation " << index << " \"" << op->GetNameTurn() << "\" ends with a message: " << message
                  << "\n";
        ++count;
    }
    return count;
}

// The run's summary and its exit code: failed commands, operations the
// script made or changed that hold a message (no path the program can take:
// the run did not do what it was asked), and a plan shown without its tree
// (no run the user can check).
int RunOutcome(const CommandScript& runner, bool showTree) {
    PrintRunSummary(runner);
    int status = runner.CommandsFailed() > 0 ? kExitCommandFailed : kExitOk;
    if (const int left = PrintOperationMessages(runner); left > 0) {
        std::cerr << "zarvento: " << left << (left == 1 ? " operation" : " operations") << " the script made or edited "
                  << (left == 1 ? "ends" : "end") << " with a message (listed last)\n";
        status = kExitCommandFailed;
    }
    if (const PlanTree* tree = ExistingPlanTree(); showTree && tree && tree->ControlMissing()) {
        std::cerr << NoTreeControlText() << "\n";
        status = kExitCommandFailed;
    }
    return status;
}

}  // namespace

int RunScript(int argc, char** argv) {
    const VerbSyntax syntax{"usage: zarvento run [--new [--replace]] [--no-save] [--no-tree] <document> <script>\n",
                            {{"--new"}, {"--replace"}, {"--no-save"}, {"--no-tree"}},
                            2,
                            2};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const bool makeNew = args.Has("--new"), replace = args.Has("--replace"), save = !args.Has("--no-save");
    const bool showTree = !args.Has("--no-tree");
    if (replace && !makeNew) return args.Usage(), kExitUsage;
    const std::string& documentPath = args.Plain()[0];
    const std::filesystem::path scriptPath = args.Plain()[1];
    FileReadResult script = ReadTextFile(scriptPath, TextEncoding::Utf8);
    if (!script.ok) {
        std::cerr << "zarvento: cannot read the script " << scriptPath.string() << ": " << script.error << "\n";
        return kExitUsage;
    }

    // A run that saves holds its document from before reading it to its
    // end: a second run on it is refused rather than saving over this one.
    std::error_code ec;
    const bool exists = std::filesystem::exists(documentPath, ec);
    if (makeNew && exists && !replace && save) {
        std::cerr << "zarvento: " << documentPath << " exists; --new --replace makes a new document in its place\n";
        return kExitDocument;
    }
    DocumentLock lock;
    if (save && exists) {
        std::string error;
        if (!lock.Acquire(documentPath, &error)) {
            std::cerr << "zarvento: " << error << "\n";
            return kExitDocument;
        }
    }

    HeadlessSession session;
    MessageLog::Instance().SetEcho(Echo);
    PanelScript::Instance().SetEcho(EchoPanel);
    ScriptedUser::Instance().SetEcho([](const std::string& line) { std::cout << line << "\n"; });
    HostDocumentPtr doc;
    DocumentType type = DocumentType::Part;
    try {
        HostApplication& app = ConnectHostApplication();
        doc = makeNew ? app.Documents().Add(DocumentType::Part) : app.Documents().Open(documentPath);
        type = doc->Type();
    } catch (const HostError& e) {
        std::cerr << "zarvento: cannot open " << documentPath << ": " << DocumentProblem(e) << "\n";
        return kExitDocument;
    }
    if (type != DocumentType::Part && type != DocumentType::Assembly) {
        std::cerr << "zarvento: " << documentPath << " is not a part or an assembly\n";
        return kExitDocument;
    }

    CommandScript runner(scriptPath.parent_path());
    runner.SetExtraStatements(
        [&runner](const std::vector<std::string>& words, int line) { return RunHostStatement(runner, words, line); });
    if (const int stopped = RunStatements(runner, script.text, scriptPath); stopped != kExitOk) return stopped;

    if (save) {
        try {
            if (makeNew) {
                doc->SaveAs(documentPath, replace);
            } else {
                doc->Save();
            }
        } catch (const HostError& e) {
            std::cerr << "zarvento: cannot save " << documentPath << ": " << e.Message() << "\n";
            return kExitDocument;
        }
    }
    PrintReport(*doc, showTree);
    return RunOutcome(runner, showTree);
}

}  // namespace zarvento::app
