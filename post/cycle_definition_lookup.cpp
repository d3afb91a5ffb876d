// The post-processors' answers to the machine cycles, and their registration.
#include "post/cycle_definition_lookup.h"

#include "nc/cycle_auto.h"
#include "platform/core/process_state.h"
#include "post/post_processor.h"

namespace zarvento {

namespace {

const CCycle_Auto* FindByCode(const std::vector<std::unique_ptr<CCycle_Auto>>& cycles, std::string_view gcode) {
    for (const auto& c : cycles)
        if (c->GetGCode() == gcode) return c.get();
    return nullptr;
}

}  // namespace

ZARVENTO_STATE_RESET { CycleDefinitionLookup::Instance().ClearCurrent(); }

CycleDefinitionLookup& CycleDefinitionLookup::Instance() {
    static CycleDefinitionLookup lookup;
    return lookup;
}

CycleDefinitionLookup::ReadingScope::ReadingScope(const CPostProcessor& post) : previous_(Instance().reading_) {
    Instance().reading_ = &post;
}

CycleDefinitionLookup::ReadingScope::~ReadingScope() { Instance().reading_ = previous_; }

void CycleDefinitionLookup::SetCurrent(const CPostProcessor& post) {
    std::vector<std::unique_ptr<CCycle_Auto>> copies;
    copies.reserve(post.GetCycles().size());
    for (const auto& c : post.GetCycles()) {
        auto copy = std::make_unique<CCycle_Auto>();
        copy->Copy(*c);
        copies.push_back(std::move(copy));
    }
    currentDefinitions_ = std::move(copies);
    currentName_ = post.GetName();
    hasCurrent_ = true;
}

void CycleDefinitionLookup::ClearCurrent() {
    currentDefinitions_.clear();
    currentName_.clear();
    hasCurrent_ = false;
}

bool CycleDefinitionLookup::HasPostProcessor(std::string_view postProcessorName) {
    if (reading_ != nullptr && reading_->GetName() == postProcessorName) return true;
    return hasCurrent_ && currentName_ == postProcessorName;
}

const CCycle_Auto* CycleDefinitionLookup::FindCycleDefinition(std::string_view postProcessorName,
                                                              std::string_view gcode) {
    if (reading_ != nullptr && reading_->GetName() == postProcessorName) return reading_->FindCycleDefinition(gcode);
    if (hasCurrent_ && currentName_ == postProcessorName) return FindByCode(currentDefinitions_, gcode);
    return nullptr;
}

const CCycle_Auto* CycleDefinitionLookup::FindCurrentCycleDefinition(std::string_view gcode) {
    return hasCurrent_ ? FindByCode(currentDefinitions_, gcode) : nullptr;
}

}  // namespace zarvento
