// The cycle-parameter dialog: its controls, the list of parameters with their
// editors, evaluation, OK and the nested dialogs of a group.
#include "panels/dialog_param.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "nc/frame_text_format.h"
#include "nc/parameters.h"

namespace zarvento {

namespace {

constexpr const char* kSevenBlanks = "       ";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The number a text starts with, read as the C library reads it (0 for none).
template <typename T>
T LeadingNumber(const std::string& text) {
    std::string t = Trimmed(text);
    if (!t.empty() && t.front() == '+') t.erase(0, 1);
    T value{};
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    return r.ec == std::errc() ? value : T{};
}

bool IsMandatory(const CycleParameter& p) {
    return p.kind == 'O' || p.kind == 'K' || (!p.caption.empty() && p.caption.back() == '*');
}

}  // namespace

// --- the parameter list's notifications ---

bool CListParam::Notify(int controlId, int code) {
    if (kind_ == Owner::CostPage) return true;
    if (controlId < kFirstEditorId || controlId > kLastEditorId) return false;
    if (code == kEditGotFocus) {
        owner_->OnEditorFocus(controlId);
    } else if (code == kEditLostFocus) {
        owner_->OnEditorFocusLost(controlId);
    } else if (code == kComboSelectionChanged || code == kButtonClicked) {
        owner_->OnEditorCommand(controlId);
    }
    return true;
}

void CListParam::Scrolled(int firstRow) {
    if (kind_ == Owner::ParameterDialog) owner_->OnListScroll(firstRow);
}

// --- construction ---

CDialogParam::CDialogParam(CCycle_Auto& cycle, HostDialog* parent)
    : HostDialog(kScriptName, kTemplate),
      editedCycle(&cycle),
      parentWindow(parent),
      host_(this),
      list_(*this, CListParam::Owner::ParameterDialog) {
    cycle_.Copy(cycle);
    CreateControls(false);
}

CDialogParam::CDialogParam(CCycle_Auto& cycle, HostDialog& host, int idBase)
    : HostDialog(kScriptName, kTemplate),
      editedCycle(&cycle),
      parentWindow(&host),
      host_(&host),
      base_(idBase),
      list_(*this, CListParam::Owner::CostPage) {
    cycle_.Copy(cycle);
    CreateControls(true);
}

CDialogParam::~CDialogParam() = default;

void CDialogParam::CreateControls(bool page) {
    HostDialog& host = Host();
    if (Find(kList)) return;
    if (!page) {
        host.AddControl(Id(kCycleTitle), DialogControlKind::Static, "Наименование цикла");
        host.AddControl(Id(kComment), DialogControlKind::Edit).SetReadOnly(true);
        host.AddControl(Id(kNameTitle), DialogControlKind::Static, "Имя");
        host.AddControl(Id(kCodeTitle), DialogControlKind::Static, "Код цикла");
    } else {
        host.AddControl(Id(kNameTitle), DialogControlKind::Static, "Параметр");
    }
    host.AddControl(Id(kCommentTitle), DialogControlKind::Static, "Комментарий к параметру");
    host.AddControl(Id(kExpressionTitle), DialogControlKind::Static, "Выражение");
    host.AddControl(Id(kValueTitle), DialogControlKind::Static, "Значение");
    host.AddControl(Id(kList), DialogControlKind::ListView);
    if (!page) {
        host.AddControl(Id(kNotes), DialogControlKind::Edit).SetReadOnly(true);
        host.AddControl(1, DialogControlKind::Button, "ОК");
        host.AddControl(2, DialogControlKind::Button, "Отмена");
    }
}

// --- opening ---

void CDialogParam::OnInitDialog() {
    // The title: the code and the name for a cycle of a post-processor.
    const bool coded = !cycle_.GetGCode().empty() && !cycle_.postProcessorName.empty();
    SetTitle(coded ? cycle_.GetGCode() + " - " + cycle_.GetName() : cycle_.GetName());
    FillList();
    if (DialogControl* list = Find(kList)) list->SetFocused(true);
    if (editedCycle && editedCycle->ownerPanel)
        editedCycle->ownerPanel->OnCycleDialogCommand(*this, CycleDialogOwner::kDialogOpened);
}

void CDialogParam::FillList() {
    const bool group = IsGroup();
    for (int title : {kNameTitle, kCommentTitle, kExpressionTitle, kValueTitle})
        if (DialogControl* c = Find(title)) c->SetVisible(!group);
    for (int title : {kCodeTitle, kCycleTitle})
        if (DialogControl* c = Find(title)) c->SetVisible(group);

    DialogControl& list = Host().Control(Id(kList));
    list.DeleteAllColumns();
    const int h = (kListClientWidth - 70) / 2;
    if (group) {
        list.AddColumn("", 70);
        list.AddColumn("", 2 * h - 40);
    } else {
        list.AddColumn("", 70);
        list.AddColumn("", h + 10);
        list.AddColumn("", h - 100);
        list.AddColumn("", 70);
    }
    list.SetListStyle(true, true, group);

    const int count = std::clamp(cycle_.paramCount, 0, CCadreCycle::kMaxParameters);
    if (count == 0) {
        if (DialogControl* c = Find(kComment)) c->SetText(cycle_.comment);
        return;
    }
    bool autoMet = false, mandatoryMet = false;
    for (int i = 0; i < count; ++i) {
        const CycleParameter& p = cycle_.params[static_cast<std::size_t>(i)];
        autoMet = autoMet || p.kind == 'A';
        mandatoryMet = mandatoryMet || IsMandatory(p);
        if (p.name == kSeparator) {
            list.AddRow({});
            continue;
        }
        const bool starred = p.kind == 'O' || p.kind == 'K';
        const int row = list.AddRow({p.name, p.caption + (starred ? "*" : "")});
        if (group) {
            const std::int32_t on = p.valueText.empty() ? p.intValue : LeadingNumber<std::int32_t>(p.valueText);
            list.SetRowChecked(row, on != 0);
        }
    }

    editLeft = group ? h + 180 : h + 80;
    editWidth = h - 100;
    rowHeight = kRowHeight;
    if (!group) {
        for (int i = 0; i < count; ++i) {
            const CycleParameter& p = cycle_.params[static_cast<std::size_t>(i)];
            if (p.name == kSeparator) continue;
            if (!p.IsList()) {
                if (!Find(kFirstEdit + i)) Host().AddControl(Id(kFirstEdit + i), DialogControlKind::Edit);
                UpdateParamEdit(i);
                continue;
            }
            DialogControl* combo = Find(kFirstCombo + i);
            if (!combo) combo = &Host().AddControl(Id(kFirstCombo + i), DialogControlKind::ComboBox);
            combo->ClearItems();
            for (int k = 0; k < p.listCount && k < CycleParameter::kMaxListEntries; ++k)
                combo->AddItem(p.listTexts[static_cast<std::size_t>(k)]);
            combo->SetCurrentItem(p.ListIndex() < static_cast<int>(combo->Items().size()) ? p.ListIndex() : -1);
            combo->SetEnabled(p.kind != 'A');
        }
        ShowValues();
    }

    std::string note = kNoteStart;
    if (group) {
        note = kGroupNote;
    } else if (autoMet) {
        note += std::string("auto - ") + kAutoNote;
        if (mandatoryMet) note += std::string("; * - ") + kMandatoryNote;
    } else if (mandatoryMet) {
        note += std::string(" * - ") + kMandatoryNote;
    }
    cycle_.noteText = note;
    if (DialogControl* title = Find(kNameTitle)) title->SetText("Параметр");
    ShowNotes();
    if (DialogControl* c = Find(kComment)) c->SetText(cycle_.comment);
}

void CDialogParam::UpdateParamEdit(int index) {
    if (index < 0 || index >= CCadreCycle::kMaxParameters) return;
    DialogControl* edit = Find(kFirstEdit + index);
    if (!edit) return;
    const CycleParameter& p = cycle_.params[static_cast<std::size_t>(index)];
    edit->SetText(p.kind == 'A' ? kAutoText : p.valueText);
    edit->SetReadOnly(p.kind == 'R' || p.kind == 'A');
}

// --- values ---

std::string CDialogParam::ValueText(int i) {
    CycleParameter& p = cycle_.params[static_cast<std::size_t>(i)];
    if (p.IsList() || p.kind == 'A' || p.name == kSeparator) return {};
    // A pass that stopped at a failure left the later values unevaluated:
    // they are evaluated now, so that each shows what it really gives.
    if (!p.evaluated && !p.error) cycle_.FindParameter(p.name);
    if (p.error) {
        hasError = true;
        return kErrorValue;
    }
    if (p.kind == 'i') return std::to_string(p.intValue);
    return FormatAddressValue("", p.realValue, true);
}

void CDialogParam::ShowValues() {
    if (IsGroup()) return;
    DialogControl* list = Find(kList);
    if (!list) return;
    // Evaluating what a stopped pass left does not change what it reported.
    const std::string reported = FormulaErrorText;
    const int count = std::min(list->RowCount(), std::clamp(cycle_.paramCount, 0, CCadreCycle::kMaxParameters));
    for (int i = 0; i < count; ++i) list->SetCell(i, 3, ValueText(i));
    FormulaErrorText = reported;
}

void CDialogParam::ShowNotes() {
    DialogControl* notes = Find(kNotes);
    if (!notes) return;
    notes->SetText(IsGroup() ? cycle_.noteText : cycle_.noteText + kSevenBlanks + FormulaErrorText);
}

void CDialogParam::DoDataExchange() {
    const int count = std::clamp(cycle_.paramCount, 0, CCadreCycle::kMaxParameters);
    DialogControl* list = Find(kList);
    for (int i = 0; i < count; ++i) {
        CycleParameter& p = cycle_.params[static_cast<std::size_t>(i)];
        if (p.IsList()) {
            const DialogControl* combo = Find(kFirstCombo + i);
            if (!combo) continue;
            p.intValue = std::max(combo->CurrentItem(), 0);
            p.valueText = std::to_string(p.intValue);
        } else if (IsGroup()) {
            if (!list || i >= list->RowCount()) continue;
            p.intValue = list->RowChecked(i) ? 1 : 0;
            p.valueText = std::to_string(p.intValue);
        } else if (p.kind != 'A') {
            const DialogControl* edit = Find(kFirstEdit + i);
            if (!edit) continue;
            const std::string trimmed = Trimmed(edit->Text());
            const std::string text = trimmed.empty() ? edit->Text() : trimmed;
            // A changed text is evaluated afresh when next asked; a formula
            // gives no value until it is.
            if (text != p.valueText) p.evaluated = 0;
            p.valueText = text;
            if (!PARAMETERS::IsNumber(p.valueText)) continue;
            if (p.kind == 'i') p.intValue = LeadingNumber<std::int32_t>(p.valueText);
            if (p.kind == 'd') p.realValue = LeadingNumber<double>(p.valueText);
        }
    }
}

void CDialogParam::Recalculate() {
    if (IsGroup()) return;
    DoDataExchange();
    FormulaErrorText.clear();
    cycle_.CalcParameters(true);
    hasError = false;
    ShowValues();
    ShowNotes();
}

// --- the user's actions ---

void CDialogParam::OnOK() {
    if (pending) {
        // Enter inside an editor: its value is taken, the dialog stays.
        Recalculate();
        pending = 0;
        return;
    }
    if (IsGroup()) {
        DoDataExchange();
    } else {
        Recalculate();
        if (hasError) return;
    }
    EndDialog(1);
    if (editedCycle) editedCycle->Copy(cycle_);
}

void CDialogParam::OnCommand(int id, int code) { list_.Notify(id - base_, code); }

void CDialogParam::OnEditorFocus(int id) {
    pending = 1;
    pendingControl = id;
}

void CDialogParam::OnEditorFocusLost(int) {
    pending = 0;
    Recalculate();
}

void CDialogParam::OnEditorCommand(int id) {
    if (editedCycle && editedCycle->ownerPanel) editedCycle->ownerPanel->OnCycleDialogCommand(*this, id);
}

void CDialogParam::OnListScroll(int firstRow) {
    // The editors are children of the list: each moves with its row.
    if (!IsGroup()) firstRow_ = std::max(firstRow, 0);
}

void CDialogParam::OnListDoubleClick(int listId, int row) {
    if (listId != Id(kList) || !IsGroup()) return;
    DialogControl* list = Find(kList);
    if (!list || row < 0 || row >= list->RowCount() || row >= cycle_.paramCount || !list->RowChecked(row)) return;
    const CycleParameter& p = cycle_.params[static_cast<std::size_t>(row)];
    CCycle_Auto* member = nullptr;
    for (const auto& m : cycle_.members)
        if (m && (m->GetGCode() == p.name || m->GetName() == p.name)) member = m.get();
    if (!member && static_cast<std::size_t>(row) < cycle_.members.size())
        member = cycle_.members[static_cast<std::size_t>(row)].get();
    if (!member) return;
    CDialogParam nested(*member, this);
    nested.DoModal();
}

int RunCycleDialog(CCycle_Auto& cycle) {
    CDialogParam dialog(cycle);
    return dialog.DoModal();
}

}  // namespace zarvento
