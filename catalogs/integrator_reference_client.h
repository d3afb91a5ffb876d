// The materials reference client as the part's reader of its material uses
// it (nc/materials_reference.h): a new IntegratorEx for each reading, started
// with the library's own configuration and the server's language, asked for
// one material, then let go.
#pragma once

#include <memory>

#include "nc/materials_reference.h"

namespace zarvento {

// The factory the plan registers with RegisterMaterialsReference at start-up.
std::unique_ptr<MaterialsReferenceClient> NewIntegratorReferenceClient();

}  // namespace zarvento
