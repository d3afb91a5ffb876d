// SimulationControls: the simulation panel's controls as the simulation
// drives them: the status values, the program list's row marks and texts,
// and the controls a run's end gives back to the user. The panel implements
// it over its host controls; the simulation holds a link, never owns it.
#pragma once

#include <cstdint>
#include <string>

namespace zarvento {

class SimulationControls {
public:
    virtual ~SimulationControls() = default;

    // The spindle-speed, feed and tool-number values.
    virtual void ShowValues(double spindleSpeed, double feed, std::int32_t toolNumber) = 0;
    // The status line that hosts of major version 17 and later show in the
    // spindle-speed control.
    virtual void ShowStatusText(const std::string& text) = 0;
    // A row of the program list marked (1) or not (0) as the frame being run.
    virtual void MarkRow(std::int32_t row, int state) = 0;
    virtual void ClearRowMarks() = 0;
    // The text of a program-list row, empty past the end.
    virtual std::string RowText(std::int32_t row) const = 0;
    // The list that shows the run's messages is emptied.
    virtual void ClearMessageList() = 0;
    // A run has ended: the controls it took from the user are enabled again
    // and the panel's run buttons set back.
    virtual void RestoreAfterRun() = 0;
};

}  // namespace zarvento
