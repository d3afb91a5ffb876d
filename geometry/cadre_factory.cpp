// The registered NC-frame factory.
#include "geometry/cadre_factory.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<CadreFactory> registration;
}  // namespace

void SetCadreFactory(CadreFactory* factory) { registration.Register(factory); }
CadreFactory* GetCadreFactory() { return registration.Get(); }

}  // namespace zarvento
