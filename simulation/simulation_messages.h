// SimulationMessages: the messages of one simulation run, at most one per
// frame number (the first raised for it), in the order they came, shown in a
// list control when one is bound. The simulation panel owns the list.
#pragma once

#include <cstdint>
#include <string>

#include "geometry/step_array.h"

namespace zarvento {

class ListControl;

class SimulationMessages {
public:
    explicit SimulationMessages(ListControl* list = nullptr) : list_(list) {}

    // Drops the text when the frame number has a message already.
    void Add(std::int32_t frameNumber, const std::string& text);
    void Clear();

    std::uint32_t Count() const { return texts_.Count(); }
    std::int32_t FrameNumber(std::uint32_t i) const { return frameNumbers_[i]; }
    const std::string& Text(std::uint32_t i) const { return texts_[i]; }
    ListControl* List() const { return list_; }

private:
    StepArray<std::int32_t> frameNumbers_{100};
    StepArray<std::string> texts_{100};
    ListControl* list_;
};

}  // namespace zarvento
