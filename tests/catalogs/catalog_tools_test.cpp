// The catalog of models as its dialog shows it: the folders scanned, the
// parameters of the chosen model, the choice handed back, and the folder and
// file commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "catalog_test_support.h"
#include "catalogs/catalog_tools.h"
#include "catalogs/tool_model_text.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/drawings/rgba_image.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using test::CatalogTest;

class CatalogToolsTest : public CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        tools = dir / "lib" / "TOOLS";
        fs::create_directories(tools / "Токарные" / "Проходные" / "Глубже");
        SetModuleDirectory(dir / "lib");
        Model("body_tool.txt", tools / "Резец.rdp");
        Model("turning_tool.txt", tools / "Токарные" / "Проходные" / "Проходной.rdp");
        Model("turning_tool.txt", tools / "Токарные" / "Проходные" / "Токарн.rdp");  // named like its folder
        Model("turning_tool.txt", tools / "Токарные" / "Проходные" / "Глубже" / "Глубокий.rdp");
        Model("turning_tool.txt", tools / "Токарные" / "Прямо.rdp");  // directly in a first-level folder
        for (const fs::path& p :
             {tools / "README", tools / "Большой.RDP", tools / "Токарные" / "old.m3d", tools / "Токарные" / "OLD.M3D",
              tools / "Токарные" / "Проходные" / "Упорный.RDP", tools / ".hidden.rdp"})
            std::ofstream(p) << "x";
    }
    void TearDown() override {
        SetModuleDirectory(std::nullopt);
        CatalogTest::TearDown();
    }
    static void Model(const std::string& fixture, const fs::path& path) {
        ToolModelText::Convert(test::FixturePath("tools/" + fixture), path.string());
    }
    // The tree as "parent/text" lines, files marked with "*".
    static std::vector<std::string> Tree(const CCatalogTools& dialog) {
        std::vector<std::string> lines;
        for (const auto& item : dialog.Items()) {
            std::string line = item.parent < 0 ? "" : dialog.Items()[static_cast<std::size_t>(item.parent)].text + "/";
            line += item.text;
            if (item.data >= CCatalogTools::kFileData) line += "*";
            lines.push_back(line);
        }
        return lines;
    }
    static int CountEntries(const std::string& fragment) {
        int n = 0;
        for (const auto& e : Entries()) n += e.text.find(fragment) != std::string::npos;
        return n;
    }
    static int ItemNamed(const CCatalogTools& dialog, const std::string& text) {
        for (std::size_t i = 0; i < dialog.Items().size(); ++i)
            if (dialog.Items()[i].text == text) return static_cast<int>(i);
        return -1;
    }

    // The user's steps in the next run of the dialog of that name, a step a
    // line as scripts write them.
    static void Queue(const std::string& dialogName, const std::vector<std::string>& lines) {
        UserSession session;
        session.kind = UserSession::Kind::Dialog;
        session.name = dialogName;
        for (const std::string& line : lines) {
            std::vector<std::string> words;
            for (std::size_t at = 0; at < line.size();) {
                const std::size_t end = std::min(line.find(' ', at), line.size());
                words.push_back(line.substr(at, end - at));
                at = end + 1;
            }
            UserStep step;
            std::string error;
            EXPECT_TRUE(ParseDialogStep(words, step, error)) << error;
            session.steps.push_back(step);
        }
        ScriptedUser::Instance().Queue(std::move(session));
    }
    static void QueueFolderName(const std::string& folderName) {
        Queue(CNewDirCatalog::kScriptName, {"set 100 " + folderName, "ok"});
    }

    fs::path tools;
    std::string folder = "старое\\", name, ext = ".xyz";
    std::array<ParamVariable, 30> vars{};
    std::int32_t count = 0;
};

// A first-level folder lists its models (".rdp") as the others do: a stray
// ".m3d" there is no model (choosing it would open a ".rdp" that is not
// there), and a model copied into such a folder shows.
TEST_F(CatalogToolsTest, TheTreeShowsTwoLevelsOfLowerCaseModelsSorted) {
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.Caption(), "Каталог инструментов");
    EXPECT_FALSE(dialog.Enabled(CCatalogTools::kChoose));
    EXPECT_EQ(Tree(dialog), (std::vector<std::string>{
                                "КАТАЛОГ ИНСТРУМЕНТОВ",
                                "КАТАЛОГ ИНСТРУМЕНТОВ/README",  // no extension: taken for a folder
                                "КАТАЛОГ ИНСТРУМЕНТОВ/Резец*",
                                "КАТАЛОГ ИНСТРУМЕНТОВ/Токарные",
                                "Токарные/Проходные",
                                "Проходные/Проходной*",
                                "Проходные/Токарн*",
                                "Токарные/Прямо*",
                            }));
    EXPECT_EQ(dialog.SelectedItem(), -1);

    // Another kind scans its own folder; a missing one gives the root alone.
    CCatalogTools devices("Device", folder, name, ext, vars, count);
    devices.OnInitDialog();
    EXPECT_EQ(Tree(devices), std::vector<std::string>{"КАТАЛОГ ПРИСПОСОБЛЕНИЙ"});
    CCatalogTools unknown("Станок", folder, name, ext, vars, count);
    unknown.OnInitDialog();
    EXPECT_EQ(unknown.Caption(), "");
    EXPECT_EQ(Tree(unknown), std::vector<std::string>{""});
}

TEST_F(CatalogToolsTest, TheCurrentModelsBestRowIsPreselectedAndHandedBackOnOK) {
    name = "Резец";
    count = 2;
    vars[0] = {"L", "", 12, "", false, 0};
    vars[1] = {"r", "", 0.4, "", false, 0};
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    ASSERT_EQ(dialog.SelectedItem(), ItemNamed(dialog, "Резец"));
    EXPECT_TRUE(dialog.Enabled(CCatalogTools::kChoose));
    EXPECT_EQ(dialog.ParamsCaption(), "Параметры стандартного инструмента");
    ASSERT_EQ(dialog.Columns().size(), 4u);
    EXPECT_EQ(dialog.Columns()[0].title, "Обозначение");
    EXPECT_EQ(dialog.Columns()[2].title, "r");
    ASSERT_EQ(dialog.Rows().size(), 3u);
    EXPECT_EQ(dialog.Rows()[2], (std::vector<std::string>{"SNMG 190612", "19", "1.2", "6"}));
    EXPECT_EQ(dialog.SelectedRow(), 1);  // both values match "SNMG 120404"

    dialog.SelectListRow(2);
    dialog.OnOK();
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "Резец");
    EXPECT_EQ(ext, ".rdp");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(vars[0].dValue, 19);
    EXPECT_EQ(vars[1].dValue, 1.2);
}

TEST_F(CatalogToolsTest, ANonStandardModelListsItsVariablesAndCancelLeavesTheCallerAlone) {
    name = "Резец";
    count = 1;
    vars[0] = {"L", "Длина", 12, "", false, 0};
    const auto before = vars;
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    dialog.SelectTreeItem(ItemNamed(dialog, "Проходной"));
    EXPECT_EQ(dialog.ParamsCaption(), "Параметры нестандартного инструмента");
    EXPECT_FALSE(dialog.Enabled(CCatalogTools::kList));
    EXPECT_TRUE(dialog.Enabled(CCatalogTools::kChoose));
    // Notes ending in "%" are not listed.
    ASSERT_EQ(dialog.Rows().size(), 4u);
    EXPECT_EQ(dialog.Rows()[0], (std::vector<std::string>{"Радиус при вершине", "r", "0.4"}));
    EXPECT_EQ(dialog.WorkingCount(), 6);
    // Cancelled: the caller's count and variables are as they were.
    EXPECT_EQ(count, 1);
    EXPECT_EQ(vars, before);
    EXPECT_EQ(folder, "старое\\");

    // A file named like the start of its folder's path is a file.
    dialog.SelectTreeItem(ItemNamed(dialog, "Токарн"));
    EXPECT_TRUE(dialog.Enabled(CCatalogTools::kChoose));
    dialog.OnOK();
    EXPECT_EQ(folder, "Токарные\\Проходные\\");
    EXPECT_EQ(name, "Токарн");
    EXPECT_EQ(count, 6);
    EXPECT_EQ(vars[0].sName, "TYPE_");
    EXPECT_EQ(vars[5].sName, "Lfull");

    // A folder cannot be chosen.
    dialog.SelectTreeItem(ItemNamed(dialog, "Проходные"));
    EXPECT_FALSE(dialog.Enabled(CCatalogTools::kChoose));
    EXPECT_TRUE(dialog.Rows().empty());
}

TEST_F(CatalogToolsTest, TheUserPicksARowInTheModalRunAndCancelKeepsTheRecord) {
    name = "Резец";
    count = 2;
    vars[0] = {"L", "", 12, "", false, 0};
    vars[1] = {"r", "", 0.4, "", false, 0};
    const auto before = vars;
    {
        // Cancel after choosing another model and row: nothing goes back,
        // though the other model's variables were read.
        CCatalogTools dialog("Tool", folder, name, ext, vars, count);
        Queue(CCatalogTools::kScriptName, {"select 200 2", "cancel"});
        EXPECT_EQ(dialog.DoModal(), 2);
        EXPECT_EQ(dialog.Title(), "Каталог инструментов");
        EXPECT_EQ(name, "Резец");
        EXPECT_EQ(folder, "старое\\");
        EXPECT_EQ(ext, ".xyz");
        EXPECT_EQ(count, 2);
        EXPECT_EQ(vars, before);
    }
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    // The tree's rows: the root, then each item under its parent, indented.
    Queue(CCatalogTools::kScriptName, {"select 200 2", "ok"});
    EXPECT_EQ(dialog.DoModal(), 1);
    const DialogControl& tree = dialog.Control(CCatalogTools::kTree);
    ASSERT_EQ(tree.RowCount(), static_cast<int>(dialog.Items().size()));
    EXPECT_EQ(tree.Cell(0, 0), "КАТАЛОГ ИНСТРУМЕНТОВ");
    EXPECT_EQ(tree.Cell(ItemNamed(dialog, "Проходной"), 0), "      Проходной");
    EXPECT_EQ(tree.SelectedRow(), ItemNamed(dialog, "Резец"));
    const DialogControl& list = dialog.Control(CCatalogTools::kList);
    EXPECT_EQ(list.Columns().size(), 4u);
    EXPECT_EQ(list.Cell(2, 0), "SNMG 190612");
    EXPECT_EQ(list.SelectedRow(), 2);
    EXPECT_EQ(dialog.Control(CCatalogTools::kParamsCaption).Text(), "Параметры стандартного инструмента");
    EXPECT_EQ(name, "Резец");
    EXPECT_EQ(folder, "");
    EXPECT_EQ(ext, ".rdp");
    EXPECT_EQ(vars[0].dValue, 19);
    EXPECT_EQ(vars[1].dValue, 1.2);
}

TEST_F(CatalogToolsTest, AFolderCannotBeChosenAndTheButtonsRunTheirDialogs) {
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    // No current model: nothing is selected and "Выбрать" is refused until a
    // file is; a folder selected refuses it again.
    // Rows: the root, "README" (a name without an extension is a folder),
    // "Резец", "Токарные".
    Queue(CCatalogTools::kScriptName,
          {"ok", "select 100 3", "ok", "click 500", "select 100 0", "click 501", "select 100 2", "cancel"});
    QueueFolderName("Фасонные");
    FileDialogs::Instance().QueueOpen((dir / "lib" / "TOOLS" / "Резец.rdp").string());
    EXPECT_EQ(dialog.DoModal(), 2);
    EXPECT_EQ(ScriptedUser::Instance().TakeFailures(), 0);
    // "Выбрать" was refused twice: before any file, and on a folder.
    EXPECT_EQ(ScriptedUser::Instance().Output()[0], "dialog catalog, line 0: the control 1 is disabled");
    EXPECT_EQ(ScriptedUser::Instance().Output()[1], "dialog catalog, line 0: the control 1 is disabled");
    EXPECT_EQ(dialog.Control(CCatalogTools::kPicture).Text(), (dialog.RootPath() + "Резец.rdp"));
    EXPECT_TRUE(fs::is_directory(tools / "Токарные" / "Фасонные"));
    ASSERT_EQ(FileDialogs::Instance().Entries().size(), 1u);
    EXPECT_EQ(FileDialogs::Instance().Entries()[0].request.filter, "Деталь (*.rdp)|*.rdp|");
    EXPECT_EQ(Entries().back().text, "Файл уже существует");  // the root holds it already
    EXPECT_EQ(folder, "старое\\");
    EXPECT_EQ(ext, ".xyz");
}

TEST_F(CatalogToolsTest, APreviewIsDrawnOnTheSecondPaintAndThenOnEachSelection) {
    name = "Резец";
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    dialog.OnPaint();
    EXPECT_TRUE(dialog.Previews().empty());
    dialog.OnPaint();
    ASSERT_EQ(dialog.Previews().size(), 1u);
    EXPECT_NE(dialog.Previews()[0].find("\\TOOLS\\Резец.rdp"), std::string::npos);
    dialog.OnPaint();
    dialog.SelectTreeItem(ItemNamed(dialog, "Проходной"));
    ASSERT_EQ(dialog.Previews().size(), 2u);
    EXPECT_NE(dialog.Previews()[1].find("\\TOOLS\\Токарные\\Проходные\\Проходной.rdp"), std::string::npos);
}

TEST_F(CatalogToolsTest, ThePreviewIsAPictureOfTheModelsBodyOrElseOfItsContour) {
    std::ofstream(tools / "Битый.rdp") << "x";
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    for (int i = 0; i < 3; ++i) dialog.OnPaint();
    // The share of the picture not in the background's colour.
    auto drawn = [&dialog] {
        const RgbaImage& picture = dialog.Control(CCatalogTools::kPicture).Picture();
        EXPECT_EQ(picture.Width(), CCatalogTools::kPreviewWidth);
        EXPECT_EQ(picture.Height(), CCatalogTools::kPreviewHeight);
        int n = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x) n += picture.At(x, y) != picture.At(0, 0);
        return static_cast<double>(n) / std::max(1, picture.Width() * picture.Height());
    };
    dialog.SelectTreeItem(ItemNamed(dialog, "Резец"));  // a model with a body
    EXPECT_GT(drawn(), 0.1);
    const fs::path png = dir / "preview.png";
    dialog.Control(CCatalogTools::kPicture).Picture().WritePng(png.string());
    EXPECT_EQ(RgbaImage::ReadPng(png.string()).Width(), CCatalogTools::kPreviewWidth);
    EXPECT_NE(dialog.Dump().find("picture 320x240"), std::string::npos);
    if (const char* keep = std::getenv("ZARVENTO_KEEP_PREVIEW"))
        fs::copy_file(png, keep, fs::copy_options::overwrite_existing);

    dialog.SelectTreeItem(ItemNamed(dialog, "Проходной"));  // variables and the sketch "Contour" only
    const double lines = drawn();
    EXPECT_GT(lines, 0.002);
    EXPECT_LT(lines, 0.1);
    if (const char* keep = std::getenv("ZARVENTO_KEEP_PREVIEW"))
        dialog.Control(CCatalogTools::kPicture).Picture().WritePng(std::string(keep) + ".contour.png");

    for (const char* none : {"Битый", "Проходные"}) {  // a file no model, a folder
        dialog.SelectTreeItem(ItemNamed(dialog, none));
        EXPECT_EQ(dialog.Control(CCatalogTools::kPicture).Picture().Width(), 0) << none;
    }
    EXPECT_EQ(dialog.Previews().size(), 3u);
}

TEST_F(CatalogToolsTest, FoldersAreCreatedOneLevelUnderAFolderAndFilesCopiedAndDeleted) {
    CCatalogTools dialog("Tool", folder, name, ext, vars, count);
    dialog.OnInitDialog();
    dialog.SelectTreeItem(ItemNamed(dialog, "Токарные"));
    for (const char* bad : {"../Вне", "a/b", "a\\b", ".."}) QueueFolderName(bad);
    Queue(CNewDirCatalog::kScriptName, {"ok"});  // nothing typed
    for (int i = 0; i < 5; ++i) dialog.OnCreateFolder();
    EXPECT_EQ(CountEntries("Недопустимое имя папки"), 5);
    EXPECT_FALSE(fs::exists(tools / "Вне"));
    QueueFolderName("Отрезные");
    dialog.OnCreateFolder();
    EXPECT_TRUE(fs::is_directory(tools / "Токарные" / "Отрезные"));
    EXPECT_GE(ItemNamed(dialog, "Отрезные"), 0);
    dialog.OnCreateFolder();  // cancelled: no user steps
    // A file selected: the folder goes a level up.
    dialog.SelectTreeItem(ItemNamed(dialog, "Проходной"));
    dialog.OnCreateFolder();
    EXPECT_EQ(Entries().back().text, "Создайте папку уровнем выше");

    // Loading a file copies it into the selected file's folder, never over one.
    Model("body_tool.txt", dir / "Новый.rdp");
    dialog.OnLoadFile((dir / "Новый.rdp").string());
    EXPECT_TRUE(fs::exists(tools / "Токарные" / "Проходные" / "Новый.rdp"));
    EXPECT_FALSE(dialog.Enabled(CCatalogTools::kCreateFolder));
    dialog.SelectTreeItem(ItemNamed(dialog, "Проходной"));
    dialog.OnLoadFile((dir / "Новый.rdp").string());
    EXPECT_EQ(Entries().back().text, "Файл уже существует");

    // Deleting asks first.
    dialog.SelectTreeItem(ItemNamed(dialog, "Новый"));
    MessageLog::Instance().QueueAnswer(IDNO_);
    dialog.OnDeleteFile();
    EXPECT_EQ(Entries().back().text, "Вы действительно хотите удалить файл\nНовый.rdp?");
    EXPECT_TRUE(fs::exists(tools / "Токарные" / "Проходные" / "Новый.rdp"));
    MessageLog::Instance().QueueAnswer(IDYES_);
    dialog.OnDeleteFile();
    EXPECT_FALSE(fs::exists(tools / "Токарные" / "Проходные" / "Новый.rdp"));
    EXPECT_EQ(ItemNamed(dialog, "Новый"), -1);
    EXPECT_EQ(name, "Новый");
}

}  // namespace
}  // namespace zarvento
