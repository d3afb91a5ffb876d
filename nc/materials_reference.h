// The client of the host maker's materials reference: a separate automation
// server, started on demand, that fills the material record of the part.
// The catalogs register the way to make a client at start-up; until one is
// registered no connection can be made.
#pragma once

#include <memory>
#include <string>

namespace zarvento {

class DETAIL_PARAMETERS;

class MaterialsReferenceClient {
public:
    virtual ~MaterialsReferenceClient() = default;
    // False when the server cannot be reached.
    virtual bool Connect() = 0;
    // Fills the part's material record and its material values from the
    // material the reference keeps at `location`.
    virtual void ReadMaterialProperties(const std::string& location, DETAIL_PARAMETERS& part) = 0;
    virtual void Disconnect() = 0;
};

using MaterialsReferenceFactory = std::unique_ptr<MaterialsReferenceClient> (*)();
// Returns the previous factory, so that a caller can put it back.
MaterialsReferenceFactory RegisterMaterialsReference(MaterialsReferenceFactory factory);
// A new client, or null when no reference is registered.
std::unique_ptr<MaterialsReferenceClient> NewMaterialsReferenceClient();

}  // namespace zarvento
