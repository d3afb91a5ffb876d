// The time the host spends in its own model calls (reading STEP files,
// sections, projections, the 2D region boundary), summed while it is
// measured: benchmarks report the host's share of a library operation apart
// from the library's own.
#pragma once

namespace zarvento {

class HostCallTime {
public:
    // Starts summing from zero; Stop ends it.
    static void Start();
    static void Stop();
    static double Seconds();

    // Adds the time of one host call while a measurement runs; nested calls
    // count once.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        long long start_ = 0;
        bool outer_ = false;
    };
};

}  // namespace zarvento
