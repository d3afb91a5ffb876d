// The module's interface for the command-line program's verbs. Like every
// export, it lets nothing thrown cross into the program.
#include <exception>
#include <iostream>
#include <string>

#include "host/catalog_command.h"
#include "host/document_jobs.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "host/simulation_job.h"
#include "host/statistics_job.h"
#include "host/tool_verbs.h"
#include "host/zarvento_module.h"

namespace {

template <typename Verb>
int Guarded(Verb verb, int argc, char** argv) {
    try {
        return verb(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "zarvento: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "zarvento: the command failed\n";
    }
    return 1;
}

}  // namespace

extern "C" {

int ZarventoRunScript(int argc, char** argv) { return Guarded(&zarvento::app::RunScript, argc, argv); }

int ZarventoProgramJob(int argc, char** argv) { return Guarded(&zarvento::app::RunProgramJob, argc, argv); }

int ZarventoSimulationJob(int argc, char** argv) { return Guarded(&zarvento::app::RunSimulationJob, argc, argv); }

int ZarventoToolModel(int argc, char** argv) { return Guarded(&zarvento::app::RunToolModel, argc, argv); }

int ZarventoToolContour(int argc, char** argv) { return Guarded(&zarvento::app::RunToolContour, argc, argv); }

int ZarventoCatalog(int argc, char** argv) { return Guarded(&zarvento::app::RunCatalog, argc, argv); }

int ZarventoStatistics(int argc, char** argv) { return Guarded(&zarvento::app::RunStatisticsJob, argc, argv); }

int ZarventoSetupSheet(int argc, char** argv) { return Guarded(&zarvento::app::RunSetupSheetJob, argc, argv); }

int ZarventoExport(int argc, char** argv) { return Guarded(&zarvento::app::RunExportJob, argc, argv); }

const char* ZarventoUsage() {
    static const std::string usage = std::string(zarvento::app::kProgramUsage) + zarvento::app::kRunUsage +
                                     zarvento::app::kSimulateUsage + zarvento::app::kStatisticsUsage +
                                     zarvento::app::kDocumentJobsUsage + zarvento::app::kToolUsage +
                                     zarvento::app::kCatalogUsage + "\n" + zarvento::app::ScriptHelp();
    return usage.c_str();
}

}  // extern "C"
