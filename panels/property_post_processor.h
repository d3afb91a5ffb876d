// CPropertyPostProcessor: the dialog that shows the machine cycles a
// post-processor's description supports, code and name, in its order.
#pragma once

#include "platform/dialogs/host_dialog.h"
#include "post/post_processor.h"

namespace zarvento {

class CPropertyPostProcessor : public HostDialog {
public:
    static constexpr const char* kScriptName = "postprocessor-properties";
    static constexpr int kTemplate = 1121;
    static constexpr int kList = 100;
    static constexpr int kLabel = 10;
    // The list's width in the dialog; the name column takes what the code
    // column and the margin leave.
    static constexpr int kListWidth = 400;

    // Shows a copy of the post-processor.
    explicit CPropertyPostProcessor(const CPostProcessor& postProcessor);

    // Reads the copy's description and lists its cycles.
    void OnInitDialog() override;

    const CPostProcessor& PostProcessor() const { return postProcessor_; }

private:
    CPostProcessor postProcessor_;
};

}  // namespace zarvento
