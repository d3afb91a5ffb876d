// The post-processing answers to formulas and frames, and the address-word reset.
#include "post/post_processor_links.h"

#include "nc/address_table.h"
#include "nc/parameters.h"
#include "post/post_processor_table.h"

namespace zarvento {

PostProcessorLinks& PostProcessorLinks::Instance() {
    static PostProcessorLinks links;
    return links;
}

bool PostProcessorLinks::SelectFromTable(double& result, std::string_view arguments, bool reset, PARAMETERS& provider) {
    return zarvento::SelectFromTable(GlobalTableList(), result, arguments, reset, provider);
}

const double* PostProcessorLinks::AddressWordValue(std::string_view name) {
    return AddressTable::Global().LastValue(name);
}

int ResetAddressWords(int mode, PARAMETERS* planProvider) {
    if (planProvider == nullptr) return AddressTable::Global().Reset(mode);
    return AddressTable::Global().Reset(mode, [planProvider](const std::string& formula, double& value) {
        value = 0.0;
        return planProvider->CalcFormula(value, formula, true);
    });
}

}  // namespace zarvento
