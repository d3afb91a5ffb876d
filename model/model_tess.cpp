// The drawn 3D model's state in the headless view.
#include "model/model_tess.h"

#include <filesystem>
#include <system_error>

#include "platform/host_faults.h"

namespace zarvento {

bool CModelTess::LoadFromFile(const std::string& path) {
    HostFaults::Check("CModelTess.LoadFromFile");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    path_ = path;
    return true;
}

void CModelTess::DrawAt(double, double, double) {
    HostFaults::Check("CModelTess.DrawAt");
    drawn_ = true;
    visible_ = true;
}

void CModelTess::Erase() {
    drawn_ = false;
    visible_ = false;
}

}  // namespace zarvento
