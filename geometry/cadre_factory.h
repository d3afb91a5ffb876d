// The NC-frame factory behind CUnit::CreateCadre. The frame classes live in a
// higher layer, which registers its factory at start-up; until then units make
// no frames.
#pragma once

#include <memory>

namespace zarvento {

class CCadreISO;

// The frame's owner frees it through the deleter its factory supplied, so this
// layer never needs the frame class itself.
using CadreDeleter = void (*)(CCadreISO*);
using CadrePtr = std::unique_ptr<CCadreISO, CadreDeleter>;

inline CadrePtr NoCadre() {
    return CadrePtr(nullptr, [](CCadreISO*) {});
}

class CadreFactory {
public:
    virtual ~CadreFactory() = default;
    // A G01 frame (G00 when rapid) over the segment; a negative feed means the
    // frame takes no feed of its own.
    virtual CadrePtr MakeLineFrame(double x1, double z1, double x2, double z2, double feed, bool rapid, int option1,
                                   int option2) = 0;
    // A G02 frame when clockwise, else G03.
    virtual CadrePtr MakeArcFrame(bool clockwise, double xc, double zc, double radius, double x1, double z1, double x2,
                                  double z2, double feed, bool rapid) = 0;
};

// The registered factory is not owned; null unregisters. A process-state
// reset keeps it (registration is wiring done once at start-up).
void SetCadreFactory(CadreFactory* factory);
CadreFactory* GetCadreFactory();

}  // namespace zarvento
