// ScopedEps: lowers (or raises) the global tolerance for one scope and puts the
// previous value back on every exit, exceptions included.
#pragma once

#include "geometry/primitives.h"

namespace zarvento {

class ScopedEps {
public:
    explicit ScopedEps(double value) : previous_(EPS) { EPS = value; }
    ~ScopedEps() { EPS = previous_; }
    ScopedEps(const ScopedEps&) = delete;
    ScopedEps& operator=(const ScopedEps&) = delete;

private:
    double previous_;
};

}  // namespace zarvento
