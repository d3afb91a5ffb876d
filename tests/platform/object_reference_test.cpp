// Procedural references of live and deleted objects, and the identity search
// of a document's objects of one type.
#include "platform/host/object_reference.h"

#include <gtest/gtest.h>

#include "platform/documents/host_application.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

class ObjectReferenceTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }
    std::shared_ptr<LocalCoordinateSystem> AddLSC(const char* name) {
        return part->AddLocalCoordinateSystem(name, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    }
    HostDocumentPtr part;
};

TEST_F(ObjectReferenceTest, LiveObjectsHaveAReferenceDeletedOnesNone) {
    auto sketch = part->AddSketch("Эскиз");
    EXPECT_EQ(ProceduralReference(sketch, 3, 5), sketch->PersistentId());
    EXPECT_EQ(ProceduralReference(nullptr, 3, 5), 0);
    // A look-alike that belongs to no document.
    EXPECT_EQ(ProceduralReference(std::make_shared<LocalCoordinateSystem>(), 3, 5), 0);
    part->RemoveEntity(sketch);
    EXPECT_EQ(ProceduralReference(sketch, 3, 5), 0);

    auto lsc = AddLSC("ЛСК");
    ConnectHostApplication().Documents().Close(part);
    EXPECT_EQ(ProceduralReference(lsc, 3, 5), 0);
}

TEST_F(ObjectReferenceTest, SearchMatchesIdentityNotContents) {
    auto first = AddLSC("ЛСК-1");
    auto second = AddLSC("ЛСК-2");
    auto twin =
        std::make_shared<LocalCoordinateSystem>(first->Origin(), first->Axes()[0], first->Axes()[1], first->Axes()[2]);
    EXPECT_EQ(FindSameObjectOfType(*part, LocalCoordinateSystem::kObjectType, second), second);
    EXPECT_EQ(FindSameObjectOfType(*part, LocalCoordinateSystem::kObjectType, twin), nullptr);
    EXPECT_EQ(FindSameObjectOfType(*part, 5, first), nullptr);
    EXPECT_EQ(FindSameObjectOfType(*part, LocalCoordinateSystem::kObjectType, nullptr), nullptr);
}

}  // namespace
}  // namespace zarvento::test
