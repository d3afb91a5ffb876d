// Copies of a post-processor, the look-ups of its cycle definitions and its
// record in an operation's storage.
#include "post/post_processor.h"

#include "nc/frame_templates.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

std::vector<std::unique_ptr<CCycle_Auto>> CopyCycles(const std::vector<std::unique_ptr<CCycle_Auto>>& source) {
    std::vector<std::unique_ptr<CCycle_Auto>> copies;
    copies.reserve(source.size());
    for (const auto& c : source) {
        auto copy = std::make_unique<CCycle_Auto>();
        copy->Copy(*c);
        copies.push_back(std::move(copy));
    }
    return copies;
}

}  // namespace

CPostProcessor::CPostProcessor(const CPostProcessor& other) { *this = other; }

CPostProcessor& CPostProcessor::operator=(const CPostProcessor& other) {
    if (this == &other) return *this;
    // Built aside first, so that a failure leaves this post-processor whole.
    auto cycles = CopyCycles(other.cycles_);
    name_ = other.name_;
    path_ = other.path_;
    fileExtension_ = other.fileExtension_;
    spindleSynchronCode_ = other.spindleSynchronCode_;
    toolFormat_ = other.toolFormat_;
    // An operation's copy keeps the CNC codes too: the program run reads them
    // from whichever copy it is given.
    cncCodes_ = other.cncCodes_;
    tables_ = other.tables_;
    cycles_ = std::move(cycles);
    return *this;
}

CPostProcessor::~CPostProcessor() = default;

namespace {

// A group bundles other definitions; an operation takes one cycle, never a
// group, so the look-ups by type pass groups by.
bool IsSingleCycleOfType(const CCycle_Auto& c, std::string_view type) { return !c.groupFlag && c.GetType() == type; }

}  // namespace

int CPostProcessor::GetCountCyclesOfType(std::string_view type) const {
    int count = 0;
    for (const auto& c : cycles_)
        if (IsSingleCycleOfType(*c, type)) ++count;
    return count;
}

CCycle_Auto* CPostProcessor::GetCycleOfType(std::string_view type, int n) const {
    if (n < 0) return nullptr;
    for (const auto& c : cycles_)
        if (IsSingleCycleOfType(*c, type) && n-- == 0) return c.get();
    return nullptr;
}

CCycle_Auto* CPostProcessor::FindCycleDefinition(std::string_view code) const {
    for (const auto& c : cycles_)
        if (c->GetGCode() == code) return c.get();
    return nullptr;
}

void CPostProcessor::AddCycleDefinition(std::unique_ptr<CCycle_Auto> cycle) {
    if (cycle) cycles_.push_back(std::move(cycle));
}

void CPostProcessor::AddTable(std::shared_ptr<PostProcessorTable> table) {
    if (table) tables_.push_back(std::move(table));
}

bool CPostProcessor::Save(const std::string& recordName) const {
    StorageRecord record;
    if (!record.OpenWrite(recordName)) return false;
    record.AddValue(Variant::BStr(name_));
    record.AddValue(Variant::I4(static_cast<std::int32_t>(cycles_.size())));
    // Each definition writes its own record below this one, named after its GCODE.
    for (const auto& c : cycles_) c->SaveParameters(record);
    record.Flush();  // here, so that a failing host call reaches the caller
    return true;
}

bool CPostProcessor::Load(const std::string& recordName) {
    StorageRecord record;
    if (!record.OpenRead(recordName)) return false;
    Variant v;
    record.ReadValue(v);
    if (!v.IsEmpty()) name_ = v.ToBStr();
    // The stored count is not used: the definitions held now are what the
    // operation was set up with, and each reads only its own values.
    record.ReadValue(v);
    for (const auto& c : cycles_) c->LoadParameters(record);
    return true;
}

void FreeFrameTemplates() {
    // The cycles' own templates are shared by the definitions that use them and
    // go with the last of those.
    FrameTemplates::Clear();
}

}  // namespace zarvento
