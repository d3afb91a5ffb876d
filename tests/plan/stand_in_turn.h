// Stand-in operations for the plan suites: each kind logs what the plan asks
// of it, so order, positions and display calls can be read back.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plan/plan_turn.h"

namespace zarvento::test {

class StandInTurn : public PlanTurn {
public:
    StandInTurn(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    std::string GetNameTurn() const override { return name_; }
    void DiagnosticRaschetPath(int position) override {
        index = position;
        log_.push_back(name_ + "@" + std::to_string(position));
        if (onCalculate) onCalculate(*this);
    }
    bool RemoveStorage(int position) override {
        log_.push_back("remove " + std::to_string(position));
        return true;
    }
    void SelectFrames(bool select) override { log_.push_back(name_ + (select ? " select" : " deselect")); }
    void ShowFrames() override { log_.push_back(name_ + " show"); }
    void UnhideFrames() override { log_.push_back(name_ + " unhide"); }
    void HideFrames() override { log_.push_back(name_ + " hide"); }

    // Runs inside DiagnosticRaschetPath.
    std::function<void(StandInTurn&)> onCalculate;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

// Makes stand-ins named "k<type>" and registers itself while it lives.
class StandInFactory : public PlanTurnFactory {
public:
    explicit StandInFactory(std::vector<std::string>& log) : log_(log), previous_(RegisterPlanTurnFactory(this)) {}
    ~StandInFactory() override { RegisterPlanTurnFactory(previous_); }
    StandInFactory(const StandInFactory&) = delete;
    StandInFactory& operator=(const StandInFactory&) = delete;

    std::unique_ptr<PlanTurn> CreateTurn(std::int32_t type) override {
        return std::make_unique<StandInTurn>("k" + std::to_string(type), log_);
    }

private:
    std::vector<std::string>& log_;
    PlanTurnFactory* previous_;
};

}  // namespace zarvento::test
