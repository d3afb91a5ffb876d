// Error records per thread and the mapping of exceptions to HRESULTs.
#include "platform/core/automation_error.h"

namespace zarvento {

namespace {
thread_local std::optional<ErrorRecord> threadRecord;
}  // namespace

void SetErrorInfo(std::optional<ErrorRecord> record) { threadRecord = std::move(record); }

std::optional<ErrorRecord> TakeErrorInfo() { return std::exchange(threadRecord, std::nullopt); }

HRESULT ErrorFromCurrentException(const AutomationSource& source) {
    // Building the record may itself run out of memory: then the code alone goes back.
    try {
        ErrorRecord record;
        record.interfaceId = source.interfaceId;
        record.source = source.applicationName;
        try {
            throw;
        } catch (const DispatchException& e) {
            record.description = e.Description();
            record.helpContext = e.HelpContext();
            if (!e.Source().empty()) record.source = e.Source();
            record.helpFile = !e.HelpFile().empty()  ? e.HelpFile()
                              : e.HelpContext() != 0 ? std::string(source.helpFile)
                                                     : std::string();
            SetErrorInfo(std::move(record));
            return InterfaceError(e.Code());
        } catch (const std::bad_alloc&) {
            record.description = kOutOfMemoryText;
            SetErrorInfo(std::move(record));
            return E_OUTOFMEMORY_;
        } catch (const HostError& e) {
            return e.Code();
        } catch (...) {
            record.description = kInternalFailureText;
            SetErrorInfo(std::move(record));
            return E_UNEXPECTED_;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY_;
    }
}

}  // namespace zarvento
