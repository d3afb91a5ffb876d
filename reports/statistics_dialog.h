// CDialogStatistics: the statistics of every operation of the plan (cutting
// data, path lengths, machining times) with a totals row. Its check boxes
// recalculate the plan counting in elementary moves (every operation's
// machine cycle set aside while the dialog is open) and with tool-life stops;
// closing puts the cycles back, and saves the plan when a flag changed. From
// it the cost estimate opens (703), the export to TECHPLAN (701) and the
// setup sheet (702).
//
// An operation that outputs a machine cycle counts the moves the
// post-processor's script gives the cycle (the path file); without them its
// row is marked. The statistics command hands the dialog the program it has
// passed through the post-processor over the plan as it stands; the list is
// filled from those paths, and every recalculation the check boxes cause is
// followed by a new pass, so no recalculation leaves the cycles without
// their moves. A dialog opened without a program recalculates and passes
// the plan on opening.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/host_dialog.h"

namespace zarvento {

class CPLAN;
class CPROGRAM;

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

    // `program`: the statistics command's, already passed over the plan as
    // it stands; none: the dialog makes its own and passes it on opening.
    explicit CDialogStatistics(CPLAN& plan, CPROGRAM* program = nullptr);
    ~CDialogStatistics() override;

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
    std::unique_ptr<CPROGRAM> ownProgram_;
    CPROGRAM* program_ = nullptr;
    // Whether the paths were made for the cycle choices and the tool-life
    // stop flag now set (and the program passed over them), and the flag
    // they were made with.
    bool pathsCurrent_ = false;
    bool pathsStop_ = false;
};

// Runs the dialog on the plan modally, and its closing step; `program` as
// the dialog takes it.
void ShowStatisticsDialog(CPLAN& plan, CPROGRAM* program = nullptr);

// The statistics list and its note as text: a line of the column titles,
// then one line a row, cells separated by " | ".
std::string StatisticsListText(const HostDialog& dialog);

}  // namespace zarvento
