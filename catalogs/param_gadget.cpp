// ParamGadget: the fixture's defaults over the tool record's.
#include "catalogs/param_gadget.h"

namespace zarvento {

namespace {
void SetFixtureKind(ParamTool& record) {
    record.sCatalogFolder = "\\DEVICES\\";
    record.sKind = "Device";
}
}  // namespace

ParamGadget::ParamGadget() { SetFixtureKind(*this); }

ParamGadget::~ParamGadget() { pDisplayModel.reset(); }

void ParamGadget::Reset() {
    ParamTool::Reset();
    pDisplayModel.reset();
    SetFixtureKind(*this);
}

}  // namespace zarvento
