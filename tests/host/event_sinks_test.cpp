// The library's sinks: made once, found by their keys, refused without harm,
// and what the application's and a window's events do.
#include "host/base_event.h"

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/dialogs/host_events.h"
#include "simulation/simulation.h"

namespace zarvento::test {
namespace {

class EventSinksTest : public HostBindingTest {
protected:
    void SetUp() override {
        HostBindingTest::SetUp();
        Connect();
        reference = DocumentReference(part);
        frame = DocumentFrame(part, 0);
    }
    void TearDown() override {
        BusyFlag = false;
        HostBindingTest::TearDown();
    }
    std::uint32_t reference = 0;
    HostObjectPtr frame;
};

TEST_F(EventSinksTest, EnsuringTwiceSubscribesOnceAndTheWindowBringsItsDocument) {
    CBaseEventPtr window = EnsureDocumentFrameEvent(reference, frame);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(EnsureDocumentFrameEvent(reference, frame), window);
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 1);
    EXPECT_EQ(HostSubscriptionCount(kDocumentFileEvents), 1);
    EXPECT_EQ(EnsureDocumentEvent(reference), FindEvent(kDocumentFileEvents, reference, -1, nullptr));
    // Object type -1 finds a sink stored with 0; kind 0 finds any kind.
    EXPECT_EQ(FindEvent(0, reference, 0, frame), window);
    EXPECT_EQ(FindEvent(kDocumentFrameEvents, reference, 5, frame), nullptr);
    // No document, no sink.
    EXPECT_EQ(EnsureDocumentEvent(0), nullptr);
    EXPECT_EQ(EnsureDocumentFrameEvent(0, frame), nullptr);
    EXPECT_EQ(window->Record().eventKind, kDocumentFrameEvents);
    EXPECT_EQ(window->Record().sourceReference, reference);
}

TEST_F(EventSinksTest, RefusedSubscriptionGivesNullAndTheCommandGoesOn) {
    RefuseHostSubscriptions(true);
    const std::size_t before = EventList().size();
    EXPECT_EQ(EnsureDocumentFrameEvent(reference, frame), nullptr);
    EXPECT_EQ(EventList().size(), before);
    RecordedCommands recorded;
    LIBRARYENTRY(1);
    EXPECT_EQ(recorded.Take().size(), 1u);
}

TEST_F(EventSinksTest, ClosingApplicationSetsBusyAndReleasesItsSink) {
    ASSERT_EQ(HostSubscriptionCount(kApplicationEvents), 1);
    EXPECT_TRUE(FireHostEvent(kApplicationEvents, 0, 9, HostEventArgs{nullptr, 42}));
    EXPECT_FALSE(BusyFlag);
    EXPECT_TRUE(FireHostEvent(kApplicationEvents, 0, 5));
    EXPECT_TRUE(BusyFlag);
    EXPECT_EQ(HostSubscriptionCount(kApplicationEvents), 0);
    EXPECT_EQ(FindEvent(kApplicationEvents, 0, -1, nullptr), nullptr);
}

TEST_F(EventSinksTest, ClosingWindowTakesThePlanObjectsAndItsSink) {
    LIBRARYENTRY(21);
    ASSERT_NE(ExistingPLAN(), nullptr);
    ASSERT_NE(ExistingPlanTree(), nullptr);
    // Outside a simulation step the window may be busy; the simulation hears it.
    EXPECT_TRUE(FireHostEvent(kDocumentFrameEvents, reference, 1));
    EXPECT_TRUE(FireHostEvent(kDocumentFrameEvents, reference, 2));
    EXPECT_TRUE(FireHostEvent(kDocumentFrameEvents, reference, 11, {}, frame));
    EXPECT_EQ(ExistingPLAN(), nullptr);
    EXPECT_EQ(ExistingSPID(), nullptr);
    EXPECT_EQ(ExistingPlanTree(), nullptr);
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 0);
    // The document's own sink stays until the document closes.
    EXPECT_EQ(HostSubscriptionCount(kDocumentFileEvents), 1);
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, reference, 2));
    EXPECT_EQ(HostSubscriptionCount(kDocumentFileEvents), 0);
}

// A simulation's run subscribes its document's events, the window's among
// them, without a menu command before it.
TEST_F(EventSinksTest, ASimulationRunSubscribesTheActiveDocument) {
    Connect();
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 0);
    CSimulation run;
    run.Start();
    run.Stop();
    for (std::int32_t kind : {kDocumentFileEvents, kSelectionEvents, kObject3DEvents, kDocumentFrameEvents})
        EXPECT_EQ(HostSubscriptionCount(kind), 1) << kind;
}

TEST_F(EventSinksTest, UnloadingReleasesEverySink) {
    LIBRARYENTRY(1);
    EXPECT_GE(EventList().size(), 3u);
    RemoveAllEvents();
    EXPECT_TRUE(EventList().empty());
    EXPECT_EQ(HostSubscriptionCount(), 0);
}

}  // namespace
}  // namespace zarvento::test
