// The NC-frame layer's registrations.
#include "nc/nc_layer.h"

#include "nc/frame_factory.h"

namespace zarvento {

void RegisterNcLayer() { FrameFactory::Register(); }

}  // namespace zarvento
