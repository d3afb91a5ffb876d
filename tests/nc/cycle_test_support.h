// A stand-in for the plan's installed post-processors and their cycle
// definitions, registered for the lifetime of the object.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nc/cycle_auto.h"
#include "nc/cycle_definition_links.h"

namespace zarvento::test {

class FakePostProcessors : public CycleDefinitionLinks {
public:
    FakePostProcessors() : previous_(RegisterCycleDefinitionLinks(this)) {}
    ~FakePostProcessors() override { RegisterCycleDefinitionLinks(previous_); }
    FakePostProcessors(const FakePostProcessors&) = delete;
    FakePostProcessors& operator=(const FakePostProcessors&) = delete;

    // A new definition of the post-processor, kept here.
    CCycle_Auto& AddDefinition(const std::string& postProcessor, std::string_view block, bool group = false) {
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->ReadCycleDescription(block);
        cycle->SetPostProcessorName(postProcessor);
        cycle->groupFlag = group ? 1 : 0;
        auto& list = installed[postProcessor];
        list.push_back(std::move(cycle));
        return *list.back();
    }

    bool HasPostProcessor(std::string_view name) override { return installed.count(std::string(name)) != 0; }
    const CCycle_Auto* FindCycleDefinition(std::string_view name, std::string_view gcode) override {
        auto pp = installed.find(std::string(name));
        if (pp == installed.end()) return nullptr;
        for (const auto& c : pp->second)
            if (c->gcode == gcode) return c.get();
        return nullptr;
    }
    const CCycle_Auto* FindCurrentCycleDefinition(std::string_view gcode) override {
        return FindCycleDefinition(current, gcode);
    }

    std::map<std::string, std::vector<std::unique_ptr<CCycle_Auto>>> installed;
    std::string current;

private:
    CycleDefinitionLinks* previous_;
};

}  // namespace zarvento::test
