// CDialogPostProcessorsList: the dialog of the installed post-processors, one
// row each (name, file), with the actions on the selected one: edit its
// description in the external editor, create one from the sample, delete it,
// install (load) one from a file, and show the cycles it supports.
#pragma once

#include <string>

#include "platform/dialogs/host_dialog.h"
#include "post/post_processors_list.h"

namespace zarvento {

class CDialogPostProcessorsList : public HostDialog {
public:
    static constexpr const char* kScriptName = "postprocessors";
    static constexpr int kTemplate = 1120;
    static constexpr int kList = 100;
    static constexpr int kEdit = 101;
    static constexpr int kCreate = 102;
    static constexpr int kDelete = 103;
    static constexpr int kLoad = 104;
    static constexpr int kProperties = 105;
    static constexpr int kClose = 2;
    static constexpr const char* kDeleteQuestion = "Вы действительно хотите удалить постпроцессор?";

    // Scans the folder of the installed post-processors.
    CDialogPostProcessorsList();

    void OnInitDialog() override;
    void OnCommand(int id, int code) override;
    void OnListItemChanged(int listId, int row, bool onRow) override;
    // Closing reads the plan's own description again when the properties of
    // a post-processor were shown: they read that one's description into the
    // process-wide templates, which the plan's program would be written with.
    void OnCancel() override;

    const CPostProcessorsList& PostProcessors() const { return postProcessors_; }

private:
    void FillList();
    // The post-processor of the list's selection mark, or null.
    CPostProcessor* Selected() const;
    void Load();

    CPostProcessorsList postProcessors_;
    bool otherDescriptionRead_ = false;
};

// Starts the post-processor editor on the file without waiting for it: the
// settings' editor, or, when that is a stored path this system does not have,
// $VISUAL, then $EDITOR. False, after the message naming the stored editor,
// when none can be started.
bool OpenInEditor(const std::string& file);

// The list dialog over the host's main window.
void ShowPostProcessorsDialog();

}  // namespace zarvento
