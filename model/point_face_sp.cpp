// The start-point marker's calls, recorded by the headless view.
#include "model/point_face_sp.h"

#include "platform/host_faults.h"
#include "platform/view_3d_log.h"

namespace zarvento {

void C3DPointFace_SP::DrawAtOffset(double x, double y, double z) {
    HostFaults::Check("C3DPointFace_SP.DrawAtOffset");
    View3DLog& view = View3DLog::Instance();
    if (item_ == 0) item_ = view.NewItem();
    view.Record({item_, "DrawAtOffset", {x, y, z}, colour_, 0});
    visible_ = true;
}

void C3DPointFace_SP::Hide() {
    if (item_ == 0) return;
    View3DLog::Instance().Record({item_, "Hide", {}, colour_, 0});
    visible_ = false;
}

void C3DPointFace_SP::Erase() {
    if (item_ == 0) return;
    View3DLog::Instance().Record({item_, "Erase", {}, colour_, 0});
    item_ = 0;
    visible_ = false;
}

}  // namespace zarvento
