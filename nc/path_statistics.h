// PathStatistics: what a frame or an operation adds to the machining time and
// path lengths, and the time of a cut under constant cutting speed.
#pragma once

#include <cstdint>

namespace zarvento {

struct PathStatistics {
    double workLength = 0.0;  // cutting moves, mm
    double idleLength = 0.0;  // rapid moves, mm
    double workTime = 0.0;    // cutting time, minutes (filled by frames only under constant cutting speed)
    double auxTime = 0.0;     // auxiliary time, minutes
    std::int32_t count = 0;

    // Adds the four doubles; the count stays.
    void AddTimesAndLengths(const PathStatistics& other) {
        workLength += other.workLength;
        idleLength += other.idleLength;
        workTime += other.workTime;
        auxTime += other.auxTime;
    }
};

// Minutes to cut a straight stretch of `length` mm whose ends lie at radii r1
// and r2, at cutting speed V (m/min) and feed F (mm/rev), the spindle speed
// held within [minSpeed, maxSpeed]. A limit at or below EPS means no limit;
// a feed, speed or length at or below EPS gives 0, so the result is always a
// finite number.
double ConstantSpeedTime(double length, double r1, double r2, double cuttingSpeed, double minSpeed, double maxSpeed,
                         double feed);

}  // namespace zarvento
