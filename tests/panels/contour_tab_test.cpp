// The contour tab driven as a user would: picks of faces and sketches, table
// edits with their checks, method switches, stock files and gap joins.
#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/unit.h"
#include "model/contour_builder_zagotovka.h"
#include "model/model_layer.h"
#include "panel_test_support.h"
#include "panels/base_panel_3d.h"
#include "panels/contour_tab.h"
#include "panels/contour_tab_owner.h"
#include "platform/core/host_version.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/settings_record.h"
#include "platform/host/host_document_3d.h"
#include "platform/part_model.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"

namespace zarvento::test {
namespace {

TEST(ContourTabTest, AFreshTabBuildsFromFacesUntilItTakesTheBuildersMethod) {
    CContourTAB tab;
    EXPECT_EQ(tab.BuildMethod(), CContourTAB::kMethodFaces);
    EXPECT_EQ(tab.GetSketch(), nullptr);
    EXPECT_EQ(tab.GetSurfaces(), nullptr);
    EXPECT_EQ(tab.BuiltContour(), nullptr);
}

// A panel with one tab that hosts a contour tab and forwards everything to
// it, as the plan-data and operation panels do; it is the owner of a working
// tab and records the hooks called.
class TabPanel : public CBasePanel3D, public ContourTabOwner {
public:
    TabPanel(char kind, CContourBuilder& builder, Contour* selection, int operationType = 1)
        : CBasePanel3D("contour"), kind_(kind), builder_(builder), selection_(selection), type_(operationType) {}

    void OnInitPanel() override {
        CBasePanel3D::OnInitPanel();
        propertyManager->Setup(3);
        PropertyTab& page = propertyManager->AddTab("Контур");
        page.SetCurrent();
        tab.CreateTab(GetSPID()->GetDetailContour(), selection_, &built, &builder_, &reference, sketch, &page, kind_,
                      1.0, "Zarvento", kind_ == CContourTAB::kWorkingTab ? this : nullptr);
    }
    bool FilterObject(const HostObjectPtr& object) override { return tab.FilterObject(object); }
    bool OnSelectObject(const HostObjectPtr& object, const Variant&) override { return tab.OnSelectObject(object); }
    bool OnSelectListItem(PropertyControl& control, int index, int selected) override {
        return tab.OnSelectListItem(control, index, selected);
    }
    bool OnChangeControlValue(PropertyControl& control) override { return tab.OnChangeControlValue(control); }
    bool OnControlCommand(PropertyControl& control, int id) override {
        tab.OnControlCommand(control, id);
        return true;
    }
    bool OnButtonClick(int id) override {
        if (id == kPanelButtonOK || id == kPanelButtonCancel) {
            result = id == kPanelButtonOK ? 1 : 2;
            EndHostProcess(1, 0);
        }
        return true;
    }

    std::int32_t ContourTabOperationType() const override { return type_; }
    void CreateContourModeGroup(PropertyTab& page) override {
        hooks.push_back("mode group after control " + std::to_string(page.ControlCount()));
    }
    void CreateGeometryGroup(PropertyTab& page) override {
        hooks.push_back("geometry group after control " + std::to_string(page.ControlCount()));
    }
    void ShowControlGroup(int shown) override { hooks.push_back("show group " + std::to_string(shown)); }
    void UpdateClosingSegments() override { hooks.push_back("closing segments"); }

    CContourTAB tab;
    std::unique_ptr<Contour> built, reference;
    std::shared_ptr<HostSketch> sketch;
    std::vector<std::string> hooks;

private:
    char kind_;
    CContourBuilder& builder_;
    Contour* selection_;
    std::int32_t type_;
};

class ContourTabPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        SetHostVersion({16, 0, 0, 0});
        MakePart();
        Run("panel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\n"
            "answer spid ok L=90 D=45 Z=2 positions=1\nplan-data\n");
        ASSERT_EQ(script.CommandsFailed(), 0);
        ASSERT_NE(GetSPID()->GetDetailContour(), nullptr);
        SetHostSelectionManager(Procedural3D(part).Selection());
        selection = GetSPID()->GetDetailContour()->Clone();
        stock.partContour = selection.get();
        stock.buildMethod = CContourTAB::kMethodFaces;
        MessageLog::Instance().Clear();
    }

    // Runs the panel with the user's steps, one a line; the steps end with
    // OK unless they close it themselves.
    void Drive(TabPanel& panel, const std::string& steps) {
        UserSession session{UserSession::Kind::Panel, "contour", {}, 0};
        int line = 0;
        for (const std::string& text : SplitLines(steps + "\nok")) {
            ++line;
            const std::vector<std::string> words = CommandScript::Words(text, line);
            if (words.empty()) continue;
            UserStep step;
            std::string error;
            ASSERT_TRUE(ParsePanelStep(words, step, error)) << text << ": " << error;
            step.line = line;
            session.steps.push_back(step);
        }
        ScriptedUser::Instance().Queue(std::move(session));
        panel.ShowModal();
        EXPECT_EQ(ScriptedUser::Instance().TakeFailures(), 0);
    }
    static std::vector<std::string> Boxes() { return MessageLog::Instance().Texts(MessageRole::MessageBox); }
    static bool Refused(int line) {
        const std::string prefix = "panel contour, line " + std::to_string(line) + ":";
        return std::any_of(UserOutput().begin(), UserOutput().end(),
                           [&](const std::string& s) { return s.starts_with(prefix); });
    }
    // The names of the chosen surfaces in table order.
    std::vector<std::string> Chosen() const {
        std::vector<std::string> names;
        for (int k = 0; k < selection->GetSelectedCount(); ++k)
            names.push_back(std::to_string(selection->IndexOf(selection->GetSelectedUnit(k))));
        return names;
    }
    static std::string Cell(const PropertyControl& table, int row, int column) {
        return table.Grid().CellText(row, column);
    }

    std::unique_ptr<Contour> selection;
    CContourBuilderZagotovka stock;
};

using Names = std::vector<std::string>;

TEST_F(ContourTabPanelTest, FacesArePickedInTurnAndWithTheFacesBetween) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel,
          "pick face:3\n"
          "set \"Выбирать промежуточные поверхности\" on\n"
          "pick face:6\n"
          "pick face:8\n"
          "pick face:8\n"
          "pick face:5\n");
    EXPECT_EQ(Chosen(), (Names{"3", "4", "6"})) << "the box chooses those between; a second pick un-chooses";
    EXPECT_FALSE(panel.tab.intermediateFacesBox->Value().ToBool()) << "the box lives for one pick";
    const PropertyControl& table = *panel.tab.surfaceTable;
    EXPECT_EQ(table.Grid().RowCount(), 4);
    EXPECT_EQ(Cell(table, 1, 0), "Цилиндр");
    EXPECT_EQ(Cell(table, 2, 0), "Плоскость");
    EXPECT_EQ(Cell(table, 3, 1), "0.00");
    EXPECT_TRUE(table.Button(CContourTAB::kButtonClearList)->enabled);
    ASSERT_NE(panel.built, nullptr);
    EXPECT_EQ(panel.tab.BuiltContour(), panel.built.get());
    EXPECT_EQ(panel.tab.gapList->Items().size(), 1u) << "face 5 left out leaves a gap";
    EXPECT_TRUE(Procedural3D(part).Selection()->IsSelected(TopPart(part)->Faces()[3]));
    EXPECT_FALSE(Procedural3D(part).Selection()->IsSelected(TopPart(part)->Faces()[4]));

    // Two faces apart leave a gap; clearing the list takes the gaps too.
    TabPanel again(CContourTAB::kStockTab, stock, selection.get());
    Drive(again,
          "command Поверхности 10653\n"
          "pick face:3\n"
          "pick face:8\n"
          "print \"Разрывы контура\"\n"
          "command Поверхности 10653\n"
          "command Поверхности 10653\n");
    EXPECT_TRUE(Refused(1)) << "nothing chosen: the button is disabled";
    EXPECT_TRUE(Refused(6)) << "and disabled again after clearing";
    EXPECT_TRUE(Chosen().empty());
    EXPECT_EQ(again.built, nullptr);
    EXPECT_TRUE(again.tab.gapList->Items().empty()) << "no gap of the deleted contour stays listed";
    EXPECT_FALSE(again.tab.gapList->Visible());
    EXPECT_EQ(again.tab.surfaceTable->Grid().RowCount(), 1);
}

TEST_F(ContourTabPanelTest, TableValuesAreCheckedAndRefusalsPutTheOldValueBack) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    // Row 1: the cylinder of face 3 (a line 35 long); row 2: the fillet (an arc).
    Drive(panel,
          "pick face:3\n"
          "pick face:9\n"
          "edit Поверхности 1 1 0\n"           // 3
          "edit Поверхности 1 1 -0.0000001\n"  // 4
          "edit Поверхности 2 1 500\n"         // 5
          "edit Поверхности 2 1 499.99\n"      // 6
          "edit Поверхности 2 1 1,5\n"         // 7
          "edit Поверхности 2 1 nan\n"         // 8
          "edit Поверхности 1 2 -35\n"         // 9
          "edit Поверхности 1 2 -70\n"         // 10
          "edit Поверхности 1 3 -5\n"          // 11
          "edit Поверхности 2 3 2\n"           // 12
          "edit Поверхности 2 2 -3.36\n");     // 13
    const CUnit& line = *selection->GetUnit(3);
    const CUnit& arc = *selection->GetUnit(9);
    EXPECT_DOUBLE_EQ(line.OffsetDistance, -0.0000001) << "above -EPS is taken";
    EXPECT_DOUBLE_EQ(arc.OffsetDistance, 1.5) << "500 refused, 499.99 taken, \"1,5\" reads 1.5, nan refused";
    EXPECT_DOUBLE_EQ(line.StartExtension, 0.0) << "-35 and -70 leave nothing of the line";
    EXPECT_DOUBLE_EQ(line.EndExtension, -5.0);
    EXPECT_DOUBLE_EQ(arc.StartExtension, -3.36) << "an arc takes what would turn it";
    EXPECT_DOUBLE_EQ(arc.EndExtension, 2.0);
    const PropertyControl& table = *panel.tab.surfaceTable;
    EXPECT_EQ(Cell(table, 1, 2), "0.00") << "the old value is back in the cell";
    EXPECT_EQ(Cell(table, 2, 1), "1.50");
    EXPECT_EQ(Boxes(), (Names{CContourTAB::kAllowanceMessage, CContourTAB::kAllowanceMessage,
                              CContourTAB::kDegenerateMessage, CContourTAB::kDegenerateMessage}));
    EXPECT_EQ(MessageLog::Instance().Entries().front().caption, "Orbisel");
    EXPECT_NE(panel.built, nullptr);
}

TEST_F(ContourTabPanelTest, TheCommonAllowanceLocksTheHColumn) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel,
          "pick face:3\n"
          "pick face:5\n"
          "edit Поверхности 1 1 2\n"
          "set \"Общий припуск, мм\" on\n"
          "set \"Общий припуск для всех поверхностей, мм (на радиус)\" 500\n"
          "set \"Общий припуск для всех поверхностей, мм (на радиус)\" 0.5\n"
          "edit Поверхности 2 1 3\n"
          "print Поверхности\n");
    EXPECT_TRUE(Refused(7)) << "the h column cannot be edited";
    const PropertyControl& table = *panel.tab.surfaceTable;
    EXPECT_EQ(Cell(table, 1, 1), "0.50");
    EXPECT_EQ(Cell(table, 2, 1), "0.50");
    EXPECT_TRUE(stock.isPripuskZ);
    EXPECT_DOUBLE_EQ(stock.PripuskZ, 0.5);
    EXPECT_EQ(Boxes(), (Names{CContourTAB::kAllowanceMessage}));
    TabPanel off(CContourTAB::kStockTab, stock, selection.get());
    Drive(off, "set \"Общий припуск, мм\" off\n");
    EXPECT_EQ(Cell(*off.tab.surfaceTable, 1, 1), "2.00") << "each surface's own h again";
    EXPECT_EQ(off.tab.surfaceTable->ReadOnlyColumns(), 1);
    EXPECT_FALSE(off.tab.commonAllowanceField->Enabled());
}

TEST_F(ContourTabPanelTest, ASketchIsPickedAndDroppedByASecondPickOrForWantOfAContour) {
    auto drawn = [&](const char* name, bool withCurves) {
        std::shared_ptr<HostSketch> sketch = part->AddSketch(name);
        sketch->SetPlane(lsc1, LocalCoordinateSystem::kPlaneZX);
        if (withCurves) {
            sketch->Objects().LineSeg(0, 25, -90, 25, 1);
            sketch->Objects().LineSeg(-90, 25, -90, 0, 1);
        }
        return sketch;
    };
    const auto a = drawn("ЭскизА", true), b = drawn("ЭскизБ", true), empty = drawn("Пустой", false);
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel,
          "command \"Способ построения контура\" 10001\n"
          "pick face:3\n"
          "pick ЭскизА\n"
          "pick ЭскизБ\n"
          "pick ЭскизА\n");
    EXPECT_TRUE(Refused(2)) << "no face is picked in the sketch method";
    EXPECT_EQ(panel.tab.GetSketch(), a) << "A, B, then A again chooses A";
    EXPECT_EQ(panel.tab.sketchNameField->Value().ToBStr(), "ЭскизА");
    EXPECT_FALSE(Procedural3D(part).Picks().Contains(b)) << "the replaced sketch left the pick list";
    ASSERT_NE(panel.built, nullptr);
    EXPECT_EQ(stock.buildMethod, CContourTAB::kMethodSketch);

    TabPanel again(CContourTAB::kStockTab, stock, selection.get());
    again.sketch = a;
    Drive(again,
          "pick ЭскизБ\n"
          "pick ЭскизБ\n");
    EXPECT_EQ(again.tab.GetSketch(), nullptr) << "the second pick un-picks it";
    EXPECT_EQ(again.tab.sketchNameField->Value().ToBStr(), " ");
    EXPECT_EQ(again.built, nullptr);

    TabPanel third(CContourTAB::kStockTab, stock, selection.get());
    Drive(third, "pick Пустой\n");
    EXPECT_EQ(third.tab.GetSketch(), nullptr) << "no contour: the sketch is dropped again";
    EXPECT_EQ(third.tab.sketchNameField->Value().ToBStr(), " ") << "and its name goes with it";
    EXPECT_FALSE(Procedural3D(part).Picks().Contains(empty));
}

TEST_F(ContourTabPanelTest, MethodViewsShowTheirControlsAndTheStockFileIsOpenedAndUnlinked) {
    part->SaveAs((folder.Path() / "part.rdp").string());
    const std::string other = (folder.Path() / "stock.rdp").string();
    FileDialogs::Instance().QueueOpen(part->FilePath());
    FileDialogs::Instance().QueueOpen(other);
    MessageLog::Instance().QueueAnswer(IDNO_);
    MessageLog::Instance().QueueAnswer(IDYES_);
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    CContourTAB& tab = panel.tab;
    std::vector<std::string> views;
    auto view = [&] {
        std::string v;
        for (const PropertyControl* c :
             {tab.surfaceTable, tab.gapList, tab.intermediateFacesBox, tab.sketchNameField, tab.reverseBox,
              tab.fileNameField, tab.openFileGroup, tab.barLengthField, tab.barFaceZField})
            v += c->Visible() ? '1' : '0';
        return v;
    };
    Drive(panel, "pick face:3\npick face:8\nprint Поверхности\n");
    views.push_back(view());
    Drive(panel, "");
    for (int id : {10001, 10003, 10004, 10002}) {
        tab.OnControlCommand(*tab.methodGroup, id);
        views.push_back(view());
    }
    EXPECT_EQ(views, (Names{"111000000", "000110000", "000001100", "000000011", "111000000"}));
    EXPECT_EQ(stock.buildMethod, CContourTAB::kMethodFaces);

    tab.OnControlCommand(*tab.methodGroup, CContourTAB::kButtonModel);
    EXPECT_FALSE(tab.removeLinkGroup->Button(CContourTAB::kButtonRemoveLink)->enabled);
    tab.OnControlCommand(*tab.openFileGroup, CContourTAB::kButtonOpenFile);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::HostMessage), (Names{CContourTAB::kOpenInWindowMessage}));
    EXPECT_EQ(stock.GetFileName(), "") << "the active document is refused";
    tab.OnControlCommand(*tab.openFileGroup, CContourTAB::kButtonOpenFile);
    EXPECT_EQ(stock.GetFileName(), other);
    EXPECT_EQ(tab.fileNameField->Value().ToBStr(), other);
    EXPECT_TRUE(tab.removeLinkGroup->Button(CContourTAB::kButtonRemoveLink)->enabled);
    ASSERT_EQ(FileDialogs::Instance().Entries().size(), 2u);
    EXPECT_EQ(FileDialogs::Instance().Entries()[0].request.filter, "Модель (*.rdp)|*.rdp|");

    tab.OnControlCommand(*tab.removeLinkGroup, CContourTAB::kButtonRemoveLink);
    EXPECT_EQ(stock.GetFileName(), other) << "\"Отмена\" keeps the link";
    tab.OnControlCommand(*tab.removeLinkGroup, CContourTAB::kButtonRemoveLink);
    EXPECT_EQ(stock.GetFileName(), "");
    EXPECT_EQ(tab.fileNameField->Value().ToBStr(), "");
    EXPECT_FALSE(tab.removeLinkGroup->Button(CContourTAB::kButtonRemoveLink)->enabled);
    EXPECT_EQ(panel.built, nullptr);
    const Names questions = MessageLog::Instance().Texts(MessageRole::Question);
    EXPECT_EQ(questions, (Names{CContourTAB::kRemoveLinkQuestion, CContourTAB::kRemoveLinkQuestion}));

    // Bar sizes build the stock.
    tab.OnControlCommand(*tab.methodGroup, CContourTAB::kButtonBar);
    for (auto [field, value] : {std::pair{tab.barLengthField, 90.0}, {tab.barDiameterField, 50.0}}) {
        field->SetValue(Variant::R8(value));
        tab.OnChangeControlValue(*field);
    }
    EXPECT_DOUBLE_EQ(stock.barDiameter, 50.0);
    EXPECT_NE(panel.built, nullptr);
}

TEST_F(ContourTabPanelTest, GapJoinsShowTheChosenButtonAndRebuildOnlyOnAChange) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel, "pick face:3\npick face:6\n");
    CContourTAB& tab = panel.tab;
    ASSERT_EQ(tab.gapList->Items().size(), 1u);
    // A panel shown again makes its controls anew.
    auto gaps = [&]() -> PropertyControl& { return *tab.gapList; };
    auto pressed = [&] {
        std::string p;
        for (int k = 0; k < CContourTAB::kJoinTypes; ++k)
            p += gaps().Button(CContourTAB::kButtonJoin1 + k)->pressed ? '1' : '0';
        return p;
    };
    auto enabled = [&] {
        std::string p;
        for (int k = 0; k < CContourTAB::kJoinTypes; ++k)
            p += gaps().Button(CContourTAB::kButtonJoin1 + k)->enabled ? '1' : '0';
        return p;
    };
    EXPECT_EQ(enabled(), "0000") << "no gap chosen yet";
    Drive(panel,
          "select \"Разрывы контура\" 0\n"
          "print \"Разрывы контура\"\n"
          "command \"Разрывы контура\" 10601\n");
    EXPECT_EQ(enabled(), "1111") << "the neighbours meet: the corner join is offered";
    EXPECT_EQ(pressed(), "1000") << "the chosen join";
    EXPECT_EQ(selection->GetRelation(3, 6), 1);
    const Contour* before = panel.built.get();
    tab.OnControlCommand(gaps(), CContourTAB::kButtonJoin1);
    EXPECT_EQ(panel.built.get(), before) << "the join it has: no rebuild";
    tab.RebuildContour();
    EXPECT_EQ(pressed(), "0000") << "no join is pressed after a rebuild";
    tab.OnSelectListItem(gaps(), 0, 1);
    EXPECT_EQ(pressed(), "1000") << "choosing the gap again shows its join";

    // Parallel neighbours have no corner to join through.
    tab.OnControlCommand(*tab.surfaceTable, CContourTAB::kButtonClearList);
    Drive(panel, "pick face:3\npick face:8\nselect \"Разрывы контура\" none\nselect \"Разрывы контура\" 0\n");
    EXPECT_EQ(enabled(), "1110");
    EXPECT_EQ(pressed(), "0010") << "the segment join the builder chose first";
}

TEST_F(ContourTabPanelTest, TheBuiltContourIsDrawnInTheScene) {
    RegisterModelLayer();
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel,
          "pick face:2\n"
          "set \"Выбирать промежуточные поверхности\" on\n"
          "pick face:8\n"
          "edit Поверхности 1 1 2\n");
    ASSERT_NE(panel.built, nullptr);
    const Scene scene = CollectScene(*part);
    const std::uint32_t edge = SettingsRecord::Global().Colour(1);
    int lines = 0;
    for (const SceneLines& l : scene.lines)
        if (l.colour == edge) ++lines;
    EXPECT_GE(lines, panel.built->Count()) << "every unit of the built contour is drawn";
    EXPECT_GE(scene.meshes.size(), TopPart(part)->Faces().size()) << "with its surfaces on the stock tab";
    const fs::path png = folder.Path() / "contour.png";
    ScenePicture::Render(scene).WritePng(png.string());
    EXPECT_TRUE(fs::exists(png));
    if (const char* keep = std::getenv("ZARVENTO_KEEP_PICTURE"))
        fs::copy_file(png, keep, fs::copy_options::overwrite_existing);
}

TEST_F(ContourTabPanelTest, OperationTabsHaveTwoMethodsAndCallTheirOwner) {
    struct Case {
        char kind;
        int type;
        bool allowance;
    } cases[] = {{'w', 1, true}, {'w', 4, true}, {'w', 5, false}, {'w', 6, false}, {'w', 7, false}, {'s', 7, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.kind) + std::to_string(c.type));
        std::unique_ptr<Contour> choice = GetSPID()->GetDetailContour()->Clone();
        CContourBuilder builder;
        builder.partContour = choice.get();
        TabPanel panel(c.kind, builder, choice.get(), c.type);
        panel.reference = GetSPID()->GetDetailContour()->Clone();
        Drive(panel,
              "pick face:3\ncommand \"Способ построения контура\" 10001\n"
              "command \"Способ построения контура\" 10002\n");
        CContourTAB& tab = panel.tab;
        std::vector<int> buttons;
        for (const PropertyButton& b : tab.methodGroup->Buttons()) buttons.push_back(b.id);
        EXPECT_EQ(buttons, (std::vector<int>{10001, 10002}));
        EXPECT_EQ(tab.commonAllowanceBox != nullptr, c.allowance);
        EXPECT_EQ(tab.commonAllowanceField != nullptr, c.allowance);
        EXPECT_EQ(tab.fileNameField, nullptr);
        EXPECT_EQ(tab.barLengthField, nullptr);
        EXPECT_NE(tab.showStockContourBox, nullptr);
        EXPECT_EQ(tab.showOtherContourBox->Hint(),
                  c.kind == 'w' ? "Показать/скрыть исходный контур" : "Показать/скрыть рабочий контур");
        EXPECT_EQ(builder.sourceContour, c.kind == 'w' ? panel.reference.get() : nullptr)
            << "a working contour is closed onto the reference contour";
        if (c.kind == 's') {
            EXPECT_TRUE(panel.hooks.empty()) << "a source tab has no owner";
            continue;
        }
        // Before the first hook: the method group, a divider, the sketch name
        // and the direction box; before the second the table, its allowance
        // controls, the intermediate-faces box, the gap list and a divider.
        const std::string geometry = "geometry group after control " + std::to_string(c.allowance ? 10 : 8);
        const Names expected{"mode group after control 4", geometry,       "closing segments", "show group 1",
                             "closing segments",           "show group 0", "closing segments"};
        EXPECT_EQ(panel.hooks, expected);
    }
}

TEST_F(ContourTabPanelTest, CaptionsImagesAndGridFollowTheHostVersion) {
    struct Look {
        std::string method, surfaces, intermediate, table;
        HostImage sketchImage, joinImage;
        std::string entryText;
        int controls, tableHeight, firstWidth;
    };
    auto look = [&](int host) {
        SetHostVersion({host, 0, 0, 0});
        TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
        Drive(panel, "");
        const CContourTAB& tab = panel.tab;
        const PropertyButton& sketch = *tab.methodGroup->Button(CContourTAB::kButtonSketch);
        return Look{tab.methodGroup->Caption(),
                    tab.showSurfacesBox->Caption(),
                    tab.intermediateFacesBox->Caption(),
                    tab.surfaceTable->Caption(),
                    sketch.image,
                    tab.gapList->Button(CContourTAB::kButtonJoin1)->image,
                    sketch.secondText,
                    tab.HostTab()->ControlCount(),
                    tab.surfaceTable->Height(),
                    tab.surfaceTable->ColumnWidths().at(0)};
    };
    const Look old = look(16), fresh = look(17);
    EXPECT_EQ(old.method, "");
    EXPECT_EQ(old.surfaces, "");
    EXPECT_EQ(old.intermediate, "");
    EXPECT_EQ(old.table, "Поверхности");
    EXPECT_EQ(old.sketchImage, HostImage::Library(10001));
    EXPECT_EQ(old.joinImage, HostImage::Library(10601));
    EXPECT_EQ(old.entryText, "");
    EXPECT_EQ(fresh.method, "Способ задания заготовки");
    EXPECT_EQ(fresh.surfaces, "Показать поверхности заготовки");
    EXPECT_EQ(fresh.intermediate, "Вкл. выбор промежуточных граней");
    EXPECT_EQ(fresh.table, "");
    EXPECT_EQ(fresh.sketchImage, HostImage::Host(57435));
    EXPECT_EQ(fresh.joinImage, HostImage::Host(57398));
    EXPECT_EQ(fresh.entryText, "Zarvento");
    EXPECT_EQ(old.controls, fresh.controls + 2) << "the two dividers up to host 16";
    EXPECT_EQ(old.tableHeight, 235);
    EXPECT_EQ(fresh.tableHeight, 300);
    EXPECT_EQ(old.firstWidth, 90);
    EXPECT_EQ(fresh.firstWidth, 100);
}

TEST_F(ContourTabPanelTest, ThePlanDataRebuildsTheStockThroughTheAttachedTab) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel, "pick face:3\npick face:4\n");
    panel.built.reset();
    CSPID& planData = *GetSPID();
    planData.pStockTab = &panel.tab;
    EXPECT_EQ(planData.CreateSourceContour(), nullptr) << "the tab rebuilds instead";
    planData.pStockTab = nullptr;
    EXPECT_NE(panel.built, nullptr);
}

TEST_F(ContourTabPanelTest, ANewCopyOfTheDataLeavesNothingOfTheOldOneCurrent) {
    TabPanel panel(CContourTAB::kStockTab, stock, selection.get());
    Drive(panel, "pick face:3\npick face:5\nselect Поверхности 2 0\n");
    CContourTAB& tab = panel.tab;
    ASSERT_EQ(tab.CurrentSurface(), selection->GetUnit(5));
    // The owner makes a new copy, re-points the tab and deletes the old one.
    std::unique_ptr<Contour> copy = selection->Clone();
    stock.partContour = copy.get();
    tab.SetContext(GetSPID()->GetDetailContour(), copy.get(), &panel.built, &stock);
    selection.reset();
    EXPECT_EQ(tab.CurrentSurface(), nullptr);
    tab.OnActivate();
    tab.ClearHighlight();
    EXPECT_NE(panel.built, nullptr);
    EXPECT_EQ(tab.GetSurfaces()->GetSelectedCount(), 2);
    selection = std::move(copy);
}

}  // namespace
}  // namespace zarvento::test
