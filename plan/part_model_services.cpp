// The plan's part-model services.
#include "plan/part_model_services.h"

#include <string>

#include "model/rotation_contours.h"
#include "nc/detail_parameters.h"
#include "plan/plan.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

void ShowSectionError(const std::string& text) { GetSPID()->ShowError(text); }

}  // namespace

void RegisterPartModelServices() {
    RegisterDetailParametersReader(&ReadPartVariables);
    RegisterSectionErrorReport(&ShowSectionError);
}

}  // namespace zarvento
