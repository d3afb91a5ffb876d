// CCadreSpindle: the base of the spindle frames M03, M04 and M05, which record
// the spindle state in the modal state when built and again when written.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadreSpindle : public CCadreISO {
public:
    CCadreSpindle(std::int32_t state, char letter, const char* code);

    void SetModalState() override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    // Starting or stopping the spindle turns the fixtures with it in the
    // timed run; the pre-calculation shows nothing.
    std::int32_t SimulateStep(FrameSimulation& simulation) override;
    // The spindle's start or stop time as auxiliary time.
    PathStatistics GetStatistics() override;

private:
    void RecordState();

    std::int32_t state_;
    const char* code_;
};

}  // namespace zarvento
