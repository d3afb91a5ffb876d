// The plan-data panel: its tabs on the host versions whose layouts differ, the
// tool-edit mode, the defaults of a new plan, the safety planes, the tools
// table's cells with their sign rules and messages, tools and fixtures added,
// moved and removed, and OK and Cancel. Scripts drive it as a user would; the
// finer steps drive an opened panel through the host's user actions.
#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/contour_script.h"
#include "model/model_tess.h"
#include "panel_test_support.h"
#include "panels/panel_spid.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"

namespace zarvento::test {
namespace {

class PanelSpidTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        MakePart();
        // The coordinate system chosen, the part's contour recognised by the
        // plan-data command (answered whole and cancelled).
        Run("panel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\nanswer spid cancel\nplan-data\n");
        ASSERT_EQ(script.CommandsFailed(), 0);
        ASSERT_NE(GetSPID()->GetDetailContour(), nullptr);
        toolModel = folder.Path() / "roughing_tool.rdp";
        ToolModelText::Convert((repository / "examples" / "tools" / "roughing_tool.txt").string(), toolModel.string());
    }
    void TearDown() override {
        Close();
        WaitingTurn = nullptr;
        PanelTest::TearDown();
    }

    // The panel made, initialised and shown as ShowModal does, without its
    // modal run: the test plays the user through the property manager.
    CPanelSPID& Open() {
        panel = std::make_unique<CPanelSPID>(GetSPID());
        panel->CreatePanel();
        panel->CBasePanel::OnInitPanel();
        panel->OnInitPanel();
        Shown().Subscribe(kPropertyManagerNotifications, panel.get());
        Shown().Activate();
        return *panel;
    }
    void Close() {
        if (!panel) return;
        Shown().Unsubscribe(kPropertyManagerNotifications, panel.get());
        panel->OnClosePanel();
        panel.reset();
    }
    PropertyTab& Tab(int number) { return *panel->HostTab(number); }
    void OpenTab(int number) { ASSERT_TRUE(Shown().UserOpenTab(Tab(number)).done); }
    PropertyControl& Table() { return Control("Таблица инструментов"); }
    PropertyControl& Fixtures() { return Control("Список приспособлений"); }
    static std::vector<std::string> Boxes() { return MessageLog::Instance().Texts(MessageRole::MessageBox); }
    static std::vector<std::string> AllMessages() { return MessageLog::Instance().AllTexts(); }
    static bool Shows(const std::string& text) {
        const auto all = AllMessages();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    bool Enabled(PropertyControl& bar, int id) { return bar.Button(id) && bar.Button(id)->enabled; }
    // A copy of the tool model under another name.
    std::string ModelNamed(const std::string& name) {
        const fs::path path = folder.Path() / name;
        fs::copy_file(toolModel, path, fs::copy_options::overwrite_existing);
        return path.string();
    }
    // Adds the model through the file button with position `row` selected.
    void AddToolFile(int row, const std::string& path) {
        ASSERT_TRUE(Shown().UserSelectCell(Table(), row, 1).done);
        FileDialogs::Instance().QueueOpen(path);
        ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kToolFromFile).done);
    }
    void AddFixtureFile(const std::string& path) {
        FileDialogs::Instance().QueueOpen(path);
        ASSERT_TRUE(Shown().UserCommand(Fixtures(), CPanelSPID::kGadgetFromFile).done);
    }

    std::unique_ptr<CPanelSPID> panel;
    fs::path toolModel;
};

class PanelSpidHostTest : public PanelSpidTest, public ::testing::WithParamInterface<int> {};

// Seven tabs from host 17, the placeholder first with an invisible control;
// six on host 16. OK waits for a built stock contour, through the script too.
TEST_P(PanelSpidHostTest, TabsAndOkWaitingForTheStockContour) {
    const int major = GetParam();
    SetHostVersion({major, 0, 0, 0});
    const double xplane = GetSPID()->Xplane;
    Run("panel spid\n tab \"Зона безопасности\"\n set \"Диаметр зоны безопасности\" 100\n ok\n cancel\nend\n"
        "plan-data\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    // From host 21 the panel opens on its contour tab, which builds the stock
    // contour at once: OK is enabled from the start there.
    const bool builtOnOpening = major >= 21;
    EXPECT_EQ(std::any_of(UserOutput().begin(), UserOutput().end(),
                          [](const std::string& s) { return s.find("the button 1 is disabled") != std::string::npos; }),
              !builtOnOpening);
    if (builtOnOpening) {
        EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDOK_);
        EXPECT_DOUBLE_EQ(GetSPID()->Xplane, 50.0) << "OK takes the safety zone over";
    } else {
        EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDCANCEL_);
        EXPECT_EQ(GetSPID()->Xplane, xplane) << "Cancel leaves the plan as it was";
    }

    const std::vector<std::string> captions = {"Контур заготовки", "Таблица инструментов", "Исходная точка",
                                               "Приспособления",   "Зона безопасности",    "Параметры детали"};
    const int first = major >= 17 ? 1 : 0;
    ASSERT_EQ(Shown().TabCount(), 6 + first);
    if (major >= 17) {
        EXPECT_EQ(Shown().Tab(0).Caption(), ".......");
        ASSERT_EQ(Shown().Tab(0).ControlCount(), 1);
        EXPECT_FALSE(Shown().Tab(0).Control(0).Visible());
    }
    for (int t = 0; t < 6; ++t) EXPECT_EQ(Shown().Tab(t + first).Caption(), captions[static_cast<std::size_t>(t)]);
    EXPECT_EQ(Control("Угол установки инструмента в текущей позиции").Caption(),
              major >= 17 ? "Угол установки инструмента" : "Угол установки, град.");
    EXPECT_EQ(Control("Число позиций").HelpTopic(), CPanelSPID::kHelpTools);
    EXPECT_EQ(Control("Тип заготовки").HelpTopic(), CPanelSPID::kHelpPanel);

    // The same panel opened directly: OK enables once the tab built the stock.
    // From host 17 its buttons hand the library's entry text back.
    SetLibraryEntryText("Zarvento entry");
    CPanelSPID& p = Open();
    EXPECT_EQ(p.ContourTab().methodGroup->Button(CContourTAB::kButtonSketch)->secondText,
              major >= 17 ? "Zarvento entry" : "");
    p.BuiltStockSlot().reset();
    Shown().RefreshButtons();
    EXPECT_FALSE(Shown().ButtonEnabled(kPanelButtonOK));
    p.BuiltStockSlot() = GetSPID()->GetDetailContour()->Clone();
    Shown().RefreshButtons();
    EXPECT_TRUE(Shown().ButtonEnabled(kPanelButtonOK));
}

INSTANTIATE_TEST_SUITE_P(Hosts, PanelSpidHostTest, ::testing::Values(16, 18, 23));

// Opened for an operation's tool: only the tools tab; the first tab change
// keeps it; OK needs no stock contour.
TEST_P(PanelSpidHostTest, ToolEditModeShowsOnlyTheToolsTab) {
    SetHostVersion({GetParam(), 0, 0, 0});
    const std::unique_ptr<PlanTurn> waiting = CPLAN::CreateTurnClass(1);
    ASSERT_NE(waiting, nullptr);
    WaitingTurn = waiting.get();
    CPanelSPID& p = Open();
    EXPECT_TRUE(p.ToolEditMode());
    for (int t = 1; t <= CPanelSPID::kTabCount; ++t) EXPECT_EQ(Tab(t).Visible(), t == CPanelSPID::kTabTools) << t;
    // From host 21 the panel's first activation is the first change.
    if (GetParam() < 21) p.OnChangeTab(GetParam() < 17 ? 0 : CPanelSPID::kTabContour);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabTools);
    EXPECT_TRUE(p.ToolsTableShown());
    EXPECT_TRUE(Shown().ButtonEnabled(kPanelButtonOK));
    EXPECT_EQ(Table().Grid().RowCount(), GetSPID()->Npositions + 1);
}

// Host 16 reports the user's choice of a tab by its index: the tools tab,
// once filled, can be left again.
TEST_F(PanelSpidTest, OnHost16TheToolsTabCanBeLeft) {
    SetHostVersion({16, 0, 0, 0});
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabTools);
    OpenTab(CPanelSPID::kTabStartPoint);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabStartPoint);
    OpenTab(CPanelSPID::kTabContour);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabContour);
}

// On hosts 17 to 20 no tab change comes before the user's first: the tab the
// user opens is the one shown open and the panel's current one.
TEST_F(PanelSpidTest, OnHost18TheFirstTabOpenedIsTheCurrentOne) {
    SetHostVersion({18, 0, 0, 0});
    CPanelSPID& p = Open();
    EXPECT_EQ(p.CurrentTabNumber(), 0);
    OpenTab(CPanelSPID::kTabTools);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabTools);
    for (int t = 1; t <= CPanelSPID::kTabCount; ++t) EXPECT_EQ(Tab(t).Expanded(), t == CPanelSPID::kTabTools) << t;
    EXPECT_EQ(p.SelectedTool(), 0) << "the first position is selected on entering";
    // The accordion: opening another tab closes the tools tab.
    OpenTab(CPanelSPID::kTabContour);
    EXPECT_EQ(p.CurrentTabNumber(), CPanelSPID::kTabContour);
    EXPECT_FALSE(Tab(CPanelSPID::kTabTools).Expanded());
}

TEST_F(PanelSpidTest, ANewPlanTakesItsDefaultsFromThePartBox) {
    GetSPID()->isNewPlan = true;
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    GetSPID()->GetDetailContour()->GetBoundBox(zmin, xmin, zmax, xmax);
    CPanelSPID& p = Open();
    EXPECT_DOUBLE_EQ(p.PlanData().Xplane, 5.0 - xmin);
    EXPECT_DOUBLE_EQ(p.PlanData().ProkatD, -2.0 * xmin);
    EXPECT_DOUBLE_EQ(p.PlanData().ProkatL, zmax - zmin);
    EXPECT_DOUBLE_EQ(Control("Диаметр зоны безопасности").Value().ToR8(), 2.0 * (5.0 - xmin));
    Close();
    // A plan already set up keeps its own values.
    GetSPID()->isNewPlan = false;
    GetSPID()->Xplane = 33.0;
    EXPECT_DOUBLE_EQ(Open().PlanData().Xplane, 33.0);
}

TEST_F(PanelSpidTest, SafetyPlanesFollowTheDiameterAndZ) {
    CPanelSPID& p = Open();
    EXPECT_FALSE(p.SafetyPlaneX().IsVisible()) << "built hidden";
    EXPECT_FALSE(Control("Показать/скрыть плоскости зоны безопасности").Value().ToBool());
    OpenTab(CPanelSPID::kTabSafetyZone);
    ASSERT_TRUE(Shown().UserSetValue(Control("Диаметр зоны безопасности"), "100").done);
    EXPECT_DOUBLE_EQ(p.PlanData().Xplane, 50.0);
    EXPECT_TRUE(p.SafetyPlaneX().IsVisible());
    EXPECT_TRUE(p.SafetyPlaneZ().IsVisible());
    EXPECT_TRUE(Control("Показать/скрыть плоскости зоны безопасности").Value().ToBool());
    ASSERT_TRUE(Shown().UserSetValue(Control("Граница зоны безопасности по Z"), "7.5").done);
    EXPECT_DOUBLE_EQ(p.PlanData().Zplane, 7.5);
    ASSERT_TRUE(Shown().UserSetValue(Control("Показать/скрыть плоскости зоны безопасности"), "0").done);
    EXPECT_FALSE(p.SafetyPlaneX().IsVisible());
    EXPECT_FALSE(p.SafetyPlaneZ().IsVisible());
}

// Wx and Wz are typed as the machine sees them: Wx negated for an internal
// tool, Wz negated unless the hand and the spindle direction agree.
TEST_F(PanelSpidTest, ToolTableCellsFollowTheSignRules) {
    struct Case {
        bool isInter, isLeft;
        std::int16_t m34;
        int column;
        const char* typed;
        double correctX, correctZ;
    };
    const Case cases[] = {
        {true, false, 3, 2, "2", -2, 0},     {false, false, 3, 2, "2", 2, 0},   {false, true, 3, 3, "2", 0, -2},
        {false, false, 3, 3, "2", 0, 2},     {false, true, 4, 3, "2", 0, 2},    {false, false, 4, 3, "2", 0, -2},
        {false, false, 3, 2, "1,5", 1.5, 0}, {false, false, 3, 3, "abc", 0, 0},
    };
    for (const Case& c : cases) {
        ParamTool& own = GetSPID()->tools[0];
        own.sFileName = toolModel.string();
        own.sPsevName = "Резец";
        own.isInter = c.isInter;
        own.isLeft = c.isLeft;
        own.M34 = c.m34;
        own.CorrectX = own.CorrectZ = 0;
        CPanelSPID& p = Open();
        OpenTab(CPanelSPID::kTabTools);
        ASSERT_TRUE(Shown().UserEditCell(Table(), 1, c.column, c.typed).done);
        const ParamTool& tool = p.PlanData().tools[0];
        EXPECT_DOUBLE_EQ(tool.CorrectX, c.correctX) << c.isInter << c.isLeft << c.m34 << c.column << c.typed;
        EXPECT_DOUBLE_EQ(tool.CorrectZ, c.correctZ) << c.isInter << c.isLeft << c.m34 << c.column << c.typed;
        Close();
    }
}

TEST_F(PanelSpidTest, ToolTableCellsThatCannotChangeSaySo) {
    GetSPID()->tools[0].sFileName = toolModel.string();
    GetSPID()->tools[0].sPsevName = "Резец";
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    ASSERT_TRUE(Shown().UserEditCell(Table(), 3, 1, "Новый").done);
    EXPECT_TRUE(Shows("Инструмент в позиции №3 не установлен"));
    EXPECT_EQ(p.PlanData().tools[2].sPsevName, "");
    ASSERT_TRUE(Shown().UserEditCell(Table(), 1, 1, "").done);
    EXPECT_TRUE(Shows("Инструмент должен иметь название"));
    EXPECT_EQ(Table().Grid().CellText(1, 1), "Резец") << "refilled with the old name";
    ASSERT_TRUE(Shown().UserEditCell(Table(), 1, 1, "Проходной").done);
    EXPECT_EQ(p.PlanData().tools[0].sPsevName, "Проходной");
    ASSERT_TRUE(Shown().UserEditCell(Table(), 1, 4, "M4").done);
    EXPECT_TRUE(Shows("Значение параметра M3/4 изменить нельзя"));
    EXPECT_EQ(Table().Grid().CellText(1, 4), "M3");
    ASSERT_TRUE(Shown().UserEditCell(Table(), 1, 5, "3").done);
    EXPECT_TRUE(Shows("Радиус коррекции r изменить нельзя"));
    Table().SetCurrentCell(1, 0);
    p.OnChangeControlValue(Table());
    EXPECT_TRUE(Shows("Столбец в таблице не выбран"));
    for (const MessageEntry& e : MessageLog::Instance().Entries()) {
        if (e.text == "Столбец в таблице не выбран") {
            EXPECT_EQ(e.caption, "Orbisel");
        }
    }
}

// The edit's range is the host's guard only: a count past the table that
// reaches the handler is taken as 30 and shown so.
TEST_F(PanelSpidTest, APositionCountPastTheTableStoresAndShowsThirty) {
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    PropertyControl& count = Control("Число позиций");
    EXPECT_FALSE(Shown().UserSetValue(count, "31").done) << "the host refuses it";
    count.StoreValue(Variant::I4(31));
    p.OnChangeControlValue(count);
    EXPECT_EQ(p.PlanData().Npositions, 30);
    EXPECT_EQ(count.Value().ToI4(), 30);
    EXPECT_EQ(Table().Grid().RowCount(), 31);
    count.StoreValue(Variant::I4(-4));
    p.OnChangeControlValue(count);
    EXPECT_EQ(p.PlanData().Npositions, 0);
    for (int id : {CPanelSPID::kToolFromCatalog, CPanelSPID::kToolFromFile, CPanelSPID::kRemoveTool,
                   CPanelSPID::kMoveUp, CPanelSPID::kMoveDown, CPanelSPID::kToolVariables})
        EXPECT_FALSE(Enabled(Table(), id)) << id;
    EXPECT_EQ(p.ToolModel(), nullptr);
}

// A tool file whose name carries settings goes where they say; one past the
// table is refused; a cancelled choice changes no button.
TEST_F(PanelSpidTest, AToolFromAFileGoesWhereItsNameSays) {
    GetSPID()->Npositions = 8;
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    ASSERT_TRUE(Shown().UserSelectCell(Table(), 1, 1).done);
    FileDialogs::Instance().QueueOpen(std::nullopt);
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kToolFromFile).done);
    for (int id : {CPanelSPID::kRemoveTool, CPanelSPID::kSpindleLeft, CPanelSPID::kSpindleRight})
        EXPECT_FALSE(Enabled(Table(), id)) << "nothing chosen: the empty position has no tool to act on " << id;

    const std::string w = ModelNamed("W{T3 X1.5 M4}.rdp");
    AddToolFile(1, w);
    const ParamTool& tool = p.PlanData().tools[2];
    EXPECT_EQ(tool.sFileName, w);
    EXPECT_EQ(tool.M34, 4);
    EXPECT_DOUBLE_EQ(tool.CorrectX, tool.isInter ? -1.5 : 1.5);
    EXPECT_EQ(tool.sPsevName, "W");
    EXPECT_EQ(tool.sToolName, "W{T3 X1");
    EXPECT_FALSE(tool.isFromCatalog);
    EXPECT_TRUE(p.PlanData().tools[0].sFileName.empty()) << "the selected position stays empty";
    EXPECT_EQ(p.SelectedTool(), 2);
    EXPECT_EQ(Table().Grid().CellText(3, 1), "W");
    for (int id : {CPanelSPID::kRemoveTool, CPanelSPID::kSpindleLeft, CPanelSPID::kSpindleRight, CPanelSPID::kMoveUp,
                   CPanelSPID::kMoveDown})
        EXPECT_TRUE(Enabled(Table(), id)) << id;
    ASSERT_NE(p.ToolModel(), nullptr) << "the selected tool's model is shown";
    EXPECT_EQ(p.ToolModel()->FilePath(), tool.sWorkFile);

    const std::string far = ModelNamed("W{T40 X1.5 M4}.rdp");
    AddToolFile(1, far);
    EXPECT_TRUE(Shows("Инструмент не может быть установлен в позицию 40. Не хватает позиций."));
    EXPECT_TRUE(p.PlanData().tools[0].sFileName.empty());
    EXPECT_EQ(p.PlanData().tools[2].sFileName, w);
}

TEST_F(PanelSpidTest, ToolsMoveFlipTheirSpindleAndGo) {
    GetSPID()->Npositions = 4;
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    AddToolFile(1, ModelNamed("A.rdp"));
    ASSERT_EQ(p.PlanData().tools[0].sToolName, "A");
    EXPECT_FALSE(Enabled(Table(), CPanelSPID::kMoveUp)) << "the first position has no place above";

    // "Под левое вращение": M4, the cell says so, Wz turns; again: nothing.
    const double z = p.MutablePlanData().tools[0].CorrectZ = 2.0;
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kSpindleLeft).done);
    EXPECT_EQ(p.PlanData().tools[0].M34, 4);
    EXPECT_EQ(Table().Grid().CellText(1, 4), "M4");
    EXPECT_DOUBLE_EQ(p.PlanData().tools[0].CorrectZ, -z);
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kSpindleLeft).done);
    EXPECT_DOUBLE_EQ(p.PlanData().tools[0].CorrectZ, -z);

    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kMoveDown).done);
    EXPECT_TRUE(p.PlanData().tools[0].sFileName.empty());
    EXPECT_EQ(p.PlanData().tools[1].sToolName, "A");
    EXPECT_EQ(p.PlanData().tools[1].Position, 1);
    EXPECT_EQ(p.SelectedTool(), 1);
    EXPECT_TRUE(Enabled(Table(), CPanelSPID::kMoveUp));

    // Moving or removing an empty position says so.
    ASSERT_TRUE(Shown().UserSelectCell(Table(), 1, 1).done);
    p.OnControlCommand(Table(), CPanelSPID::kRemoveTool);
    EXPECT_TRUE(Shows("Инструмент в позиции №1 не установлен"));

    // Removal asks first; "Отмена" keeps the tool.
    ASSERT_TRUE(Shown().UserSelectCell(Table(), 2, 1).done);
    MessageLog::Instance().QueueAnswer(IDNO_);
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kRemoveTool).done);
    EXPECT_TRUE(Shows("Вы действительно хотите удалить инструмент из позиции №2?"));
    EXPECT_EQ(p.PlanData().tools[1].sToolName, "A");
    MessageLog::Instance().QueueAnswer(IDYES_);
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kRemoveTool).done);
    EXPECT_TRUE(p.PlanData().tools[1].sFileName.empty());
    EXPECT_EQ(p.PlanData().tools[1].Position, 1);
    EXPECT_EQ(Table().Grid().CellText(2, 1), "");
    EXPECT_EQ(p.ToolModel(), nullptr);
}

TEST_F(PanelSpidTest, FixturesAreAddedPlacedAndRemoved) {
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabGadgets);
    for (const char* name : {"F1.rdp", "F2.rdp", "F3.rdp"}) AddFixtureFile(ModelNamed(name));
    ASSERT_EQ(p.PlanData().Ngadgets, 3);
    EXPECT_EQ(Fixtures().Items().size(), 3u);
    EXPECT_EQ(p.SelectedGadget(), 2);

    // The overhang sets the Z position from the model's own offset.
    CSPID& data = p.MutablePlanData();
    data.gadgets[2].offsetZ = 10.0;
    data.gadgets[2].TYPE_ = 1.0;  // a chuck: its overhang is shown
    ASSERT_TRUE(Shown().UserSelect(Fixtures(), 0).done);
    ASSERT_TRUE(Shown().UserSelect(Fixtures(), 2).done);
    EXPECT_FALSE(Control("Положение приспособления по координате Z").Enabled()) << "it follows from the overhang";
    ASSERT_TRUE(Shown().UserSetValue(Control("Вылет детали"), "50").done);
    EXPECT_DOUBLE_EQ(data.gadgets[2].CorrectZ, -60.0);
    EXPECT_DOUBLE_EQ(Control("Положение приспособления по координате Z").Value().ToR8(), -60.0);

    // Removing the middle one of three leaves the other two in order.
    ASSERT_TRUE(Shown().UserSelect(Fixtures(), 1).done);
    MessageLog::Instance().QueueAnswer(IDYES_);
    ASSERT_TRUE(Shown().UserCommand(Fixtures(), CPanelSPID::kRemoveGadget).done);
    EXPECT_TRUE(Shows("Вы действительно хотите удалить приспособление\nF2?"));
    ASSERT_EQ(p.PlanData().Ngadgets, 2);
    EXPECT_EQ(p.PlanData().gadgets[0].sToolName, "F1");
    EXPECT_EQ(p.PlanData().gadgets[1].sToolName, "F3");
    EXPECT_EQ(Fixtures().Items().size(), 2u);
    EXPECT_EQ(p.SelectedGadget(), -1);
    EXPECT_FALSE(Control("Положение приспособления по координате Z").Enabled());
    EXPECT_FALSE(Enabled(Fixtures(), CPanelSPID::kRemoveGadget));

    // Ten at most.
    for (int k = 2; k < CSPID::kMaxGadgets; ++k) AddFixtureFile(ModelNamed("G" + std::to_string(k) + ".rdp"));
    ASSERT_EQ(p.PlanData().Ngadgets, 10);
    ASSERT_TRUE(Shown().UserCommand(Fixtures(), CPanelSPID::kGadgetFromFile).done);
    EXPECT_TRUE(Shows("Можно использовать не более 10 приспособлений"));
    EXPECT_EQ(p.PlanData().Ngadgets, 10);
}

// A chuck (kind 1) holds a part from z 0 to 100 with 115 of overhang.
TEST_F(PanelSpidTest, AChuckIsPlacedBeyondThePart) {
    CPanelSPID& p = Open();
    CSPID& data = p.MutablePlanData();
    data.pDetailContour =
        ParseContourScript("LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, 100,-20, 1 );\nLineSeg( 100,-20, 100,0, 1 );");
    ASSERT_NE(data.pDetailContour, nullptr);
    data.gadgets[0].TYPE_ = 1.0;
    data.gadgets[0].offsetZ = 10.0;
    p.PlaceGadget(0);
    EXPECT_DOUBLE_EQ(data.gadgets[0].Lvlt, 115.0);
    EXPECT_DOUBLE_EQ(data.gadgets[0].CorrectZ, 200.0 - (115.0 + 10.0));
    data.gadgets[1].TYPE_ = 2.0;
    p.PlaceGadget(1);
    EXPECT_DOUBLE_EQ(data.gadgets[1].CorrectZ, 100.0);
    p.PlaceGadget(-1);  // nothing
}

// OK hands the copy and the tab's built stock to the plan, the stock model's
// path relative to the document; a second OK changes nothing.
TEST_F(PanelSpidTest, OkHandsTheCopyAndTheBuiltStockToThePlan) {
    GetSPID()->pSourceContour.reset();
    part->SetFilePath((folder.Path() / "part.rdp").string());
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabStartPoint);
    ASSERT_TRUE(Shown().UserSetValue(Control("Координата Z исходной точки"), "77").done);
    p.MutablePlanData().stockBuilder.SetFileName((folder.Path() / "part.rdp").string() + "/stock.rdp");
    p.BuiltStockSlot() = ParseContourScript("LineSeg( 0,0, 0,-30, 1 );\nLineSeg( 0,-30, 50,-30, 1 );");
    ASSERT_TRUE(Shown().UserClick(kPanelButtonOK).done);
    EXPECT_EQ(p.Result(), 1);
    CSPID& plan = *GetSPID();
    EXPECT_DOUBLE_EQ(plan.Z0tool, 77.0);
    EXPECT_FALSE(plan.isNewPlan);
    ASSERT_NE(plan.pSourceContour, nullptr);
    EXPECT_EQ(ContourScriptText(*plan.pSourceContour), ContourScriptText(*p.BuiltStockSlot()));
    EXPECT_EQ(plan.sRefrModelSour, "/stock.rdp");
    p.MutablePlanData().Z0tool = 1.0;
    EXPECT_TRUE(p.OnButtonClick(kPanelButtonOK));
    EXPECT_DOUBLE_EQ(plan.Z0tool, 77.0) << "a second OK does nothing";
}

TEST_F(PanelSpidTest, CancelLeavesThePlanAsItWas) {
    GetSPID()->Npositions = 4;
    const double z0 = GetSPID()->Z0tool;
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    AddToolFile(2, ModelNamed("B.rdp"));
    OpenTab(CPanelSPID::kTabStartPoint);
    ASSERT_TRUE(Shown().UserSetValue(Control("Координата Z исходной точки"), "77").done);
    EXPECT_TRUE(p.PlanData().startPointMarker.IsDrawn()) << "the start point is shown where it now is";
    ASSERT_TRUE(Shown().UserSetValue(Control("Показать/скрыть Исходную точку"), "1").done);
    ASSERT_TRUE(Shown().UserSetValue(Control("Показать/скрыть Исходную точку"), "0").done);
    EXPECT_FALSE(p.PlanData().startPointMarker.IsDrawn());
    ASSERT_TRUE(Shown().UserClick(kPanelButtonCancel).done);
    EXPECT_EQ(p.Result(), 2);
    EXPECT_DOUBLE_EQ(GetSPID()->Z0tool, z0);
    EXPECT_TRUE(GetSPID()->tools[1].sFileName.empty());
}

// The start-point tab shows the largest corrections of the tools mounted,
// never below 0.
TEST_F(PanelSpidTest, TheStartPointTabShowsTheLargestOverhangs) {
    CSPID& plan = *GetSPID();
    plan.Npositions = 3;
    plan.tools[0].sFileName = "a.rdp";
    plan.tools[0].CorrectX = 12, plan.tools[0].CorrectZ = -3;
    plan.tools[1].CorrectX = 40, plan.tools[1].CorrectZ = 40;  // no tool there
    plan.tools[2].sFileName = "c.rdp";
    plan.tools[2].CorrectX = 5, plan.tools[2].CorrectZ = -8;
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabStartPoint);
    EXPECT_DOUBLE_EQ(p.MaxToolOverhangX(), 12.0);
    EXPECT_DOUBLE_EQ(p.MaxToolOverhangZ(), 0.0);
    EXPECT_DOUBLE_EQ(Control("Максимальный вылет инструмента по X").Value().ToR8(), 12.0);
}

// Left by an operation panel for its tool: the script's panel runs the real
// panel, whose OK needs no stock contour there.
TEST_F(PanelSpidTest, AScriptEditsTheToolTableForAWaitingOperation) {
    Run("answer spid ok L=90 D=45 Z=2\nplan-data\nanswer turn cancel wait=1\ncreate 1\n");
    ASSERT_NE(WaitingTurn, nullptr);
    Run("panel spid\n set \"Число позиций\" 6\n ok\nend\nplan-data\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(GetSPID()->Npositions, 6);
    const auto& entries = PanelScript::Instance().Entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const PanelEntry& e) {
        return e.panel == CPanelSPID::kScriptName && e.result == IDOK_;
    }));
    EXPECT_EQ(Control("Число позиций").Value().ToI4(), 6);
}

// A catalog tool without settings in its name keeps the mounting of the
// record it replaces; its model is drawn mirrored for M4.
TEST_F(PanelSpidTest, ACatalogToolKeepsTheMountingOfThePositionItReplaces) {
    const fs::path catalog = folder.Path() / "TOOLS" / "Токарные" / "Проходные";
    fs::create_directories(catalog);
    ToolModelText::Convert(FixturePath("tools/body_tool.txt"), (catalog / "Резец.rdp").string());
    ParamTool& own = GetSPID()->tools[0];
    own.M34 = 4;
    own.isLeft = true;
    own.CorrectZ = 3.0;
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabTools);
    ASSERT_TRUE(Shown().UserSelectCell(Table(), 1, 1).done);
    // The catalog's tree: the root, "Токарные", "Проходные", then the model.
    UserStep tree, ok;
    tree.action = UserStep::Action::Select;
    tree.id = 100;
    tree.row = 3;
    ok.id = 1;
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Dialog, "catalog", {tree, ok}, 0});
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kToolFromCatalog).done);
    const ParamTool& tool = p.PlanData().tools[0];
    // Named in the size the dialog had chosen: its first row.
    EXPECT_EQ(tool.sToolName, "Резец SNMG 120408");
    EXPECT_TRUE(tool.isFromCatalog);
    EXPECT_EQ(tool.M34, 4);
    // The hand is the model's, not the mounting's: this model says nothing
    // of it, so the tool is no left-hand tool like the one it replaces.
    EXPECT_FALSE(tool.isLeft);
    EXPECT_DOUBLE_EQ(tool.CorrectZ, 3.0);
    EXPECT_EQ(Table().Grid().CellText(1, 1), "Резец SNMG 120408");
    ASSERT_NE(p.ToolModel(), nullptr);
    EXPECT_TRUE(p.ToolModel()->IsDrawn());
    for (int id : {CPanelSPID::kRemoveTool, CPanelSPID::kSpindleLeft, CPanelSPID::kSpindleRight})
        EXPECT_TRUE(Enabled(Table(), id)) << id;

    // A value typed into the tool's parameters goes into its model and back.
    PropertyControl& params = Control("Параметры инструмента");
    int row = -1;
    for (int r = 1; r < params.Grid().RowCount(); ++r)
        if (params.Grid().CellText(r, 1) == "Lh") row = r;
    ASSERT_GT(row, 0);
    ASSERT_TRUE(Shown().UserEditCell(params, row, 2, "55").done);
    double lh = 0;
    ASSERT_TRUE(p.PlanData().tools[0].GetVariable("Lh", lh));
    EXPECT_DOUBLE_EQ(lh, 55.0);
    EXPECT_EQ(params.Grid().CellText(row, 2), "55");
}

// " Обновить параметры" reads the part again and shows its material in the
// properties dialog, which a script drives on the host as the other dialogs.
TEST_F(PanelSpidTest, TheMaterialPropertiesDialogRunsOnTheHost) {
    Run("part material=\"Сталь 45 ГОСТ 1050-2013\"\n"
        "dialog material\n dump\n close\nend\n"
        "panel spid\n tab \"Параметры детали\"\n press \"Обновить параметры детали\"\n cancel\nend\nplan-data\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    const auto shows = [](const std::string& text) {
        return std::any_of(UserOutput().begin(), UserOutput().end(),
                           [&text](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(shows("Свойства материала"));
    EXPECT_TRUE(shows("Способ получения заготовки"));
    EXPECT_TRUE(shows("Материалы и Сортаменты для VOVUVE"));
}

TEST_F(PanelSpidTest, EditsWithNothingSelectedSaySo) {
    CPanelSPID& p = Open();
    OpenTab(CPanelSPID::kTabGadgets);
    p.OnChangeControlValue(Control("Параметры приспособления"));
    p.OnChangeControlValue(Control("Вылет детали"));
    p.OnChangeControlValue(Control("Положение приспособления по координате Z"));
    const auto boxes = Boxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "Приспособление не выбрано"), 3);
    Table().Grid().SetCurrentRow(0);
    p.OnChangeControlValue(Control("Параметры инструмента"));
    EXPECT_TRUE(Shows("Инструмент не выбран"));
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kImportTable).done);  // the dialog cancelled: nothing
    // The part open in this window is no table to copy.
    const std::string self = (folder.Path() / "part.rdp").string();
    part->SetFilePath(self);
    FileDialogs::Instance().QueueOpen(self);
    ASSERT_TRUE(Shown().UserCommand(Table(), CPanelSPID::kImportTable).done);
    EXPECT_TRUE(Shows("Файл открыт в текущем окне"));
    p.MutablePlanData().Npositions = 0;
    p.OnControlCommand(Table(), CPanelSPID::kRemoveTool);
    EXPECT_TRUE(Shows("Сначала задайте число позиций"));
}

}  // namespace
}  // namespace zarvento::test
