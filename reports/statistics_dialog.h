// CDialogStatistics: the statistics of every operation of the plan (cutting
// data, path lengths, machining times) with a totals row. Its check boxes
// recalculate the plan counting in elementary moves (every operation's
// machine cycle set aside while the dialog is open) and with tool-life stops;
// closing puts the cycles back, and saves the plan when a flag changed. From
// it the cost estimate opens (703), the export to TECHPLAN (701) and the
// setup sheet (702).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host_dialog.h"

namespace zarvento {

class CPLAN;

class CDialogStatistics : public HostDialog {
public:
    static constexpr const char* kScriptName = "statistics";
    static constexpr int kTemplate = 1400;
    static constexpr const char* kTitle = "Статистика по всем обработкам";
    static constexpr int kList = 100;
    static constexpr int kNote = 102;
    static constexpr int kExport = 701;
    static constexpr int kSetupSheet = 702;
    static constexpr int kCosts = 703;
    static constexpr int kElementStat = 101;
    static constexpr int kStop = 103;
    static constexpr const char* kNoPathMark = "нет траектории внутри цикла";
    static constexpr const char* kNoteCycles =
        "Статистика не учитывает станочные циклы, для которых постпроцессор не генерирует траекторию, отключенные "
        "обработки и обработки с ошибками";
    static constexpr const char* kNoteElementary =
        "Статистика не учитывает отключенные обработки и обработки с ошибками";

    explicit CDialogStatistics(CPLAN& plan);

    void OnInitDialog() override;
    void OnCommand(int id, int code) override;
    // Closing: the recorded cycles back, the plan saved when a flag changed.
    // Runs once, after the modal run (ShowStatisticsDialog does).
    void OnDestroy();

    // Recalculates the plan under the dialog's flags and fills the list.
    void FillList();
    void OnElementStat();
    void OnStop();

private:
    CPLAN& plan_;
    bool elementStatAtOpening_ = false;
    bool stopAtOpening_ = false;
    // Each operation's cycle choice as it was at opening (whole values).
    struct CycleChoice {
        std::int32_t indShema = 0;
        std::int32_t indCycle = 0;
    };
    std::vector<CycleChoice> recorded_;
    bool destroyed_ = false;
};

// Runs the dialog on the plan modally, and its closing step.
void ShowStatisticsDialog(CPLAN& plan);

// The statistics list and its note as text: a line of the column titles,
// then one line a row, cells separated by " | ".
std::string StatisticsListText(const HostDialog& dialog);

}  // namespace zarvento
