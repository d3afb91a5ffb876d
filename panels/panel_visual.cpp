// The simulation panel.
#include "panels/panel_visual.h"
#include "panels/control_events.h"

#include "geometry/contour.h"
#include "geometry/exception.h"
#include "nc/cadre_iso.h"
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/host_sketch.h"
#include "platform/processes/help_calls.h"
#include "platform/processes/module.h"
#include "simulation/simulation.h"

namespace zarvento {

namespace {

constexpr int kWarning = 0x30;
// The library's bitmaps of the panel.
constexpr int kTabImage = 1011;
constexpr int kStartImage = 1051, kPauseImage = 1052, kStopImage = 1053, kResultModelImage = 1060,
              kResultFragmentImage = 1061, kPathsImage = 1070, kToolImage = 1073;

const CPanelVISUAL* running = nullptr;

// What the copy takes over and gives back: the settings and the links to the
// frames, which stay the program's.
void CopySettings(const CPROGRAM& from, CPROGRAM& to) {
    to.KoffVelosity = from.KoffVelosity;
    to.Transparency = from.Transparency;
    to.Accuracy = from.Accuracy;
    to.isToolHide = from.isToolHide;
    to.isPathHide = from.isPathHide;
    to.indCODE = from.indCODE;
    to.nINCH = from.nINCH;
}

void Label(PropertyControl& control, const std::string& caption, const std::string& hint) {
    control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
}

Variant LinesValue(const std::vector<std::string>& lines) {
    std::vector<Variant> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) items.push_back(Variant::BStr(line));
    return Variant::Array(std::move(items));
}

double NumberOf(const PropertyControl* control, double otherwise) {
    return control ? control->Value().ToR8() : otherwise;
}

// A failed host call of one of the panel's commands is reported and the
// panel goes on.
void ReportHostError(const HostError& e) { ShowHostMessage(HostErrorText(e)); }

}  // namespace

CPanelVISUAL::CPanelVISUAL(CPROGRAM& program) : CBasePanel3D(kScriptName), sourceProgram(program) {
    CopySettings(program, copy_);
    copy_.frames = program.frames;
}

CPanelVISUAL::~CPanelVISUAL() {
    if (running == this) running = nullptr;
    if (simulation_) {
        // The controls go with the host's panel: the simulation's end no
        // longer reaches them.
        simulation_->SetControls(nullptr, nullptr);
        simulation_.reset();
    }
}

const CPanelVISUAL* CPanelVISUAL::Running() { return running; }

int ShowPanelVISUAL(CPROGRAM& program) {
    auto panel = std::make_unique<CPanelVISUAL>(program);
    return panel->ShowModal();
}

// Long: the panel's controls made and filled one after another in the order
// the user sees them (the program's text run through its post-processor).
void CPanelVISUAL::OnInitPanel() {
    running = this;
    const bool newLayout = HostMajorVersion() >= 17;
    propertyManager->SetCaption(CPROGRAM::kCaption);
    propertyManager->Setup(3);
    propertyManager->DefaultTab().SetVisible(false);
    PropertyTab& tab = propertyManager->AddTab(kTabCaption);
    tab.SetImage(HostImage::Library(kTabImage));

    if (newLayout) {
        runGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
        spindleField = &tab.AddControl(PropertyControlKind::TextEdit);
        speedField = &tab.AddControl(PropertyControlKind::RealEdit);
        transparencyField = &tab.AddControl(PropertyControlKind::RealEdit);
    }

    programList = &tab.AddTextList();
    Label(*programList, kProgramHint, kProgramHint);
    programList->SetVisible(true);

    ModalState.builtInTextWritten = 0;
    ModalState.errorTexts.clear();
    std::vector<std::string> lines;
    copy_.WriteProgramText(lines);
    if (CPROGRAM::UsesScript() && copy_.SaveInputFile(lines) && copy_.RunPostProcessor(nullptr, nullptr))
        copy_.ReadPathFile();
    rowMarks_.assign(lines.size(), 0);
    programList->SetValue(LinesValue(lines));
    lines.clear();

    // Every frame keeps the stock after it, so that any line can be shown.
    {
        CSimulation pre;
        pre.SetFrames(copy_.frames);
        pre.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        pre.CalculateAllFrames();
    }

    if (CSPID* spid = ExistingSPID()) {
        fixturesShown_ = spid->isShowGadgets;
        spid->RebuildGadgetModels();
        stockShown_ = spid->isShowSource;
        if (stockShown_) spid->ToggleShowSource();
    }

    if (!newLayout) runGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
    Label(*runGroup, "", kRunHint);
    runGroup->AddButton(kStart, HostImage::Library(kStartImage), "Пуск");
    runGroup->AddButton(kPause, HostImage::Library(kPauseImage), "Пауза");
    runGroup->AddButton(kStop, HostImage::Library(kStopImage), "Стоп");
    if (newLayout) {
        runGroup->AddButton(kImageOnly, HostImage::Library(kTabImage), "");
        runGroup->EnableButton(kImageOnly, false);
        runGroup->AddButton(kResultModel, HostImage::Library(kResultModelImage), "Создать 3D-модель результата");
        runGroup->AddButton(kResultFragment, HostImage::Library(kResultFragmentImage), "Создать фрагмент результата");
        runGroup->EnableButton(kResultModel, false);
        runGroup->EnableButton(kResultFragment, false);
    }

    if (!newLayout) spindleField = &tab.AddControl(PropertyControlKind::RealEdit);
    feedField = &tab.AddControl(PropertyControlKind::RealEdit);
    toolField = &tab.AddControl(PropertyControlKind::IntegerEdit);
    Label(*spindleField, " S", "Текущее значение функции главного движения");
    Label(*feedField, "F", "Текущее значение функции подачи");
    Label(*toolField, "T", "Текущее значение функции инструмента");
    for (PropertyControl* field : {spindleField, feedField, toolField}) {
        field->SetWidth(field == toolField ? 3 : 7);
        field->SetReadOnly(true);
        field->SetValue(field == toolField                   ? Variant::I4(0)
                        : newLayout && field == spindleField ? Variant::BStr("0")
                                                             : Variant::R8(0.0));
    }

    if (!newLayout) speedField = &tab.AddControl(PropertyControlKind::RealEdit);
    Label(*speedField, "Коэфф. скорости", kSpeedHint);
    speedField->SetWidth(7);
    speedField->SetValue(Variant::R8(copy_.KoffVelosity));
    speedField->SetRange(1.0, 1000.0);

    if (!newLayout) transparencyField = &tab.AddControl(PropertyControlKind::RealEdit);
    Label(*transparencyField, kTransparencyHint, kTransparencyHint);
    transparencyField->SetWidth(7);
    transparencyField->SetValue(Variant::R8(copy_.Transparency));
    transparencyField->SetRange(0.0, 100.0);

    pathsBox = &tab.AddControl(PropertyControlKind::CheckBox);
    Label(*pathsBox, "", "Показывать/скрыть траектории");
    pathsBox->SetCheckImages(HostImage::Library(kPathsImage), HostImage::Library(kPathsImage + 1),
                             HostImage::Library(kPathsImage + 2));
    pathsBox->SetValue(Variant::Bool(copy_.isPathHide));
    pathsBox->SetVisible(false);
    toolBox = &tab.AddControl(PropertyControlKind::CheckBox);
    Label(*toolBox, "", "Показывать/скрыть инструмент");
    toolBox->SetCheckImages(HostImage::Library(kToolImage), HostImage::Library(kToolImage + 1),
                            HostImage::Library(kToolImage + 2));
    toolBox->SetValue(Variant::Bool(copy_.isToolHide));
    toolBox->SetVisible(false);

    messagesList = &tab.AddTextList();
    Label(*messagesList, "Сообщения", kMessagesHint);
    messagesList->SetVisible(true);
    messages_ = std::make_unique<SimulationMessages>(&messagesList->Lines());

    if (!newLayout) {
        resultGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
        Label(*resultGroup, "", kResultHint);
        resultGroup->AddButton(kResultModel, HostImage::Library(kResultModelImage), "Создать 3D-модель результата");
        resultGroup->AddButton(kResultFragment, HostImage::Library(kResultFragmentImage),
                               "Создать фрагмент результата");
        resultGroup->EnableButton(kResultModel, false);
        resultGroup->EnableButton(kResultFragment, false);
    }

    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    pickingProcess->SetName("Визуализация обработки");
    SetHelpTopic(kHelpTopic);
    if (CPLAN* plan = ExistingPLAN()) plan->RedrawPaths();

    if (newLayout) {
        programList->SetCaption("Программа");
        runGroup->SetCaption("Управление");
        spindleField->SetCaption("Режимы");
        speedField->SetCaption("Коэфф. скорости");
        transparencyField->SetCaption("Прозрачн.,%");
        feedField->SetVisible(false);
        toolField->SetVisible(false);
        propertyManager->SetCaption("Визуализация обработки (в промежуточном коде)");
    }
}

std::unique_ptr<CSimulation> CPanelVISUAL::NewSimulation() {
    auto simulation = std::make_unique<CSimulation>();
    simulation->SetFrames(copy_.frames);
    simulation->SetControls(this, messages_.get());
    return simulation;
}

void CPanelVISUAL::EnableResultButtons(bool enabled) {
    PropertyControl* group = resultGroup ? resultGroup : runGroup;
    group->EnableButton(kResultModel, enabled);
    group->EnableButton(kResultFragment, enabled);
}

bool CPanelVISUAL::OnSelectListItem(PropertyControl& control, int index, int selected) {
    if (simulation_ && simulation_->IsRunning()) return false;
    if (!selected) {
        selectedLine_ = 0;
        return true;
    }
    if (&control != programList || index < 0) return true;
    selectedLine_ = index;
    if (!simulation_) simulation_ = NewSimulation();
    simulation_->SetTransparency(NumberOf(transparencyField, copy_.Transparency));
    simulation_->SetToolHidden(toolBox->Value().ToBool());
    simulation_->GoToFrame(selectedLine_, 1);
    EnableResultButtons(true);
    return true;
}

bool CPanelVISUAL::OnControlCommand(PropertyControl& control, int id) {
    using Self = CPanelVISUAL;
    static constexpr ControlEvents<Self, int> kRunRows[] = {
        {&Self::runGroup, [](Self& p, PropertyControl&, int button) { p.OnRunCommand(button); }},
    };
    // The result's buttons, on the run's bar or a bar of their own, and the
    // speed, once there is a simulation to take them.
    static constexpr auto result = [](Self& p, PropertyControl& c, int button) {
        if (button == kResultModel) {
            p.SaveResultModel();
            c.PressButton(kResultModel, false);
        } else if (button == kResultFragment) {
            p.DrawResultFragment();
            c.PressButton(kResultFragment, false);
        }
    };
    static constexpr ControlEvents<Self, int> kSimulationRows[] = {
        {&Self::runGroup, result},
        {&Self::resultGroup, result},
        {&Self::speedField, [](Self& p, PropertyControl&,
                               int) { p.simulation_->SetSpeedFactor(NumberOf(p.speedField, p.copy_.KoffVelosity)); }},
    };
    DispatchControlEvent(kRunRows, *this, control, id);
    if (!simulation_) {
        HostMessageBox(kSelectFirst, CPROGRAM::kCaption, kWarning);
        return true;
    }
    DispatchControlEvent(kSimulationRows, *this, control, id);
    return true;
}

void CPanelVISUAL::OnRunCommand(int id) {
    if (id == kStart) {
        if (simulation_ && !simulation_->IsRunning()) {
            simulation_.reset();
        } else if (simulation_) {
            simulation_->Resume();
        }
        if (!simulation_) {
            simulation_ = NewSimulation();
            simulation_->SetSpeedFactor(NumberOf(speedField, copy_.KoffVelosity));
            simulation_->SetTransparency(NumberOf(transparencyField, copy_.Transparency));
            simulation_->SetToolHidden(toolBox->Value().ToBool());
            simulation_->GoToFrame(selectedLine_ - 1, 1);
            simulation_->Start();
            selectedLine_ = 0;
        }
        speedField->SetEnabled(false);
        transparencyField->SetEnabled(false);
        if (resultGroup) resultGroup->SetEnabled(false);
        EnableResultButtons(false);
    } else if (id == kPause) {
        if (simulation_) simulation_->Pause();
        EnableResultButtons(true);
    } else if (id == kStop) {
        if (simulation_) simulation_->Stop();
        EnableResultButtons(true);
    }
}

void CPanelVISUAL::SaveResultModel() {
    const std::optional<std::string> path = ShowSaveFileDialog("*.rdp", kResultFilter);
    if (!path) return;
    try {
        simulation_->SaveResultModel(*path);
    } catch (const HostError& e) {
        ReportHostError(e);
    } catch (const Exception& e) {
        // The section's geometry could not be made into the model's outline.
        ShowHostMessage(e.what());
    }
}

void CPanelVISUAL::DrawResultFragment() {
    try {
        HostApplication& app = ConnectHostApplication();
        const HostDocumentPtr active = app.ActiveDocumentOrNull();
        const HostDocumentPtr fragment = app.Documents().Add(DocumentType::Drawing2D, true);
        // The drawing's lines are kept, and saved, in a sketch of its own.
        const std::shared_ptr<HostSketch> layer = fragment->AddSketch(kFragmentLayer);
        {
            ActiveDocument2DSwitch to(layer->Objects());
            simulation_->Redraw2D();
        }
        // The plan's commands go on reaching the part.
        if (active) app.SetActiveDocument(active);
    } catch (const HostError& e) {
        ReportHostError(e);
    }
}

bool CPanelVISUAL::OnChangeControlValue(PropertyControl& control) {
    using Self = CPanelVISUAL;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::speedField,
         [](Self& p, PropertyControl&) {
             p.copy_.KoffVelosity = NumberOf(p.speedField, p.copy_.KoffVelosity);
             if (p.simulation_) p.simulation_->SetSpeedFactor(p.copy_.KoffVelosity);
         }},
        {&Self::transparencyField,
         [](Self& p, PropertyControl&) {
             p.copy_.Transparency = NumberOf(p.transparencyField, p.copy_.Transparency);
             if (p.simulation_) p.simulation_->SetTransparency(p.copy_.Transparency);
         }},
        {&Self::pathsBox,
         [](Self& p, PropertyControl&) {
             p.copy_.isPathHide = p.pathsBox->Value().ToBool();
             if (CPLAN* plan = ExistingPLAN()) {
                 if (p.copy_.isPathHide)
                     plan->RestorePaths();
                 else
                     plan->HidePaths();
             }
         }},
        {&Self::toolBox,
         [](Self& p, PropertyControl&) {
             if (!p.simulation_) return;
             p.copy_.isToolHide = p.toolBox->Value().ToBool();
             p.simulation_->SetToolHidden(p.copy_.isToolHide);
             if (!p.simulation_->IsRunning()) p.simulation_->GoToFrame(p.selectedLine_, 1);
         }},
    };
    DispatchControlEvent(kRows, *this, control);
    return true;
}

bool CPanelVISUAL::OnButtonClick(int buttonId) {
    if (result == 1) return true;
    switch (buttonId) {
        case kPanelButtonOK:
            simulation_.reset();
            result = 1;
            CopySettings(copy_, sourceProgram);
            EndHostProcess(1, 0);
            break;
        case kPanelButtonCancel:
            simulation_.reset();
            result = 2;
            EndHostProcess(1, 0);
            break;
        case kPanelButtonHelp: OpenHelp(1); break;
        default: break;
    }
    return true;
}

void CPanelVISUAL::OnClosePanel() {
    simulation_.reset();
    // The stocks the pre-calculation left in the frames go; the frames stay
    // the program's.
    for (CCadreISO* frame : copy_.frames) frame->simulatedStock.reset();
    copy_.ClearFrames();
    if (CSPID* spid = ExistingSPID()) {
        spid->SetGadgetsRotated(false);
        if (!fixturesShown_) {
            spid->isShowGadgets = true;
            spid->ToggleShowGadgets();
        }
        if (stockShown_) spid->ToggleShowSource();
    }
    RefreshHostView();
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    if (running == this) running = nullptr;
}

// ---------------------------------------------------------------- the simulation's controls

void CPanelVISUAL::ShowValues(double spindleSpeed, double feed, std::int32_t toolNumber) {
    if (HostMajorVersion() < 17) spindleField->SetValue(Variant::R8(spindleSpeed));
    feedField->SetValue(Variant::R8(feed));
    toolField->SetValue(Variant::I4(toolNumber));
}

void CPanelVISUAL::ShowStatusText(const std::string& text) {
    if (HostMajorVersion() >= 17) spindleField->SetValue(Variant::BStr(text));
}

void CPanelVISUAL::MarkRow(std::int32_t row, int state) {
    if (row >= 0 && static_cast<std::size_t>(row) < rowMarks_.size()) rowMarks_[static_cast<std::size_t>(row)] = state;
}

void CPanelVISUAL::ClearRowMarks() { std::fill(rowMarks_.begin(), rowMarks_.end(), 0); }

std::string CPanelVISUAL::RowText(std::int32_t row) const {
    const std::vector<std::string>& lines = programList->Lines().Lines();
    return row >= 0 && static_cast<std::size_t>(row) < lines.size() ? lines[static_cast<std::size_t>(row)]
                                                                    : std::string();
}

void CPanelVISUAL::ClearMessageList() { messagesList->Lines().Clear(); }

void CPanelVISUAL::RestoreAfterRun() {
    speedField->SetEnabled(true);
    transparencyField->SetEnabled(true);
    if (resultGroup) resultGroup->SetEnabled(true);
    EnableResultButtons(true);
}

}  // namespace zarvento
