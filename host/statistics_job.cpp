// The "statistics" command of the program: the statistics list of a part's
// plan and its cost estimate, printed as the dialogs show them.
#include "host/statistics_job.h"

#include <iostream>
#include <string>
#include <string_view>

#include "host/headless_session.h"
#include "host/script_run.h"
#include "host/verb_arguments.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "reports/cost_dialog.h"
#include "reports/statistics_dialog.h"

namespace zarvento::app {

const char* const kStatisticsUsage =
    "  statistics <document> [--elementary] [--sp]\n"
    "             the statistics of every operation of the part's plan (the\n"
    "             dialog \"Статистика по всем обработкам\": cutting data, path\n"
    "             lengths and times, the totals) and the cost estimate of the\n"
    "             part and of its batch with the document's cost items\n"
    "             (\"Экспресс-расчет технологической себестоимости\": each\n"
    "             item's parameters and values, the tools' costs);\n"
    "             --elementary counts in elementary moves in place of the\n"
    "             machine cycles, --sp with tool-life stops. The document is\n"
    "             not saved\n";

namespace {

constexpr const char* kUsage = "usage: zarvento statistics <document> [--elementary] [--sp]\n";

}  // namespace

int RunStatisticsJob(int argc, char** argv) {
    const VerbSyntax syntax{kUsage, {{"--elementary"}, {"--sp"}}, 1, 1};
    VerbArguments args;
    if (!args.Read(syntax, argc, argv)) return args.ExitStatus();
    const std::string& documentPath = args.Plain()[0];
    const bool elementary = args.Has("--elementary"), stops = args.Has("--sp");

    HeadlessSession session;
    MessageLog::Instance().SetEcho(
        [](const MessageEntry& e) { std::cerr << MessageRoleName(e.role) << ": " << e.text << "\n"; });
    const HostDocumentPtr doc = OpenPartDocument(documentPath);
    if (!doc) return kExitDocument;
    RunLibraryCommand(-1, kActionSynchronize, -1);
    if (LastCommandFailed()) {
        std::cerr << "zarvento: the plan could not be read\n";
        return kExitCommandFailed;
    }
    CPLAN& plan = *GetPLAN();
    {
        // The dialog as it opens, with the check boxes set as asked.
        CDialogStatistics statistics(plan);
        statistics.OnInitDialog();
        if (elementary != plan.isElementStat)
            statistics.UserSetValue(CDialogStatistics::kElementStat, elementary ? "on" : "off");
        if (stops != plan.isSTOP) statistics.UserSetValue(CDialogStatistics::kStop, stops ? "on" : "off");
        std::cout << StatisticsListText(statistics);
        std::cout << "\n";
        CDialogCalculate costs(plan, *GetSPID());
        costs.OnInitDialog();
        std::cout << CostEstimateText(costs);
        statistics.OnDestroy();
    }
    return kExitOk;
}

}  // namespace zarvento::app
