// CCatalogTools: scanning the catalog folders, the chosen model's
// parameters, and the folder and file commands; CNewDirCatalog.
#include "catalogs/catalog_tools.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/core/stored_path.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/host_size_table.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/host_sketch.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"

namespace zarvento {

namespace {

namespace fs = std::filesystem;

struct KindTexts {
    const char* kind;
    const char* folder;
    const char* root;
    const char* caption;
    const char* withTable;
    const char* withoutTable;
};

constexpr KindTexts kKinds[] = {
    {"Tool", "TOOLS", "КАТАЛОГ ИНСТРУМЕНТОВ", "Каталог инструментов", "Параметры стандартного инструмента",
     "Параметры нестандартного инструмента"},
    {"Device", "DEVICES", "КАТАЛОГ ПРИСПОСОБЛЕНИЙ", "Каталог приспособлений", "Параметры стандартного приспособления",
     "Параметры нестандартного приспособления"},
    {"Machine", "MACHINES", "КАТАЛОГ ДЕТАЛЕЙ СТАНКОВ", "Каталог деталей станков", "Параметры стандартной детали",
     "Параметры нестандартной детали"},
};

const KindTexts* TextsOf(const std::string& kind) {
    for (const KindTexts& k : kKinds)
        if (kind == k.kind) return &k;
    return nullptr;
}

constexpr double kTolerance = 1e-6;

std::string Lowered(const std::string& s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The names in a folder, as the host's file system lists them: sorted
// case-insensitively. A folder that cannot be read lists nothing.
std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lowered(a), lb = Lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

bool DotAtExtension(const std::string& name) { return name.size() >= 4 && name[name.size() - 4] == '.'; }

std::string WithoutExtension(const std::string& name) { return name.substr(0, name.size() - 4); }

// The closure arcs of a projected outline, drawn by nobody.
constexpr double kClosureArcRadius = 10000.0;
// Chords per full turn of an arc in the contour drawing.
constexpr int kArcChords = 96;

// The model's sketch "Contour" (its 2D contour when it has no body) as lines
// in the model's XZ plane, where the view from below sees it (x = X, y = Z);
// none without the sketch.
std::vector<SceneLines> ContourLines(const HostDocument& model) {
    const std::shared_ptr<HostSketch> sketch = model.FindSketch("Contour");
    if (!sketch) return {};
    SceneLines lines;
    lines.name = "Contour";
    lines.width = 2;
    for (const Object2D& o : sketch->Objects().Objects()) {
        if (o.type == kObj2DLine) {
            lines.runs.push_back({{o.line.x1, 0, o.line.y1}, {o.line.x2, 0, o.line.y2}});
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& a = o.arc;
            if (std::fabs(a.rad - kClosureArcRadius) <= 1e-6 || !(a.rad > 0)) continue;
            const double a1 = std::atan2(a.y1 - a.yc, a.x1 - a.xc);
            double sweep = std::atan2(a.y2 - a.yc, a.x2 - a.xc) - a1;
            const double turn = 2 * PI;
            if (a.direction >= 0) {
                while (sweep <= 0) sweep += turn;
            } else {
                while (sweep >= 0) sweep -= turn;
            }
            const int chords = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / turn * kArcChords)));
            std::vector<ScenePoint> run;
            for (int i = 0; i <= chords; ++i) {
                const double t = a1 + sweep * i / chords;
                run.push_back({a.xc + a.rad * std::cos(t), 0, a.yc + a.rad * std::sin(t)});
            }
            lines.runs.push_back(std::move(run));
        }
    }
    if (lines.runs.empty()) return {};
    return {std::move(lines)};
}

// The model's body as the 3D view draws it, fitted into the preview, or its
// contour drawing when it has no body; an empty picture for a model with
// neither or one that cannot be opened.
RgbaImage PreviewPicture(const std::string& file) {
    HostDocuments& docs = ConnectHostApplication().Documents();
    HostDocumentPtr model = docs.FindByPath(file);
    const bool wasOpen = model != nullptr;
    try {
        if (!model) model = docs.Open(file, false);
    } catch (const std::exception&) {
        return {};
    }
    if (!model) return {};
    RgbaImage picture;
    try {
        Scene scene = CollectScene(*model);
        if (scene.TriangleCount() == 0) scene.lines = ContourLines(*model);
        if (scene.TriangleCount() > 0 || !scene.lines.empty()) {
            ScenePictureOptions options;
            options.width = CCatalogTools::kPreviewWidth;
            options.height = CCatalogTools::kPreviewHeight;
            // From below, a little aside: the XZ plane a tool lies in.
            options.eye = {-0.35, -1.0, 0.45};
            options.right = {1, 0, 0};
            picture = ScenePicture::Render(scene, options);
        }
    } catch (const std::exception&) {
        picture = {};
    }
    if (!wasOpen) docs.Close(model);
    return picture;
}

std::string Number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

}  // namespace

CCatalogTools::CCatalogTools(std::string kind, std::string& folder, std::string& name, std::string& ext,
                             std::array<ParamVariable, kMaxVariables>& variables, std::int32_t& count)
    : HostDialog(kScriptName, kTemplate),
      pFolder(folder),
      pName(name),
      pExt(ext),
      pVariables(variables),
      pCount(count),
      sKind(std::move(kind)) {
    if (const KindTexts* texts = TextsOf(sKind)) sFolder = texts->folder;
    workingCount_ = std::clamp(pCount, 0, kMaxVariables);
    AddControl(kTree, DialogControlKind::ListView).AddColumn("", 193);
    AddControl(kPicture, DialogControlKind::Static);
    AddControl(kParamsCaption, DialogControlKind::Static, "Параметры");
    AddControl(kList, DialogControlKind::ListView).SetListStyle(true, true, false);
    AddControl(kCreateFolder, DialogControlKind::Button, "Создать папку...");
    AddControl(kLoadFile, DialogControlKind::Button, "Загрузить файл...");
    AddControl(kDeleteFile, DialogControlKind::Button, "Удалить файл...");
    AddControl(kChoose, DialogControlKind::Button, "Выбрать");
    AddControl(2, DialogControlKind::Button, "Отмена");
}

void CCatalogTools::OnInitDialog() {
    const KindTexts* texts = TextsOf(sKind);
    caption_ = texts ? texts->caption : "";
    SetTitle(caption_);
    SetEnabled(kChoose, false);
    FillTree();
}

bool CCatalogTools::Enabled(int control) const {
    const DialogControl* c = FindControl(control);
    return c && c->Enabled();
}

void CCatalogTools::SetEnabled(int control, bool on) { Control(control).SetEnabled(on); }

int CCatalogTools::AddItem(const std::string& text, int parent, int data) {
    items_.push_back({text, data, parent});
    return static_cast<int>(items_.size()) - 1;
}

void CCatalogTools::FillTree() {
    const KindTexts* texts = TextsOf(sKind);
    sRootCaption = texts ? texts->root : "";
    aEntryPaths.clear();
    aEntryRows.clear();
    const auto library = ModuleDirectory();
    sRootPath = (library ? library->string() : std::string()) + "\\" + sFolder + "\\";
    const fs::path root = StoredPathToPath(sRootPath);

    items_.clear();
    selected_ = -1;
    auto addEntry = [&](const std::string& path) {
        aEntryPaths.push_back(path);
        aEntryRows.push_back(0);
        return static_cast<int>(aEntryPaths.size()) - 1;
    };
    const int rootItem = AddItem(sRootCaption, -1, 0);
    addEntry("");
    std::vector<int> files;
    auto addFile = [&](const std::string& name, int parent, const std::string& entry) {
        // A file's entry is the folder that holds it.
        files.push_back(AddItem(WithoutExtension(name), parent, static_cast<int>(aEntryPaths.size()) + kFileData));
        addEntry(entry);
    };
    // A kind without a catalog folder would show the library's own folder.
    const std::vector<std::string> names = sFolder.empty() ? std::vector<std::string>{} : NamesIn(root);
    for (const std::string& f : names) {
        if (f.front() == '.') continue;
        if (f.size() < 5 || !DotAtExtension(f)) {
            const int folderItem = AddItem(f, rootItem, 0);
            const std::string r1 = f + "\\";
            for (const std::string& g : NamesIn(AppendStoredPath(root, r1))) {
                if (g.front() == '.') continue;
                if (g.size() > 4 && DotAtExtension(g)) {
                    // Models directly in a first-level folder are part
                    // documents as everywhere else in the catalog: what the
                    // dialog opens and what it copies in is "<name>.rdp".
                    if (g.ends_with(".rdp")) addFile(g, folderItem, r1);
                    continue;
                }
                const int subItem = AddItem(g, folderItem, 0);
                const std::string r2 = r1 + g + "\\";
                for (const std::string& h : NamesIn(AppendStoredPath(root, r2)))
                    if (h.front() != '.' && h.size() >= 5 && h.ends_with(".rdp")) addFile(h, subItem, r2);
                items_[static_cast<std::size_t>(subItem)].data = addEntry(r2);
            }
            items_[static_cast<std::size_t>(folderItem)].data = addEntry(r1);
        } else if (f.compare(f.size() - 3, 3, "rdp") == 0) {
            addFile(f, rootItem, "");
        }
    }
    int remembered = -1;
    for (int item : files)
        if (items_[static_cast<std::size_t>(item)].text == pName) remembered = item;
    rootExpanded_ = true;
    ShowTree();
    if (remembered >= 0) SelectTreeItem(remembered);
}

void CCatalogTools::SelectTreeItem(int item) {
    if (item < 0 || item >= static_cast<int>(items_.size())) return;
    selected_ = item;
    Control(kTree).SetSelection(item);
    const int data = items_[static_cast<std::size_t>(item)].data;
    nEntry = data >= kFileData ? data - kFileData : data;
    ShowSelection();
    SetEnabled(kCreateFolder, true);
}

bool CCatalogTools::SelectedIsFolder() const {
    // Told by the item's own data: a file named like the start of its
    // folder's path is still a file.
    return selected_ < 0 || items_[static_cast<std::size_t>(selected_)].data < kFileData;
}

void CCatalogTools::ShowTree() {
    DialogControl& tree = Control(kTree);
    tree.DeleteAllRows();
    for (const TreeItem& item : items_) {
        int level = 0;
        for (int p = item.parent; p >= 0; p = items_[static_cast<std::size_t>(p)].parent) ++level;
        tree.AddRow({std::string(static_cast<std::size_t>(2 * level), ' ') + item.text});
    }
}

void CCatalogTools::ShowList() {
    DialogControl& list = Control(kList);
    list.DeleteAllColumns();
    for (const ListColumn& c : columns_) list.AddColumn(c.title, c.width);
    for (const auto& row : rows_) list.AddRow(row);
    if (selectedRow_ >= 0) list.SetSelection(selectedRow_);
    Control(kParamsCaption).SetText(paramsCaption_.empty() ? "Параметры" : paramsCaption_);
}

void CCatalogTools::ShowSelection() {
    FillParameters();
    ShowList();
}

void CCatalogTools::FillParameters() {
    rows_.clear();
    columns_.clear();
    selectedRow_ = -1;
    nColumns = 0;
    nRows = 0;
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size())) return;
    const auto library = ModuleDirectory();
    sRootPath = (library ? library->string() : std::string()) + "\\" + sFolder + "\\";
    const std::string text = selected_ >= 0 ? items_[static_cast<std::size_t>(selected_)].text : std::string();
    if (text.empty() || SelectedIsFolder()) {
        for (int c : {kList, kPicture, kParamsCaption, kChoose, kDeleteFile}) SetEnabled(c, false);
        Control(kPicture).SetText({});
        Control(kPicture).SetPicture({});
        return;
    }
    sPreviewFile = sRootPath + aEntryPaths[static_cast<std::size_t>(nEntry)] + text + ".rdp";
    // The picture control names the model on show; its image is drawn once
    // the window has painted itself (OnPaint).
    Control(kPicture).SetText(sPreviewFile);
    Control(kPicture).SetPicture({});
    for (int c : {kList, kPicture, kParamsCaption, kChoose, kDeleteFile}) SetEnabled(c, true);
    if (nPaint > 2) DrawPreview();

    HostDocuments& docs = ConnectHostApplication().Documents();
    const std::string file = StoredPathToPath(sPreviewFile).string();
    HostDocumentPtr model = docs.FindByPath(file);
    const bool wasOpen = model != nullptr;
    try {
        if (!model) model = docs.Open(file, false);
    } catch (const std::exception&) {
        // A model that cannot be opened leaves the list empty; the file
        // stays selectable.
        return;
    }
    if (!model) return;
    auto close = [&] {
        if (!wasOpen) docs.Close(model);
    };
    if (model->Type() != DocumentType::Part && model->Type() != DocumentType::Assembly) {
        close();
        return;
    }
    const bool current = text == pName;
    ReadWorkingVariables(*model, current);
    const std::shared_ptr<HostSizeTable> table = FindSizeTable(*model);
    nColumns = table ? std::min(table->ColumnCount(), kMaxVariables) : 0;
    nRows = table ? table->RowCount() : 0;
    const KindTexts* texts = TextsOf(sKind);
    std::int32_t& remembered = aEntryRows[static_cast<std::size_t>(nEntry)];
    if (nColumns >= 1 && nRows >= 1) {
        paramsCaption_ = texts ? texts->withTable : "";
        ListSizeTable(*table, current, remembered);
    } else {
        SetEnabled(kList, false);
        paramsCaption_ = texts ? texts->withoutTable : "";
        ListVariables();
    }
    close();
    if (remembered >= 0 && remembered < static_cast<int>(rows_.size())) SelectListRow(remembered);
}

void CCatalogTools::ReadWorkingVariables(const HostDocument& model, bool current) {
    if (!current) {
        const auto variables = model.Variables();
        workingCount_ = std::min(static_cast<std::int32_t>(variables.size()), kMaxVariables);
        for (int i = 0; i < workingCount_; ++i) {
            const auto& v = variables[static_cast<std::size_t>(i)];
            aVarNames[static_cast<std::size_t>(i)] = v->Name();
            aVarValues[static_cast<std::size_t>(i)] = v->Value();
            aVarNotes[static_cast<std::size_t>(i)] = v->Comment();
        }
    } else {
        workingCount_ = std::clamp(pCount, 0, kMaxVariables);
        for (int i = 0; i < workingCount_; ++i) {
            const ParamVariable& v = pVariables[static_cast<std::size_t>(i)];
            aVarNames[static_cast<std::size_t>(i)] = v.sName;
            aVarValues[static_cast<std::size_t>(i)] = v.dValue;
            aVarNotes[static_cast<std::size_t>(i)] = v.sNote;
        }
    }
}

void CCatalogTools::ListSizeTable(const HostSizeTable& table, bool current, std::int32_t& remembered) {
    columns_.push_back({"Обозначение", 80});
    for (int j = 0; j < nColumns; ++j) {
        aColumnNames[static_cast<std::size_t>(j)] = table.Columns()[static_cast<std::size_t>(j)];
        columns_.push_back({aColumnNames[static_cast<std::size_t>(j)], 50});
    }
    int best = 0;
    for (int r = 0; r < nRows; ++r) {
        const HostSizeTable::Row& row = table.Rows()[static_cast<std::size_t>(r)];
        std::vector<std::string> cells{row.name};
        int score = 0;
        for (int j = 0; j < nColumns; ++j) {
            const double cell = row.values[static_cast<std::size_t>(j)];
            cells.push_back(Number(cell));
            for (int i = 0; i < workingCount_; ++i)
                if (std::fabs(aVarValues[static_cast<std::size_t>(i)] - cell) < kTolerance) {
                    ++score;
                    break;
                }
        }
        if (current && score > best) {
            best = score;
            remembered = r;
        }
        rows_.push_back(std::move(cells));
    }
}

void CCatalogTools::ListVariables() {
    columns_ = {{"Параметр", 270}, {"Имя", 70}, {"Значение", 70}};
    nColumns = 3;
    for (int i = 0; i < workingCount_; ++i) {
        const std::string& note = aVarNotes[static_cast<std::size_t>(i)];
        if (note.empty() || note == "isSimple" || note == "isRotated" || note.back() == '%') continue;
        rows_.push_back(
            {note, aVarNames[static_cast<std::size_t>(i)], Number(aVarValues[static_cast<std::size_t>(i)])});
    }
}

void CCatalogTools::SelectListRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    selectedRow_ = row;
    if (DialogControl& list = Control(kList); row < list.RowCount()) list.SetSelection(row);
    if (row != nRow) {
        nRow = row;
        if (nEntry >= 0 && nEntry < static_cast<int>(aEntryRows.size()))
            aEntryRows[static_cast<std::size_t>(nEntry)] = row;
    }
}

void CCatalogTools::OnOK() {
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size()) || !Enabled(kChoose)) return;
    pFolder = aEntryPaths[static_cast<std::size_t>(nEntry)];
    pName = selected_ >= 0 ? items_[static_cast<std::size_t>(selected_)].text : std::string();
    pExt = ".rdp";
    pCount = workingCount_;
    for (int i = 0; i < workingCount_; ++i) {
        pVariables[static_cast<std::size_t>(i)].sName = aVarNames[static_cast<std::size_t>(i)];
        pVariables[static_cast<std::size_t>(i)].dValue = aVarValues[static_cast<std::size_t>(i)];
    }
    const bool table = !columns_.empty() && columns_.front().title == "Обозначение";
    chosenDesignation_.clear();
    if (table && nRows >= 1 && nRow >= 0 && nRow < static_cast<int>(rows_.size()) && nColumns >= 1) {
        const auto& cells = rows_[static_cast<std::size_t>(nRow)];
        if (!cells.empty()) chosenDesignation_ = cells.front();
        for (int j = 1; j <= nColumns && j < static_cast<int>(cells.size()); ++j) {
            const double value = std::strtod(cells[static_cast<std::size_t>(j)].c_str(), nullptr);
            for (int k = 0; k < workingCount_; ++k)
                if (aVarNames[static_cast<std::size_t>(k)] == aColumnNames[static_cast<std::size_t>(j - 1)]) {
                    pVariables[static_cast<std::size_t>(k)].dValue = value;
                    break;
                }
        }
    }
    EndDialog(1);
}

void CCatalogTools::OnCommand(int id, int code) {
    if (code != kButtonClicked) return;
    if (id == kCreateFolder) OnCreateFolder();
    if (id == kLoadFile) OnLoadFile();
    if (id == kDeleteFile) OnDeleteFile();
}

void CCatalogTools::OnListItemChanged(int listId, int row, bool onRow) {
    if (listId == kTree && onRow) SelectTreeItem(row);
    if (listId == kList) {
        const int mark = Control(kList).SelectionMark();
        if (mark >= 0 && mark != nRow) SelectListRow(mark);
    }
}

void CCatalogTools::DrawPreview() {
    previews_.push_back(sPreviewFile);
    Control(kPicture).SetPicture(PreviewPicture(StoredPathToPath(sPreviewFile).string()));
}

void CCatalogTools::OnPaint() {
    if (nPaint < 3) ++nPaint;
    if (nPaint == 2 && sPreviewFile.size() > 5) DrawPreview();
}

void CCatalogTools::OnCreateFolder() {
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size())) return;
    if (!SelectedIsFolder()) {
        ShowMessageBox("Создайте папку уровнем выше");
        return;
    }
    CNewDirCatalog dialog;
    if (dialog.DoModal() != 1) return;
    if (!CNewDirCatalog::IsValidName(dialog.sName)) {
        // A name of another level would put the folder outside the catalog
        // or deeper than the tree shows.
        ShowMessageBox("Недопустимое имя папки: " + dialog.sName);
        return;
    }
    std::error_code ec;
    fs::create_directory(StoredPathToPath(sRootPath + aEntryPaths[static_cast<std::size_t>(nEntry)] + dialog.sName),
                         ec);
    FillTree();
    ShowSelection();
}

void CCatalogTools::OnLoadFile(const std::string& chosenFile) {
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size())) return;
    if (!chosenFile.empty()) {
        const fs::path source = StoredPathToPath(chosenFile);
        const fs::path target = AppendStoredPath(
            StoredPathToPath(sRootPath + aEntryPaths[static_cast<std::size_t>(nEntry)]), source.filename().string());
        std::error_code ec;
        // Copied as a file of its own, with the umask's mode.
        const bool copied = !fs::exists(fs::symlink_status(target, ec)) && CopyFileAtomic(source, target).ok;
        if (copied) {
            FillTree();
            ShowSelection();
        } else {
            ShowHostMessage("Файл уже существует");
        }
    }
    SetEnabled(kCreateFolder, false);
    SetEnabled(kDeleteFile, false);
}

void CCatalogTools::OnLoadFile() {
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size())) return;
    FileDialogRequest request;
    request.defaultExtension = "rdp";
    request.filter = "Деталь (*.rdp)|*.rdp|";
    request.hideReadOnly = true;
    request.overwritePrompt = true;
    OnLoadFile(FileDialogs::Instance().Show(request).value_or(std::string()));
}

void CCatalogTools::OnDeleteFile() {
    if (nEntry < 0 || nEntry >= static_cast<int>(aEntryPaths.size()) || selected_ < 0 || SelectedIsFolder()) return;
    const std::string text = items_[static_cast<std::size_t>(selected_)].text;
    pName = text;
    const std::string file = sRootPath + aEntryPaths[static_cast<std::size_t>(nEntry)] + text + ".rdp";
    if (!AskQuestion("Вы действительно хотите удалить файл\n" + text + ".rdp?", "Да", "Отмена")) return;
    SetEnabled(kCreateFolder, false);
    SetEnabled(kDeleteFile, false);
    std::error_code ec;
    fs::remove(StoredPathToPath(file), ec);
    FillTree();
    ShowSelection();
}

CNewDirCatalog::CNewDirCatalog() : HostDialog(kScriptName, kTemplate) {
    AddControl(kName, DialogControlKind::Edit);
    AddControl(1, DialogControlKind::Button, "OK");
    AddControl(2, DialogControlKind::Button, "Отмена");
}

void CNewDirCatalog::OnInitDialog() {
    SetTitle("Новая папка");
    Control(kName).SetText(sName);
}

void CNewDirCatalog::OnOK() {
    sName = Control(kName).Text();
    EndDialog(1);
}

bool CNewDirCatalog::IsValidName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

}  // namespace zarvento
