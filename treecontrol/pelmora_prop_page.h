// The controls' property pages: each a page "General" without property
// controls, which the "Properties" verb of its control shows.
#pragma once

#include <string>

#include "platform/core/host_object.h"
#include "treecontrol/pelmora_app.h"

namespace pelmora {

class PelmoraPropertyPage : public zarvento::HostObject {
public:
    PelmoraPropertyPage(int dialogId, std::string caption) : dialogId_(dialogId), caption_(std::move(caption)) {
        CPelmoraApp::Instance().ObjectCreated();
    }
    ~PelmoraPropertyPage() override { CPelmoraApp::Instance().ObjectDestroyed(); }
    int DialogId() const { return dialogId_; }
    const std::string& Caption() const { return caption_; }

private:
    int dialogId_;
    std::string caption_;
};

// The tree view's page: dialog 200, caption string 200.
class CPelmoraPropPage : public PelmoraPropertyPage {
public:
    CPelmoraPropPage() : PelmoraPropertyPage(200, "General") {}
};

// The tree-dialog control's page: dialog 300, caption string 300.
class CpmTreeDlgPropPage : public PelmoraPropertyPage {
public:
    CpmTreeDlgPropPage() : PelmoraPropertyPage(300, "General") {}
};

}  // namespace pelmora
