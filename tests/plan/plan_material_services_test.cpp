// The plan's stock form as the part's material record takes it.
#include "plan/plan_material_services.h"

#include <gtest/gtest.h>

#include "catalogs/integrator_ex.h"
#include "plan_test_support.h"

namespace zarvento {
namespace {

class PlanMaterialServicesTest : public test::PlanTest {
protected:
    void TearDown() override {
        RegisterStockFormSource(previous);
        PlanTest::TearDown();
    }
    StockFormSource previous = RegisterStockFormSource(nullptr);
};

TEST_F(PlanMaterialServicesTest, TheMaterialTakesThePlanDatasStockForm) {
    EXPECT_EQ(CurrentStockForm(), 0);
    RegisterPlanMaterialServices();
    EXPECT_EQ(CurrentStockForm(), 0);  // no plan data yet: a bar, and none is made
    EXPECT_EQ(ExistingSPID(), nullptr);
    GetSPID()->nSposobStock = 3;
    EXPECT_EQ(CurrentStockForm(), 3);
}

}  // namespace
}  // namespace zarvento
