// The registered NC-frame factory.
#include "geometry/cadre_factory.h"

namespace zarvento {

namespace {
CadreFactory* registered = nullptr;
}

void SetCadreFactory(CadreFactory* factory) { registered = factory; }
CadreFactory* GetCadreFactory() { return registered; }

}  // namespace zarvento
