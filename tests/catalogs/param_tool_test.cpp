// ParamTool and ParamGadget records: defaults, copies, comparison, look-ups
// and the stored record through a saved and reopened document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "catalog_test_support.h"
#include "catalogs/param_gadget.h"
#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_record.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

using test::CatalogTest;

std::shared_ptr<Contour> SquareContour() {
    auto c = std::make_shared<Contour>();
    c->AddUnit(std::make_unique<CLineUnit>(0, 0, 10, 0));
    c->AddUnit(std::make_unique<CLineUnit>(10, 0, 10, 10));
    return c;
}

void AddVariable(ParamTool& t, const std::string& name, double value, const std::string& expression = {}) {
    ParamVariable& v = t.aVariables[t.Npv++];
    v.sName = name;
    v.dValue = value;
    v.sExpression = expression;
    v.dDefault = expression.empty() ? 0 : value + 1;
}

TEST(ParamToolRecord, NewRecordsHaveTheirDefaults) {
    ParamTool t;
    EXPECT_TRUE(t.isFromCatalog);
    EXPECT_EQ(t.sExt, ".rdp");
    EXPECT_EQ(t.sCatalogFolder, "\\TOOLS\\");
    EXPECT_EQ(t.sKind, "Tool");
    EXPECT_DOUBLE_EQ(t.Cins, 3500.0);
    EXPECT_DOUBLE_EQ(t.Hzat, 10.0);
    EXPECT_EQ(t.Position, -1);
    EXPECT_EQ(t.nCopyIndex, -1);
    EXPECT_EQ(t.M34, 3);
    EXPECT_EQ(t.nP, -1);
    EXPECT_EQ(t.Npv, 0);
    EXPECT_EQ(t.GetType(), -1);

    ParamGadget g;
    EXPECT_EQ(g.sCatalogFolder, "\\DEVICES\\");
    EXPECT_EQ(g.sKind, "Device");
    g.sKind = "x";
    g.Reset();
    EXPECT_EQ(g.sKind, "Device");
}

TEST(ParamToolRecord, ResetKeepsExpressionsAndDefaultsButClearsTheRest) {
    ParamTool t;
    AddVariable(t, "r", 0.8, "R1/2");
    t.sToolName = "Резец";
    t.pContour = SquareContour();
    t.Reset();
    EXPECT_EQ(t.Npv, 0);
    EXPECT_TRUE(t.aVariables[0].sName.empty());
    EXPECT_EQ(t.aVariables[0].dValue, 0);
    EXPECT_EQ(t.aVariables[0].sExpression, "R1/2");
    EXPECT_EQ(t.aVariables[0].dDefault, 1.8);
    EXPECT_TRUE(t.sToolName.empty());
    EXPECT_FALSE(t.pContour);
}

// A copy shares the contour; either side may clear it or go first, and the
// contour is freed exactly once, by its last holder.
TEST(ParamToolRecord, CopiesShareTheContourWithoutDoubleDelete) {
    std::weak_ptr<Contour> watch;
    auto copy = std::make_unique<ParamTool>();
    {
        ParamTool original;
        original.pContour = SquareContour();
        watch = original.pContour;
        *copy = original;
        ParamTool constructed(original);
        EXPECT_EQ(copy->pContour.get(), original.pContour.get());
        EXPECT_EQ(constructed.pContour.get(), original.pContour.get());
        original.ClearContour();
        EXPECT_FALSE(watch.expired());
    }
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(copy->pContour->Count(), 2);
    // Assigning over a record that holds a contour drops only its own hold.
    ParamTool other;
    other.pContour = SquareContour();
    std::weak_ptr<Contour> otherWatch = other.pContour;
    other = *copy;
    EXPECT_TRUE(otherWatch.expired());
    copy.reset();
    EXPECT_FALSE(watch.expired());
    other.Reset();
    EXPECT_TRUE(watch.expired());
}

// The display model's class belongs to the display layer: a stand-in object
// reached through the same kind of shared pointer shows when it is freed.
std::shared_ptr<CModelTess> StandInDisplayModel(std::weak_ptr<int>& watch) {
    auto body = std::make_shared<int>(1);
    watch = body;
    return std::shared_ptr<CModelTess>(body, reinterpret_cast<CModelTess*>(body.get()));
}

TEST(ParamToolRecord, GadgetCopiesShareTheDisplayModelWithoutDoubleDelete) {
    std::weak_ptr<int> watch;
    auto a = std::make_unique<ParamGadget>();
    a->pDisplayModel = StandInDisplayModel(watch);
    std::vector<ParamGadget> copies(3);
    for (auto& c : copies) c = *a;
    ParamGadget constructed(*a);
    a.reset();
    copies.clear();
    EXPECT_FALSE(watch.expired());
    constructed.Reset();
    EXPECT_TRUE(watch.expired());
}

TEST(ParamToolRecord, DestroyingAGadgetThroughItsBaseFreesTheDisplayModel) {
    std::weak_ptr<int> watch;
    std::unique_ptr<ParamTool> record = std::make_unique<ParamGadget>();
    static_cast<ParamGadget&>(*record).pDisplayModel = StandInDisplayModel(watch);
    record.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(ParamToolRecord, IsEqualComparesTheListedFieldsWithTheirTolerances) {
    ParamTool base;
    base.sToolName = "Резец";
    base.TYPE_ = 10;
    AddVariable(base, "r", 0.8);
    struct Case {
        const char* what;
        void (*change)(ParamTool&);
        bool equal;
    };
    const Case cases[] = {
        {"same", [](ParamTool&) {}, true},
        {"Cins", [](ParamTool& t) { t.Cins = 1; }, true},
        {"Hzat and file names", [](ParamTool& t) { t.Hzat = 1, t.sFileName = "x", t.sRefrName = "y"; }, true},
        {"variable name", [](ParamTool& t) { t.aVariables[0].sName = "q"; }, true},
        {"Angle by 0.0002", [](ParamTool& t) { t.Angle = 0.0002; }, false},
        {"Angle by 0.00005", [](ParamTool& t) { t.Angle = 0.00005; }, true},
        {"CorrectX by 0.0001", [](ParamTool& t) { t.CorrectX = 0.0001; }, false},
        {"CorrectZ by 1e-7", [](ParamTool& t) { t.CorrectZ = 1e-7; }, true},
        {"sComment", [](ParamTool& t) { t.sComment = "CNMG"; }, false},
        {"sPsevName", [](ParamTool& t) { t.sPsevName = "x"; }, false},
        {"M34", [](ParamTool& t) { t.M34 = 4; }, false},
        {"isLeft", [](ParamTool& t) { t.isLeft = true; }, false},
        {"isInter", [](ParamTool& t) { t.isInter = true; }, false},
        {"file time", [](ParamTool& t) { t.nTimeFileLow = 5; }, false},
        {"isFromCatalog", [](ParamTool& t) { t.isFromCatalog = false; }, false},
        {"TYPE_ NaN", [](ParamTool& t) { t.TYPE_ = std::numeric_limits<double>::quiet_NaN(); }, false},
        {"value by 0.0002", [](ParamTool& t) { t.aVariables[0].dValue += 0.0002; }, false},
        {"value by 0.00005", [](ParamTool& t) { t.aVariables[0].dValue += 0.00005; }, true},
        {"entry past Npv", [](ParamTool& t) { t.aVariables[5].dValue = 9; }, true},
    };
    for (const Case& c : cases) {
        ParamTool other(base);
        c.change(other);
        EXPECT_EQ(base.IsEqual(other), c.equal) << c.what;
    }
}

TEST(ParamToolRecord, GetTypeTakesTheIntegerPartOfTypePlusATenth) {
    ParamTool t;
    t.TYPE_ = 12;
    EXPECT_EQ(t.GetType(), -1);  // no tool at the position
    t.sToolName = "Резец";
    const struct {
        double type;
        int kind;
    } cases[] = {{2.95, 3}, {12, 12}, {11.89, 11}, {0, 0}, {std::numeric_limits<double>::quiet_NaN(), -1}, {1e300, -1}};
    for (const auto& c : cases) {
        t.TYPE_ = c.type;
        EXPECT_EQ(t.GetType(), c.kind) << c.type;
    }
}

TEST(ParamToolRecord, VariablesAreFoundAmongTheValidEntriesOnly) {
    ParamTool t;
    AddVariable(t, "r", 0.8);
    AddVariable(t, "", 5);
    AddVariable(t, "r", 9);
    t.aVariables[3].sName = "hidden";
    double v = -1;
    EXPECT_TRUE(t.GetVariable("r", v));
    EXPECT_EQ(v, 0.8);
    EXPECT_TRUE(t.GetVariable("", v));
    EXPECT_EQ(v, 5);
    v = -1;
    EXPECT_FALSE(t.GetVariable("hidden", v));
    EXPECT_FALSE(t.GetVariable("R", v));
    EXPECT_EQ(v, -1);
    t.SetVariable("r", 1.2);
    EXPECT_EQ(t.aVariables[0].dValue, 1.2);
    EXPECT_EQ(t.aVariables[2].dValue, 9);
    t.SetVariable("hidden", 3);
    EXPECT_EQ(t.aVariables[3].dValue, 0);
}

class ParamToolStoreTest : public CatalogTest {
protected:
    // Saves the active part, closes it and opens it again as the active one.
    void Reopen() {
        HostDocumentPtr doc = ActiveHostDocument();
        const std::string path = PathOf("part.rdp");
        doc->SaveAs(path);
        app->Documents().Close(doc);
        app->Documents().Open(path);
    }
    std::vector<RecordEntry> Entries(const std::string& record) {
        auto storage = ActiveHostDocument()->Storages().Item(Variant::I4(0));
        return storage->Record(Variant::BStr(record))->Entries();
    }
    void SetUp() override {
        CatalogTest::SetUp();
        app->Documents().Add(DocumentType::Part);
    }
};

TEST_F(ParamToolStoreTest, ARecordWithoutVariablesHasTheNineteenNamedValues) {
    ParamTool t;
    ASSERT_TRUE(t.Save(ParamTool::ToolRecordName(0)));
    Reopen();
    const auto entries = Entries("Zarvento.TOOLS1.T0");
    const char* names[] = {"Position",  "isFromCatalog", "sToolName",    "sPsevName", "sFileName",
                           "sRefrName", "sComment",      "sExt",         "sFileRez",  "Cins",
                           "Hzat",      "nTimeFileHigh", "nTimeFileLow", "Angle",     "CorrectZ",
                           "CorrectX",  "Lvlt",          "M34",          "Npv"};
    ASSERT_EQ(entries.size(), std::size(names));
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].name, names[i]);
}

TEST_F(ParamToolStoreTest, SaveAndLoadRoundTripThroughTheDocumentFile) {
    ParamGadget t;
    t.isFromCatalog = true;
    t.sToolName = "Патрон {T2}";
    t.sPsevName = "Патрон трёхкулачковый";
    t.sFileName = "Патрон.rdp";
    t.sComment = "";
    t.sFileRez = "rez.txt";
    t.Cins = 1234.5;
    t.Hzat = 7.25;
    t.nTimeFileHigh = 30000000;
    t.nTimeFileLow = -5;
    t.Angle = 93;
    t.CorrectZ = -1.5;
    t.CorrectX = 2.25;
    t.Lvlt = 40;
    t.M34 = 4;
    t.Position = 3;
    AddVariable(t, "r", 0.4);
    AddVariable(t, "nP", 2.95);
    AddVariable(t, "L", 20, "=L0*2");
    AddVariable(t, "isLeft", 0.2);
    t.isLeft = true;
    AddVariable(t, "gamma", 7);
    ASSERT_TRUE(t.Save(ParamTool::GadgetRecordName(4)));
    Reopen();
    // Only the entry with an expression stores "f" and "D".
    std::vector<std::string> names;
    for (const auto& e : Entries("Zarvento.GADGETS1.G4")) names.push_back(e.name);
    EXPECT_EQ(std::count(names.begin(), names.end(), "f2"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "D2"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "f1"), 0);
    EXPECT_EQ(names.size(), 19u + 5 * 2 + 2);

    ParamGadget back;
    ASSERT_TRUE(back.Load(ParamTool::GadgetRecordName(4)));
    EXPECT_TRUE(back.IsEqual(t));
    EXPECT_EQ(back.sToolName, t.sToolName);
    EXPECT_EQ(back.sPsevName, t.sPsevName);
    EXPECT_EQ(back.sFileName, t.sFileName);
    EXPECT_EQ(back.sFileRez, "rez.txt");
    EXPECT_EQ(back.Cins, 1234.5);
    EXPECT_EQ(back.Hzat, 7.25);
    EXPECT_EQ(back.nTimeFileHigh, 30000000);
    EXPECT_EQ(back.nTimeFileLow, -5);
    EXPECT_EQ(back.Lvlt, 40);
    EXPECT_EQ(back.Position, 3);
    EXPECT_EQ(back.M34, 4);
    ASSERT_EQ(back.Npv, 5);
    EXPECT_EQ(back.aVariables[2].sName, "L");
    // Expressions are filled again from the model, not from the record.
    EXPECT_TRUE(back.aVariables[2].sExpression.empty());
    // The derived fields follow the loaded entries; "gamma" is not taken here.
    EXPECT_EQ(back.r, 0.4);
    EXPECT_EQ(back.nP, 3);
    EXPECT_TRUE(back.isLeft);
    EXPECT_EQ(back.gamma, 0);
    EXPECT_EQ(back.sKind, "Device");
}

// A copy shares the model document; only the last record holding it closes it.
TEST_F(ParamToolStoreTest, TheSharedModelDocumentIsClosedByItsLastHolder) {
    HostDocumentPtr model = app->Documents().Add(DocumentType::Part, false);
    auto original = std::make_unique<ParamTool>();
    original->pModel = model;
    {
        ParamTool copy(*original);
        ParamTool assigned;
        assigned = *original;
        EXPECT_EQ(copy.pModel, model);
    }
    EXPECT_TRUE(app->Documents().Contains(model));
    original->Reset();  // releases without closing
    EXPECT_TRUE(app->Documents().Contains(model));
    original->pModel = model;
    model.reset();
    original.reset();
    EXPECT_EQ(app->Documents().Count(), 1u);  // only the active part is left
}

TEST_F(ParamToolStoreTest, LoadOfAMissingRecordChangesNothing) {
    ParamTool t;
    t.sToolName = "keep";
    EXPECT_FALSE(t.Load("Zarvento.TOOLS1.T9"));
    EXPECT_EQ(t.sToolName, "keep");
}

TEST_F(ParamToolStoreTest, OlderNamingSpindleZeroInternalKindAndLargeCountsLoad) {
    {
        StorageRecord rec;
        ASSERT_TRUE(rec.OpenWrite("Zarvento.TOOLS1.T1"));
        rec.AddNamedValue("sToolName", Variant::BStr("Расточной"));
        rec.AddNamedValue("M34", Variant::I4(0));
        rec.AddNamedValue("Npv", Variant::I4(35));
        for (int i = 0; i < 35; ++i) {
            rec.AddNamedValue("sName" + std::to_string(i), Variant::BStr(i == 31 ? "r" : "v" + std::to_string(i)));
            rec.AddNamedValue("Value" + std::to_string(i), Variant::R8(i));
        }
        rec.AddNamedValue("sName2", Variant::BStr("TYPE_"));
        rec.AddNamedValue("Value2", Variant::R8(12));
        rec.AddNamedValue("sName3", Variant::BStr("isInter"));
        rec.AddNamedValue("Value3", Variant::R8(0));
        // A value of another type is converted to the field's type.
        rec.AddNamedValue("Angle", Variant::BStr("45.5"));
    }
    Reopen();
    ParamTool t;
    ASSERT_TRUE(t.Load("Zarvento.TOOLS1.T1"));
    EXPECT_EQ(t.M34, 3);
    EXPECT_EQ(t.Npv, 30);
    EXPECT_EQ(t.aVariables[0].sName, "v0");
    EXPECT_EQ(t.aVariables[29].dValue, 29);
    EXPECT_EQ(t.r, 0);  // "r" was entry 31, past the table
    EXPECT_EQ(t.GetType(), 12);
    EXPECT_TRUE(t.isInter);
    EXPECT_EQ(t.Angle, 45.5);
}

TEST_F(ParamToolStoreTest, AFailedConversionRaisesAHostError) {
    {
        StorageRecord rec;
        ASSERT_TRUE(rec.OpenWrite("Zarvento.TOOLS1.T0"));
        rec.AddNamedValue("Cins", Variant::BStr("дорого"));
    }
    ParamTool t;
    EXPECT_NE(test::ErrorCodeOf([&] { t.Load("Zarvento.TOOLS1.T0"); }), S_OK_);
    {
        StorageRecord rec;
        ASSERT_TRUE(rec.OpenWrite("Zarvento.TOOLS1.T1"));
        rec.AddNamedValue("M34", Variant::I4(70000));  // no 16-bit spindle code
    }
    EXPECT_EQ(test::ErrorCodeOf([&] { t.Load("Zarvento.TOOLS1.T1"); }), DISP_E_OVERFLOW_);
    EXPECT_EQ(t.M34, 3);
}

TEST_F(ParamToolStoreTest, AToolBesideThePartIsFoundFromThePartsFolder) {
    ParamTool t;
    t.sToolName = "Свой";
    t.isFromCatalog = false;
    t.sRefrName = "tools\\own.rdp";
    t.sFileName = "C:\\old\\own.rdp";
    ASSERT_TRUE(t.Save(ParamTool::ToolRecordName(0)));
    Reopen();
    ParamTool back;
    ASSERT_TRUE(back.Load(ParamTool::ToolRecordName(0)));
    EXPECT_EQ(StoredPathToPath(back.sFileName), StoredPathToPath(dir.string() + "/tools/own.rdp"));
}

TEST_F(ParamToolStoreTest, FormOnLoadBuildsTheInsertDesignation) {
    ParamTool t;
    t.sToolName = "Проходной";
    AddVariable(t, "Form", 1);
    AddVariable(t, "gamma", 7);
    AddVariable(t, "iC", 12.7);
    AddVariable(t, "s", 4.76);
    AddVariable(t, "r", 0.8);
    ASSERT_TRUE(t.Save(ParamTool::ToolRecordName(2)));
    ParamTool back;
    ASSERT_TRUE(back.Load(ParamTool::ToolRecordName(2)));
    EXPECT_EQ(back.sComment, "CCMG120508");
}

}  // namespace
}  // namespace zarvento
