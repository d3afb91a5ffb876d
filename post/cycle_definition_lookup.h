// CycleDefinitionLookup: how machine cycles find the definitions of the
// post-processors, registered with the cycles by the post layer's start-up call.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nc/cycle_definition_links.h"

namespace zarvento {

class CCycle_Auto;
class CPostProcessor;

class CycleDefinitionLookup : public CycleDefinitionLinks {
public:
    static CycleDefinitionLookup& Instance();

    // While a description is read, its group cycles take their members from
    // the definitions of that same post-processor, whether or not it is the
    // plan's choice or in any list.
    class ReadingScope {
    public:
        explicit ReadingScope(const CPostProcessor& post);
        ~ReadingScope();
        ReadingScope(const ReadingScope&) = delete;
        ReadingScope& operator=(const ReadingScope&) = delete;

    private:
        const CPostProcessor* previous_;
    };

    // The definitions of the description read last are the current ones: the
    // process-wide templates belong to that description too. Kept as copies,
    // so that they outlive a rescan of any list that held the post-processor.
    void SetCurrent(const CPostProcessor& post);
    void ClearCurrent();

    bool HasPostProcessor(std::string_view postProcessorName) override;
    const CCycle_Auto* FindCycleDefinition(std::string_view postProcessorName, std::string_view gcode) override;
    const CCycle_Auto* FindCurrentCycleDefinition(std::string_view gcode) override;

private:
    CycleDefinitionLookup() = default;

    const CPostProcessor* reading_ = nullptr;
    bool hasCurrent_ = false;
    std::string currentName_;
    std::vector<std::unique_ptr<CCycle_Auto>> currentDefinitions_;
};

}  // namespace zarvento
