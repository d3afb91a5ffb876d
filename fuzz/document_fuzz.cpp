// The document reader: any file as a document. A document that reads is
// dumped, saved and read back, as a run would open and save it.
#include "fuzz_support.h"
#include "platform/core/host_error.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/document_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    const auto path = fuzz::ScratchFile("fuzz.rdp", fuzz::Text(data, size));
    try {
        const HostDocumentPtr doc = DocumentFile::Read(path.string());
        const std::string dump = DumpDocumentRecords(*doc);
        const std::string again = (fuzz::Scratch() / "again.rdp").string();
        DocumentFile::Write(*doc, again);
        // What was read is what is saved: a second reading gives the same records.
        if (DumpDocumentRecords(*DocumentFile::Read(again)) != dump) __builtin_trap();
    } catch (const HostError&) {
        // Refused, as a foreign or damaged file must be.
    }
    return 0;
}
