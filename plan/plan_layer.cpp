// The plan layer's registrations.
#include "plan/plan_layer.h"

#include "model/model_layer.h"
#include "plan/part_model_services.h"
#include "plan/plan_program_links.h"
#include "post/post_layer.h"

namespace zarvento {

void RegisterPlanLayer() {
    RegisterPostLayer();
    RegisterModelLayer();
    RegisterProgramPlanLinks(&PlanProgramLinks::Instance());
    RegisterPartModelServices();
}

}  // namespace zarvento
