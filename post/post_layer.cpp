// The post-processing layer's registrations.
#include "post/post_layer.h"

#include "nc/cycle_auto.h"
#include "nc/nc_layer.h"
#include "post/cycle_definition_lookup.h"
#include "post/post_processor_links.h"

namespace zarvento {

void RegisterPostLayer() {
    RegisterNcLayer();
    RegisterPostLinks(&PostProcessorLinks::Instance());
    RegisterCycleDefinitionLinks(&CycleDefinitionLookup::Instance());
}

}  // namespace zarvento
