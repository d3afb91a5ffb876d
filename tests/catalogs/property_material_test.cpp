// The material properties dialog: which rows it lists, in which order, and
// how it writes their values.
#include "catalogs/property_material.h"

#include <gtest/gtest.h>

#include "platform/dialogs/scripted_user.h"
#include "test_support.h"

namespace zarvento {
namespace {

std::vector<std::pair<std::string, std::string>> Rows(const MATERIAL& m) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const MaterialPropertyRow& row : MaterialPropertyRows(m)) rows.emplace_back(row.caption, row.value);
    return rows;
}

TEST(PropertyMaterialTest, OnlyRowsThatHoldSomethingAreListed) {
    MATERIAL empty;
    EXPECT_EQ(Rows(empty),
              (std::vector<std::pair<std::string, std::string>>{{"Способ получения заготовки", "0 (прокат)"}}));

    MATERIAL m;
    m.sMaterial = "Сталь 12Х18Н10Т ГОСТ 5632-2014";
    m.sGroup = "04.01";
    m.sMCcode = "M1.3.Z.AQ";
    m.nSposobStock = 3;
    m.sSteelClass = "аустенитная A2";
    m.HB = 179;
    m.C = 0.06;
    m.Ta = 0.2;   // tantalum is shown, though formulas cannot name it
    m.Si = 1e-6;  // not above 1e-6: not listed
    m.Mn = -1;    // nor a negative figure
    m.Vi = 0.00125;
    m.SumLeg = 30.2;
    EXPECT_EQ(Rows(m), (std::vector<std::pair<std::string, std::string>>{
                           {"Обозначение материала", "Сталь 12Х18Н10Т ГОСТ 5632-2014"},
                           {"Группа материала", "04.01"},
                           {"MC-код материала по SANDVIK", "M1.3.Z.AQ"},
                           {"Способ получения заготовки", "3 (отливка)"},
                           {"Группа стали по хим. составу", "аустенитная A2"},
                           {"Твердость HB", "179"},
                           {"содержание углерода C, %", "0.06"},
                           {"содержание тантала Ta, %", "0.2"},
                           {"содержание висмута Vi, %", "0.00125"},
                           {"суммарное содержание лег. элементов, %", "30.2"},
                       }));
}

TEST(PropertyMaterialTest, TheStockFormIsNamedAndUnknownOnesAreRolled) {
    const std::pair<int, const char*> forms[] = {
        {0, "0 (прокат)"},  {1, "1 (поковка)"}, {2, "2 (холодная вытяжка)"},
        {3, "3 (отливка)"}, {5, "0 (прокат)"},  {-1, "0 (прокат)"},
    };
    for (const auto& [stock, text] : forms) {
        MATERIAL m;
        m.nSposobStock = stock;
        EXPECT_EQ(MaterialPropertyRows(m).at(0).value, text) << stock;
    }
}

class PropertyMaterialDialogTest : public test::CleanStateTest {};

// The dialog runs on the host's dialog model as the user sees it: its rows,
// values and note, until its button closes it.
TEST_F(PropertyMaterialDialogTest, ShowsACopyInTwoColumnsWithTheNoteUntilClosed) {
    MATERIAL m;
    m.sMaterial = "Сталь 45 ГОСТ 1050-2013";
    m.sMCcode = "P1.2.Z.AN";
    m.HB = 207;
    CPropertyMaterial dialog(m);
    m.HB = 0;  // the dialog keeps what it was given
    UserSession session{UserSession::Kind::Dialog, CPropertyMaterial::kScriptName, {}, 0};
    UserStep close;
    std::string error;
    ASSERT_TRUE(ParseDialogStep({"click", "2"}, close, error)) << error;
    session.steps.push_back(close);
    ScriptedUser::Instance().Queue(session);
    EXPECT_EQ(dialog.DoModal(), CPropertyMaterial::kClose);
    EXPECT_EQ(dialog.Title(), "Свойства материала");
    const DialogControl& list = dialog.Control(CPropertyMaterial::kList);
    ASSERT_EQ(list.Columns().size(), 2u);
    EXPECT_EQ(list.Columns()[0].title, " ");
    EXPECT_EQ(list.Columns()[0].width, 240);
    EXPECT_EQ(list.Columns()[1].title, " ");
    EXPECT_EQ(list.Columns()[1].width, 180);
    EXPECT_TRUE(list.GridLines());
    EXPECT_TRUE(list.FullRowSelect());
    ASSERT_EQ(list.RowCount(), 4);
    EXPECT_EQ(list.Row(1), (std::vector<std::string>{"MC-код материала по SANDVIK", "P1.2.Z.AN"}));
    EXPECT_EQ(list.Row(3), (std::vector<std::string>{"Твердость HB", "207"}));
    EXPECT_EQ(dialog.Control(CPropertyMaterial::kNote).Text(),
              "Хим. состав получен из справочника \"Материалы и Сортаменты для VOVUVE\"");
    EXPECT_TRUE(dialog.Control(CPropertyMaterial::kNote).ReadOnly());
    EXPECT_EQ(dialog.Control(CPropertyMaterial::kClose).Text(), "Закрыть окно");
}

}  // namespace
}  // namespace zarvento
