// zarvento catalog: the bundled catalog of tools and fixtures beside the
// program, listed as the catalog dialog shows it, and one model's parameters.
#pragma once

namespace zarvento::app {

extern const char* const kCatalogUsage;

int RunCatalog(int argc, char** argv);

}  // namespace zarvento::app
