// A readable listing of a document's records, for tests and the command-line
// program.
#pragma once

#include <string>

#include "platform/documents/host_document.h"

namespace zarvento {

// Every storage in order ("storage N"), then each of its records in order
// (record "name", with its library key when it is not the library's own),
// then one line per entry: its name in quotes (" " for a positional value),
// the value's kind and the value. Lines end with '\n'.
std::string DumpDocumentRecords(const HostDocument& doc);

}  // namespace zarvento
