// Pelmora's tests: a tree-view control in a container window, with a sink
// that records every event and answers as a test tells it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs/host_window.h"
#include "platform/dialogs/message_loop.h"
#include "platform/tree/tree_control.h"
#include "test_support.h"
#include "treecontrol/pelmora.h"
#include "treecontrol/pelmora_app.h"

namespace pelmora::test {

// Records events as short texts, answering from its settings.
class EventLog : public DPelmoraEvents {
public:
    std::vector<std::string> events;
    const zarvento::TreeControl* tree = nullptr;

    std::int16_t cancelBefore = 0;
    std::int16_t cancelAfter = 0;
    bool replaceNewString = false;
    std::string newString;
    bool clearKeys = false;
    // Per menu id: the answers of MenuCommandUpdate (untouched when absent).
    std::map<int, std::pair<VARIANT_BOOL, std::int32_t>> menuAnswers;

    std::string Label(HTREEITEM_ID item) const {
        return item == 0 ? "none" : tree && tree->Exists(item) ? tree->ItemText(item) : "#" + std::to_string(item);
    }
    void BeforeLabelEdit(std::int16_t* cancel) override {
        events.push_back("BeforeLabelEdit");
        *cancel = cancelBefore;
    }
    void AfterLabelEdit(std::int16_t* cancel, std::string* text) override {
        events.push_back("AfterLabelEdit \"" + *text + "\"");
        *cancel = cancelAfter;
        if (replaceNewString) *text = newString;
    }
    void Collapse(HTREEITEM_ID item) override { events.push_back("Collapse " + Label(item)); }
    void Expand(HTREEITEM_ID item) override { events.push_back("Expand " + Label(item)); }
    void NodeClick(HTREEITEM_ID item) override { events.push_back("NodeClick " + Label(item)); }
    void MenuCommand(std::int32_t id) override { events.push_back("MenuCommand " + std::to_string(id)); }
    void MenuCommandUpdate(std::int32_t id, VARIANT_BOOL* enabled, std::int32_t* checked) override {
        events.push_back("MenuCommandUpdate " + std::to_string(id));
        auto it = menuAnswers.find(id);
        if (it == menuAnswers.end()) return;
        *enabled = it->second.first;
        *checked = it->second.second;
    }
    void Click() override { events.push_back("Click"); }
    void DblClick() override { events.push_back("DblClick"); }
    void KeyDown(std::int16_t* key, std::int16_t) override {
        events.push_back("KeyDown " + std::to_string(*key));
        if (clearKeys) *key = 0;
    }
    void MouseDown(std::int16_t button, std::int16_t, std::int32_t, std::int32_t) override {
        events.push_back("MouseDown " + std::to_string(button));
    }
    void MouseUp(std::int16_t button, std::int16_t, std::int32_t, std::int32_t) override {
        events.push_back("MouseUp " + std::to_string(button));
    }

    // The events other than the stock ones, which most tests do not look at.
    std::vector<std::string> Plain() const {
        std::vector<std::string> plain;
        for (const std::string& e : events)
            if (e.rfind("Key", 0) != 0 && e.rfind("Mouse", 0) != 0 && e != "Click" && e != "DblClick")
                plain.push_back(e);
        return plain;
    }
};

class PelmoraTest : public zarvento::test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        module = std::make_unique<PelmoraModuleScope>();
        container = std::make_unique<zarvento::HostWindow>();
        control = std::make_shared<CPelmora>();
        ASSERT_TRUE(control->CreateControlWindow(container.get(), {0, 0, 300, 400}));
        log = std::make_shared<EventLog>();
        log->tree = control->Tree();
        AdviseCookie cookie = 0;
        ASSERT_EQ(control->Advise(log, &cookie), zarvento::S_OK_);
    }
    void TearDown() override {
        control.reset();
        container.reset();
        module.reset();
        CleanStateTest::TearDown();
    }

    zarvento::TreeControl& Tree() { return *control->Tree(); }
    HTREEITEM_ID Add(HTREEITEM_ID parent, const std::string& text) {
        HTREEITEM_ID item = 0;
        EXPECT_EQ(control->AddItem(parent, text, 0, 0, zarvento::kTreeLast, &item), zarvento::S_OK_);
        return item;
    }
    std::vector<std::string> Lines() { return control->CollectLines(); }
    // Clicks the part of an item, as the user does with the left or right button.
    void Click(HTREEITEM_ID item, zarvento::TreeHitPart part, bool right = false) {
        int x = 0, y = 0;
        ASSERT_TRUE(Tree().ItemPoint(item, part, x, y)) << zarvento::TreeHitPartName(part);
        if (right) {
            zarvento::RightClickWindow(Tree().Handle(), x, y);
        } else {
            zarvento::ClickWindow(Tree().Handle(), x, y);
        }
    }

    std::unique_ptr<PelmoraModuleScope> module;
    std::unique_ptr<zarvento::HostWindow> container;
    std::shared_ptr<CPelmora> control;
    std::shared_ptr<EventLog> log;
};

}  // namespace pelmora::test
