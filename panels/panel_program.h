// CPanelPROGRAM: the NC program panel of the plan command "Программа ЧПУ". It
// shows the program of the whole plan as intermediate code (the frames' own
// text) and in the codes of the chosen NC system, with the post-processor's
// messages; the units and the internal coding regenerate both texts; two
// buttons save them. OK gives the program the panel's settings.
#pragma once

#include <string>
#include <vector>

#include "panels/base_panel_3d.h"
#include "post/program.h"

namespace zarvento {

class CPostProcessor;

class CPanelPROGRAM : public CBasePanel3D {
public:
    static constexpr const char* kScriptName = "program";
    static constexpr int kHelpTopic = 81000;
    static constexpr const char* kTabCaption = "Генерация управляющей программы ЧПУ";
    static constexpr const char* kNoPostProcessor = "(не задана)";
    static constexpr const char* kIntermediateKind = "Промежуточный код";
    static constexpr const char* kSaveCaption = "Сохранить в файл";

    // The panel edits a copy of the program's settings; the frames stay the
    // program's (it made them and it deletes them).
    explicit CPanelPROGRAM(CPROGRAM& program);
    ~CPanelPROGRAM() override;

    void OnInitPanel() override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnButtonClick(int buttonId) override;
    void OnClosePanel() override;

    // The panel's copy of the program.
    const CPROGRAM& Program() const { return copy_; }

private:
    // Makes the NC code from the intermediate lines: the lines themselves
    // when no script is needed, else the post-processor's script run.
    void ProduceNCCode(std::vector<std::string>& lines, bool initial);
    void RunScript();
    // Whether the text the list holds (the NC code, or the intermediate
    // code) is a program the plan may be machined by; the reason is shown
    // when it is not.
    bool JudgedRight(bool ncCode);
    void SaveList(PropertyControl& list, bool ncCode, const std::string& defaultExtension, const std::string& filter);
    // The units chosen: the program is written again in them.
    void OnUnitsChosen();
    std::string DefaultFileName() const;
    static const CPostProcessor* PlanPostProcessor();

    CPROGRAM copy_;
    CPROGRAM& sourceProgram;
    // Whether the NC code is the script's, and why its last run gave none.
    bool scripted_ = false;
    std::string scriptFault_;
    PropertyControl* unitsList = nullptr;
    PropertyControl* kindList = nullptr;
    PropertyControl* intermediateList = nullptr;
    PropertyControl* ncList = nullptr;
    PropertyControl* messagesList = nullptr;
    PropertyControl* codingList = nullptr;
    PropertyControl* saveIntermediateButton = nullptr;
    PropertyControl* saveNCButton = nullptr;
};

// Runs the panel on the program; 1 for OK, 2 for Cancel.
int ShowPanelPROGRAM(CPROGRAM& program);

}  // namespace zarvento
