// zarvento setup-sheet and zarvento export: the setup sheet of a part's plan,
// and its export to TECHPLAN, as the statistics dialog's buttons make them.
#pragma once

namespace zarvento::app {

extern const char* const kDocumentJobsUsage;

int RunSetupSheetJob(int argc, char** argv);
int RunExportJob(int argc, char** argv);

}  // namespace zarvento::app
