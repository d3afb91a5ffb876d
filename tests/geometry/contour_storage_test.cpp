// Contour storage: the user's choice over a contour written to a document
// record and applied again to a rebuilt contour, also across a saved file.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_named_object.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::ErrorCodeOf;

class ContourStorageTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
        for (int i = 0; i < 5; ++i) faces.push_back(doc->AddNamedObject(6, "Грань:" + std::to_string(i)));
    }

    // A chain of n lines along Z, unit i holding faces[i] when given.
    std::unique_ptr<Contour> Rebuilt(int n, const std::vector<HostObjectPtr>& objects) const {
        auto contour = std::make_unique<Contour>();
        for (int i = 0; i < n; ++i) {
            auto unit = std::make_unique<CLineUnit>(i, 0, i + 1, 0);
            if (i < static_cast<int>(objects.size())) unit->AddObject(objects[i]);
            contour->AddUnit(std::move(unit));
        }
        contour->CreateRelationMatrix();
        return contour;
    }

    // Every positional value of the record, up to the first Empty.
    static std::vector<Variant> Values(const std::string& name) {
        StorageRecord record;
        EXPECT_TRUE(record.OpenRead(name));
        std::vector<Variant> values;
        for (int k = 0; k < 1000; ++k) {
            Variant v;
            if (record.ReadValue(v).IsEmpty()) break;
            values.push_back(v);
        }
        return values;
    }

    static void WriteRecord(const std::string& name, std::vector<Variant> values) {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite(name));
        for (Variant& v : values) record.AddValue(v);
    }

    static void Choose(Contour& c, int i, double offset, double e1, double e2) {
        CUnit& u = *c.GetUnit(i);
        u.Selected = true;
        u.OffsetDistance = offset;
        u.StartExtension = e1;
        u.EndExtension = e2;
    }

    static void ExpectChoice(const Contour& c, int i, double offset, double e1, double e2) {
        const CUnit& u = *c.GetUnit(i);
        EXPECT_TRUE(u.Selected) << i;
        EXPECT_DOUBLE_EQ(u.OffsetDistance, offset);
        EXPECT_DOUBLE_EQ(u.StartExtension, e1);
        EXPECT_DOUBLE_EQ(u.EndExtension, e2);
    }

    HostDocumentPtr doc;
    std::vector<HostObjectPtr> faces;
};

TEST_F(ContourStorageTest, AnEmptyChoiceWritesTheCountTwoZerosAndTheEnd) {
    auto contour = Rebuilt(3, faces);
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    const std::vector<Variant> expected = {Variant::I4(3), Variant::I4(0), Variant::I4(0), Variant::I4(777),
                                           Variant::I4(777)};
    EXPECT_EQ(Values("Zarvento.Turn.0.W"), expected);
}

TEST_F(ContourStorageTest, SelectionOffsetsAndCellsComeBackOnARebuiltContour) {
    auto saved = Rebuilt(5, faces);
    Choose(*saved, 1, 0.5, -1.25, 2);
    Choose(*saved, 3, 0.0, 0.0, 3.5);
    saved->SetRelation(0, 1, 3);
    saved->SetRelation(4, 2, 4);
    ASSERT_TRUE(saved->Save("Zarvento.Turn.2.S"));
    const std::vector<Variant> values = Values("Zarvento.Turn.2.S");
    ASSERT_EQ(values.size(), 2u + 2 * 4 + 1 + 2 * 3 + 2);
    EXPECT_EQ(values[2], Variant::Dispatch(faces[1]));
    EXPECT_EQ(values[3], Variant::R8(0.5));

    // Rebuilt in another order: units are matched by their objects.
    auto rebuilt = Rebuilt(5, {faces[3], faces[1], faces[0], faces[2], faces[4]});
    rebuilt->GetUnit(4)->Selected = true;  // not named by the record: left as it is
    ASSERT_TRUE(rebuilt->Load("Zarvento.Turn.2.S"));
    ExpectChoice(*rebuilt, 1, 0.5, -1.25, 2);
    ExpectChoice(*rebuilt, 0, 0.0, 0.0, 3.5);
    EXPECT_FALSE(rebuilt->GetUnit(2)->Selected);
    EXPECT_TRUE(rebuilt->GetUnit(4)->Selected);
    EXPECT_EQ(rebuilt->GetRelation(0, 1), 3);
    EXPECT_EQ(rebuilt->GetRelation(4, 2), 4);
    EXPECT_EQ(rebuilt->GetRelation(1, 0), 0);
}

TEST_F(ContourStorageTest, TheChoiceSurvivesSavingClosingAndReopeningTheDocument) {
    test::TempDir dir;
    const std::string path = (dir / "part.rdp").string();
    auto saved = Rebuilt(3, faces);
    Choose(*saved, 2, 1.5, 0, 0);
    saved->SetRelation(1, 2, 1);
    ASSERT_TRUE(saved->Save("Zarvento.Turn.0.W"));
    const std::int64_t firstId = faces[0]->PersistentId(), faceId = faces[2]->PersistentId();
    doc->SaveAs(path);
    HostDocuments& docs = ConnectHostApplication().Documents();
    docs.Close(doc);
    faces.clear();
    doc = docs.Open(path);
    ASSERT_NE(doc, nullptr);

    const HostObjectPtr face = doc->FindEntity(faceId);
    ASSERT_NE(face, nullptr);
    EXPECT_NE(face.get(), saved->GetUnit(2)->GetSourceObject(0).get());  // a new entity object
    auto rebuilt = Rebuilt(3, {doc->FindEntity(firstId), nullptr, face});
    ASSERT_TRUE(rebuilt->Load("Zarvento.Turn.0.W"));
    ExpectChoice(*rebuilt, 2, 1.5, 0, 0);
    EXPECT_FALSE(rebuilt->GetUnit(0)->Selected);
    EXPECT_EQ(rebuilt->GetRelation(1, 2), 1);
}

TEST_F(ContourStorageTest, UnknownObjectsAndCellsOutsideTheContourAreSkipped) {
    auto saved = Rebuilt(5, faces);
    Choose(*saved, 0, 2, 0, 0);
    Choose(*saved, 4, 3, 0, 0);
    saved->SetRelation(4, 0, 2);
    saved->SetRelation(1, 2, 3);
    ASSERT_TRUE(saved->Save("Zarvento.Turn.1.W"));
    doc->RemoveEntity(faces[0]);

    // One unit fewer, rebuilt without the removed face nor the last one.
    auto rebuilt = Rebuilt(4, {faces[1], faces[2], faces[3], doc->AddNamedObject(6, "Грань:9")});
    ASSERT_TRUE(rebuilt->Load("Zarvento.Turn.1.W"));
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(rebuilt->GetUnit(i)->Selected) << i;
    EXPECT_EQ(rebuilt->GetRelation(1, 2), 3);
    EXPECT_EQ(rebuilt->GetRelation(0, 0), 0);
}

TEST_F(ContourStorageTest, DamagedCellsAreSkippedOrEndTheReading) {
    // Negative indices, an index past the contour, then a value that is no integer.
    WriteRecord("Zarvento.Turn.3.W",
                {Variant::I4(3),       Variant::I4(0), Variant::I4(5),  Variant::I4(-1),  Variant::I4(0),
                 Variant::I4(2),       Variant::I4(0), Variant::I4(-7), Variant::I4(2),   Variant::I4(3),
                 Variant::I4(0),       Variant::I4(2), Variant::I4(0),  Variant::I4(1),   Variant::I4(4),
                 Variant::BStr("abc"), Variant::I4(2), Variant::I4(1),  Variant::I4(777), Variant::I4(777)});
    auto contour = Rebuilt(3, faces);
    ASSERT_TRUE(contour->Load("Zarvento.Turn.3.W"));
    EXPECT_EQ(contour->GetRelation(0, 1), 4);
    EXPECT_EQ(contour->GetRelation(2, 1), 0);
    EXPECT_EQ(contour->GetRelation(0, 2), 0);

    // Counts larger than the record stop at its end.
    WriteRecord("Zarvento.Turn.4.W", {Variant::I4(3), Variant::I4(2000000000)});
    EXPECT_TRUE(contour->Load("Zarvento.Turn.4.W"));
    EXPECT_EQ(contour->GetRelation(0, 1), 0);  // rebuilt empty
}

TEST_F(ContourStorageTest, SavingTwiceKeepsTheSecondStateAndAMissingRecordChangesNothing) {
    auto contour = Rebuilt(3, faces);
    Choose(*contour, 0, 1, 0, 0);
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    contour->GetUnit(0)->Selected = false;
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    EXPECT_EQ(Values("Zarvento.Turn.0.W").size(), 5u);

    auto other = Rebuilt(3, faces);
    other->SetRelation(0, 1, 3);
    EXPECT_FALSE(other->Load("Zarvento.Turn.9.W"));
    EXPECT_EQ(other->GetRelation(0, 1), 3);
}

TEST_F(ContourStorageTest, UnitsAddedAfterTheMatrixCountAsEmptyCells) {
    auto contour = Rebuilt(2, faces);
    contour->SetRelation(1, 0, 2);
    contour->AppendLine(5, 0, false);
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    const std::vector<Variant> values = Values("Zarvento.Turn.0.W");
    const std::vector<Variant> expected = {Variant::I4(3), Variant::I4(0), Variant::I4(1),   Variant::I4(1),
                                           Variant::I4(0), Variant::I4(2), Variant::I4(777), Variant::I4(777)};
    EXPECT_EQ(values, expected);
}

TEST_F(ContourStorageTest, HostQueriesThatFailKeepTheOldRecordOrStoreANullReference) {
    auto contour = Rebuilt(3, faces);
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    Choose(*contour, 1, 1, 0, 0);
    HostFaults::Arm("TransferInterface", E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([&] { contour->Save("Zarvento.Turn.0.W"); }), E_FAIL_);
    EXPECT_EQ(Values("Zarvento.Turn.0.W").size(), 5u);  // the previous record is intact

    HostFaults::Arm("QueryInterface", E_NOINTERFACE_);
    ASSERT_TRUE(contour->Save("Zarvento.Turn.0.W"));
    const std::vector<Variant> values = Values("Zarvento.Turn.0.W");
    ASSERT_GT(values.size(), 2u);
    EXPECT_EQ(values[2], Variant::Dispatch(nullptr));
    auto rebuilt = Rebuilt(3, faces);
    ASSERT_TRUE(rebuilt->Load("Zarvento.Turn.0.W"));
    EXPECT_EQ(rebuilt->GetSelectedCount(), 0);
}

}  // namespace
}  // namespace zarvento
