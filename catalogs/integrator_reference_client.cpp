// The part reader's materials reference client over IntegratorEx.
#include "catalogs/integrator_reference_client.h"

#include "catalogs/integrator_ex.h"

namespace zarvento {

namespace {

class IntegratorReferenceClient : public MaterialsReferenceClient {
public:
    // No configuration path (the library's file in the user's folder) and
    // no language (the server's).
    bool Connect() override { return client_.InitIntegrator("", std::nullopt); }
    void ReadMaterialProperties(const std::string& location, DETAIL_PARAMETERS& part) override {
        client_.ReadMaterialProperties(location, part);
    }
    void Disconnect() override { client_.DropServer(); }

private:
    IntegratorEx client_;
};

}  // namespace

std::unique_ptr<MaterialsReferenceClient> NewIntegratorReferenceClient() {
    return std::make_unique<IntegratorReferenceClient>();
}

}  // namespace zarvento
