// The NC program panel.
#include "panels/panel_program.h"
#include "panels/control_events.h"

#include <filesystem>

#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "operations/checked_program.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/processes/help_calls.h"
#include "post/post_processor.h"
#include "post/post_processor_links.h"
#include "post/program_plan_links.h"

namespace zarvento {

namespace {

// What the panel's copy takes over and gives back: everything but the
// frames the program made itself, which stay the program's.
void CopySettings(const CPROGRAM& from, CPROGRAM& to) {
    to.CopyFrameList(from);
    to.KoffVelosity = from.KoffVelosity;
    to.Transparency = from.Transparency;
    to.Accuracy = from.Accuracy;
    to.isToolHide = from.isToolHide;
    to.isPathHide = from.isPathHide;
    to.indCODE = from.indCODE;
    to.nINCH = from.nINCH;
}

Variant LinesValue(const std::vector<std::string>& lines) {
    std::vector<Variant> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) items.push_back(Variant::BStr(line));
    return Variant::Array(std::move(items));
}

// Characters, not bytes: the widths of the host are in characters.
int CharacterCount(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void Label(PropertyControl& control, const std::string& caption, const std::string& hint) {
    control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
}

}  // namespace

CPanelPROGRAM::CPanelPROGRAM(CPROGRAM& program) : CBasePanel3D(kScriptName), sourceProgram(program) {
    CopySettings(program, copy_);
}

CPanelPROGRAM::~CPanelPROGRAM() = default;

int ShowPanelPROGRAM(CPROGRAM& program) {
    auto panel = std::make_unique<CPanelPROGRAM>(program);
    return panel->ShowModal();
}

const CPostProcessor* CPanelPROGRAM::PlanPostProcessor() {
    CSPID* spid = ExistingSPID();
    return spid ? spid->GetPostProcessor() : nullptr;
}

void CPanelPROGRAM::OnInitPanel() {
    const bool newLayout = HostMajorVersion() >= 17;
    propertyManager->SetCaption(CPROGRAM::kCaption);
    propertyManager->Setup(3);
    propertyManager->DefaultTab().SetVisible(false);
    PropertyTab& tab = propertyManager->AddTab(kTabCaption);
    tab.SetImage(HostImage::Library(1009));

    unitsList = &tab.AddControl(PropertyControlKind::DropDownList);
    Label(*unitsList, "Ед. измерения", "Единицы измерения");
    for (const char* units : {"мм", "дюймы", "см"}) unitsList->AddItem(units);
    unitsList->SetWidth(7);
    unitsList->Setup(1);
    unitsList->SetCurrentItem(copy_.nINCH >= 0 && copy_.nINCH < 3 ? copy_.nINCH : -1);

    const CPostProcessor* post = PlanPostProcessor();
    const std::string ncCaption =
        std::string("Программа в кодах системы ЧПУ ") + (post ? post->GetName() : kNoPostProcessor);

    auto addSaveButton = [&tab]() {
        PropertyControl& button = tab.AddControl(PropertyControlKind::Button);
        Label(button, kSaveCaption, kSaveCaption);
        return &button;
    };
    if (newLayout) {
        kindList = &tab.AddControl(PropertyControlKind::DropDownList);
        Label(*kindList, "Кодировка", "Кодировка программы ЧПУ");
        kindList->AddItem(kIntermediateKind);
        kindList->AddItem(ncCaption);
        kindList->Setup(1);
        kindList->SetValue(Variant::BStr(ncCaption));
        saveIntermediateButton = addSaveButton();
        saveNCButton = addSaveButton();
    }

    intermediateList = &tab.AddTextList();
    Label(*intermediateList, "Программа в кодах промежуточного языка",
          "Управляющая программа в кодах промежуточного языка");
    intermediateList->SetVisible(true);
    if (!newLayout) saveIntermediateButton = addSaveButton();

    ModalState.builtInTextWritten = 0;
    ModalState.errorTexts.clear();
    std::vector<std::string> lines;
    copy_.WriteProgramText(lines);

    ncList = &tab.AddTextList();
    Label(*ncList, ncCaption, ncCaption);
    ncList->SetVisible(true);

    if (post && !post->GetCncCodes().empty()) {
        codingList = &tab.AddControl(PropertyControlKind::DropDownList);
        int longest = 0;
        for (const std::string& code : post->GetCncCodes()) {
            codingList->AddItem(code);
            longest = std::max(longest, CharacterCount(code));
        }
        codingList->SetWidth(longest + 2);
        const int count = static_cast<int>(post->GetCncCodes().size());
        codingList->SetCurrentItem(copy_.indCODE >= 0 && copy_.indCODE < count ? copy_.indCODE : -1);
    }
    if (!newLayout) saveNCButton = addSaveButton();

    messagesList = &tab.AddTextList();
    Label(*messagesList, "Сообщения постпроцессора", "Сообщения постпроцессора");
    messagesList->SetVisible(true);

    ProduceNCCode(lines, true);
    intermediateList->SetValue(LinesValue(lines));
    lines.clear();

    if (CPLAN* plan = ExistingPLAN()) plan->RedrawPaths();
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    pickingProcess->SetName(kTabCaption);

    if (newLayout) {
        intermediateList->SetCaption("Промежуточн. код");
        ncList->SetCaption(post ? post->GetName() : kNoPostProcessor);
        intermediateList->SetVisible(false);
        saveIntermediateButton->SetVisible(false);
        propertyManager->SetCaption("Управляющая программа");
        if (codingList) codingList->SetCaption("Внутренняя кодировка");
    }
    SetHelpTopic(kHelpTopic);
}

void CPanelPROGRAM::RunScript() {
    const bool ran = copy_.RunPostProcessor(&ncList->Lines(), &messagesList->Lines());
    if (ran) copy_.ReadPathFile();
    // A run that left no program leaves the list as it was: that is no
    // program of these frames.
    scriptFault_.clear();
    if (!ran || !copy_.ScriptError().empty())
        scriptFault_ = copy_.ScriptError().empty() ? std::string(CPROGRAM::kScriptFailed) : copy_.ScriptError();
}

void CPanelPROGRAM::ProduceNCCode(std::vector<std::string>& lines, bool initial) {
    scripted_ = CPROGRAM::UsesScript();
    scriptFault_.clear();
    if (!scripted_) {
        ncList->SetValue(LinesValue(lines));
        if (ModalState.errorTexts.empty()) messagesList->SetValue(LinesValue({" OK!"}));
    } else {
        // A units change has written the input file already.
        if (initial) copy_.SaveInputFile(lines);
        RunScript();
    }
    if (!initial || ModalState.errorTexts.empty()) return;
    ListControl& messages = messagesList->Lines();
    if (!messages.Lines().empty() && messages.Lines().front().find("OK!") != std::string::npos) messages.Clear();
    for (const std::string& text : ModalState.errorTexts) messages.AddLine(text);
}

bool CPanelPROGRAM::OnChangeControlValue(PropertyControl& control) {
    using Self = CPanelPROGRAM;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::unitsList, [](Self& p, PropertyControl&) { p.OnUnitsChosen(); }},
        {&Self::kindList,
         [](Self& p, PropertyControl&) {
             const bool intermediate = p.kindList->Value().ToBStr() == kIntermediateKind;
             p.intermediateList->SetVisible(intermediate);
             p.saveIntermediateButton->SetVisible(intermediate);
             p.ncList->SetVisible(!intermediate);
             p.saveNCButton->SetVisible(!intermediate);
             if (p.codingList) p.codingList->SetVisible(!intermediate);
         }},
        {&Self::codingList,
         [](Self& p, PropertyControl&) {
             const int coding = p.codingList->CurrentItem();
             if (coding == p.copy_.indCODE) return;
             p.copy_.indCODE = coding;
             // Only a script reads the coding: a program its templates made
             // alone has no input file for a script to read.
             if (CPROGRAM::UsesScript()) p.RunScript();
         }},
    };
    DispatchControlEvent(kRows, *this, control);
    return true;
}

void CPanelPROGRAM::OnUnitsChosen() {
    const int units = unitsList->CurrentItem();
    if (units == copy_.nINCH) return;
    ProgramUnits::Global().Set(units);
    ModalState.builtInTextWritten = 0;
    ModalState.errorTexts.clear();
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    copy_.nINCH = ResetAddressWords(units, links ? links->PlanProvider() : nullptr);
    unitsList->SetCurrentItem(copy_.nINCH);
    std::vector<std::string> lines;
    copy_.WriteProgramText(lines);
    copy_.SaveInputFile(lines);
    ProduceNCCode(lines, false);
    intermediateList->SetValue(LinesValue(lines));
}

std::string CPanelPROGRAM::DefaultFileName() const {
    if (CPLAN* plan = ExistingPLAN())
        if (const std::string* file = plan->GetStringParameter("MODEL.File")) return Transliterate(*file);
    // Without the model's own file name, the document's.
    HostApplication* app = HostApplicationObject();
    const HostDocumentPtr doc = app ? app->ActiveDocumentOrNull() : nullptr;
    if (!doc || doc->FilePath().empty()) return {};
    return Transliterate(std::filesystem::path(doc->FilePath()).stem().string());
}

bool CPanelPROGRAM::JudgedRight(bool ncCode) {
    ProgramVerdict verdict;
    const std::vector<std::string>& frameText = intermediateList->Lines().Lines();
    if (ncCode && scripted_ && !scriptFault_.empty()) {
        verdict.faults.push_back({nullptr, -1, {}, scriptFault_});
    } else {
        verdict = JudgeProgram(copy_, frameText, ncCode && scripted_ ? &ncList->Lines().Lines() : nullptr);
    }
    if (verdict.Right()) return true;
    ShowHostMessage(verdict.Text());
    return false;
}

void CPanelPROGRAM::SaveList(PropertyControl& list, bool ncCode, const std::string& defaultExtension,
                             const std::string& filter) {
    // A program that the plan's operations lack, or that as written cuts
    // into the part or runs into the stock, is shown but never saved.
    if (!JudgedRight(ncCode)) return;
    const std::optional<std::string> path = ShowSaveFileDialog(defaultExtension, filter, DefaultFileName(), true, true);
    if (path) copy_.SaveProgramFile(*path, list.Lines().Lines());
}

bool CPanelPROGRAM::OnControlCommand(PropertyControl& control, int id) {
    using Self = CPanelPROGRAM;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::saveIntermediateButton,
         [](Self& p, PropertyControl&, int) { p.SaveList(*p.intermediateList, false, "*.txt", "*.txt|*.txt|"); }},
        {&Self::saveNCButton,
         [](Self& p, PropertyControl&, int) {
             // The panel runs under the busy flag; the dialog keeps it so.
             BusyFlagGuard busy;
             const CPostProcessor* post = PlanPostProcessor();
             const std::string extension = post ? post->GetFileExtension() : std::string();
             p.SaveList(*p.ncList, true, "*." + extension, "*." + extension + "|*." + extension + "|");
         }},
    };
    DispatchControlEvent(kRows, *this, control, id);
    return true;
}

bool CPanelPROGRAM::OnButtonClick(int buttonId) {
    if (result == 1) return true;
    switch (buttonId) {
        case kPanelButtonOK:
            result = 1;
            CopySettings(copy_, sourceProgram);
            EndHostProcess(1, 0);
            ProgramUnits::Global().Set(copy_.nINCH);
            break;
        case kPanelButtonCancel:
            result = 2;
            EndHostProcess(1, 0);
            break;
        case kPanelButtonHelp: OpenHelp(1); break;
        default: break;
    }
    return true;
}

void CPanelPROGRAM::OnClosePanel() {
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    // A units choice that was not accepted does not outlive the panel.
    if (result != 1) ProgramUnits::Global().Set(sourceProgram.nINCH);
    sourceProgram.RestoreRadiusCorrection();
}

}  // namespace zarvento
