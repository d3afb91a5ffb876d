// CCatalogTools: the catalog of tool, fixture or machine-part models beside
// the library, as the catalog dialog shows it: the folder tree, the chosen
// model's parameters (the rows of its size table, or its own variables), and
// the choice handed back to the caller's record. It runs as the host's modal
// dialog "catalog" (template 1201): the tree is list 100, one row per item in
// the tree's order, each indented by its level; scripts select a tree row,
// a list row, press the folder and file buttons, then OK or Cancel.
// CNewDirCatalog: the name of a new catalog folder (dialog "catalog-folder").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogs/param_variable.h"
#include "platform/dialogs/host_dialog.h"

namespace zarvento {

class HostDocument;
class HostSizeTable;

class CCatalogTools : public HostDialog {
public:
    static constexpr int kMaxVariables = 30;
    // Item data of a file item: its entry index plus this.
    static constexpr int kFileData = 1000;
    // Control ids of the dialog.
    static constexpr const char* kScriptName = "catalog";
    static constexpr int kTemplate = 1201;
    static constexpr int kTree = 100, kList = 200, kPicture = 300, kParamsCaption = 400, kCreateFolder = 500,
                         kLoadFile = 501, kDeleteFile = 502, kChoose = 1;

    struct TreeItem {
        std::string text;
        int data = 0;
        int parent = -1;  // -1 for the root item
    };
    struct ListColumn {
        std::string title;
        int width = 0;
    };

    CCatalogTools(std::string kind, std::string& folder, std::string& name, std::string& ext,
                  std::array<ParamVariable, kMaxVariables>& variables, std::int32_t& count);

    // Caption, disabled "Выбрать", the tree.
    void OnInitDialog() override;
    void FillTree();
    // The user selects a tree item (its index in Items()).
    void SelectTreeItem(int item);
    void ShowSelection();
    // The user selects a list row.
    void SelectListRow(int row);
    // "Выбрать": hands the choice back and ends the dialog with OK.
    void OnOK() override;
    void OnCommand(int id, int code) override;
    void OnListItemChanged(int listId, int row, bool onRow) override;
    // A paint message of the dialog.
    void OnPaint();

    // "Создать папку...": asks for the name (the dialog CNewDirCatalog) and creates the folder.
    void OnCreateFolder();
    // "Загрузить файл...": copies the file the file-open dialog gave (empty:
    // cancelled) into the selected folder, never over another.
    void OnLoadFile(const std::string& chosenFile);
    // The button: the file-open dialog, then the copy.
    void OnLoadFile();
    // "Удалить файл...": asks, then deletes the selected model.
    void OnDeleteFile();

    // --- the dialog's state ---
    const std::string& Caption() const { return caption_; }
    const std::string& RootPath() const { return sRootPath; }
    const std::vector<TreeItem>& Items() const { return items_; }
    int SelectedItem() const { return selected_; }
    bool Expanded() const { return rootExpanded_; }
    const std::vector<ListColumn>& Columns() const { return columns_; }
    const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
    int SelectedRow() const { return selectedRow_; }
    const std::string& ParamsCaption() const { return paramsCaption_; }
    bool Enabled(int control) const;
    // The size of the preview picture (the picture control's image).
    static constexpr int kPreviewWidth = 320, kPreviewHeight = 240;
    // The previews drawn, in order (model paths).
    const std::vector<std::string>& Previews() const { return previews_; }
    // The entry of a tree item (the relative folder of a file or folder).
    const std::vector<std::string>& EntryPaths() const { return aEntryPaths; }
    int Entry() const { return nEntry; }
    std::int32_t WorkingCount() const { return workingCount_; }
    // The designation of the size-table row chosen on OK (its name); empty
    // for a model without a table.
    const std::string& ChosenDesignation() const { return chosenDesignation_; }

private:
    int AddItem(const std::string& text, int parent, int data);
    void SetEnabled(int control, bool on);
    void DrawPreview();
    void FillParameters();
    // The phases of FillParameters: the working variables (the model's, or
    // the chosen tool's when it is the one on show), then the list's rows:
    // the size table's, the row that matches most of the variables
    // remembered, or the described variables where the model has no table.
    void ReadWorkingVariables(const HostDocument& model, bool current);
    void ListSizeTable(const HostSizeTable& table, bool current, std::int32_t& remembered);
    void ListVariables();
    // The tree's and the list's controls take the state on show.
    void ShowTree();
    void ShowList();
    bool SelectedIsFolder() const;

    std::string& pFolder;
    std::string& pName;
    std::string& pExt;
    std::array<ParamVariable, kMaxVariables>& pVariables;
    std::int32_t& pCount;
    std::array<std::string, kMaxVariables> aColumnNames{};
    std::array<std::string, kMaxVariables> aVarNames{};
    std::array<double, kMaxVariables> aVarValues{};
    std::array<std::string, kMaxVariables> aVarNotes{};
    std::string sRootCaption;
    std::string sKind;
    std::string sFolder;
    std::string sRootPath;
    std::vector<std::string> aEntryPaths;
    std::vector<std::int32_t> aEntryRows;
    std::int32_t nEntry = 0;
    std::int32_t nRow = 0;
    std::int32_t nColumns = 0;
    std::int32_t nRows = 0;
    std::int32_t nPaint = 0;
    std::string sPreviewFile;

    // The variable count of the model on show; the caller's count takes it
    // on OK only, so that a cancelled choice leaves the caller's record whole.
    std::int32_t workingCount_ = 0;
    std::string chosenDesignation_;
    std::string caption_;
    std::vector<TreeItem> items_;
    int selected_ = -1;
    bool rootExpanded_ = false;
    std::vector<ListColumn> columns_;
    std::vector<std::vector<std::string>> rows_;
    int selectedRow_ = -1;
    std::string paramsCaption_;
    std::vector<std::string> previews_;
};

class CNewDirCatalog : public HostDialog {
public:
    static constexpr const char* kScriptName = "catalog-folder";
    static constexpr int kTemplate = 1250;
    static constexpr int kName = 100;

    CNewDirCatalog();
    void OnInitDialog() override;
    void OnOK() override;

    // The folder name the user typed (edit field 100), taken on OK.
    std::string sName;
    // A name of one folder level: not empty, no "/" or "\", not "." or "..",
    // none of the characters no file name may hold.
    static bool IsValidName(const std::string& name);
};

}  // namespace zarvento
