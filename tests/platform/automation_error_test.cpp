// The automation boundary: every failure of a method becomes its HRESULT and,
// for the system's own failures, the calling thread's error record.
#include "platform/core/automation_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "platform/core/connection_point.h"

namespace zarvento {
namespace {

const AutomationSource kSource{"{F8328F9C-4406-42EB-A5A6-B919559CDA71}", "Pelmora", "Pelmora.hlp"};

TEST(AutomationErrorTest, EachKindOfFailureGivesItsCodeAndRecord) {
    struct Case {
        const char* what;
        std::function<HRESULT()> body;
        HRESULT code;
        bool record;
        std::string description, source, helpFile;
    };
    const Case cases[] = {
        {"success", [] { return S_OK_; }, S_OK_, false, "", "", ""},
        {"a dispatch exception", [&]() -> HRESULT { throw DispatchException(0x123, "Нет дерева"); },
         static_cast<HRESULT>(0x80040123u), true, "Нет дерева", "Pelmora", ""},
        {"a dispatch exception with help", [&]() -> HRESULT { throw DispatchException(7, "help", 42, "Other source"); },
         static_cast<HRESULT>(0x80040007u), true, "help", "Other source", "Pelmora.hlp"},
        {"running out of memory", [&]() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY_, true, kOutOfMemoryText,
         "Pelmora", ""},
        {"any other exception", [&]() -> HRESULT { throw std::logic_error("broken"); }, E_UNEXPECTED_, true,
         kInternalFailureText, "Pelmora", ""},
        {"not even an exception", [&]() -> HRESULT { throw 5; }, E_UNEXPECTED_, true, kInternalFailureText, "Pelmora",
         ""},
        {"a failed host call", [&]() -> HRESULT { throw HostError(STG_E_WRITEFAULT_, "disk"); }, STG_E_WRITEFAULT_,
         false, "", "", ""},
    };
    for (const Case& c : cases) {
        SetErrorInfo(std::nullopt);
        EXPECT_EQ(AutomationCall(kSource, c.body), c.code) << c.what;
        const std::optional<ErrorRecord> record = TakeErrorInfo();
        ASSERT_EQ(record.has_value(), c.record) << c.what;
        if (!record) continue;
        EXPECT_EQ(record->interfaceId, kSource.interfaceId) << c.what;
        EXPECT_EQ(record->description, c.description) << c.what;
        EXPECT_EQ(record->source, c.source) << c.what;
        EXPECT_EQ(record->helpFile, c.helpFile) << c.what;
        EXPECT_FALSE(TakeErrorInfo()) << "taken once: " << c.what;
    }
}

TEST(AutomationErrorTest, EventsGoToEverySinkInOrderWhateverOneOfThemDoes) {
    struct Sink {
        std::vector<int>* heard;
        int id;
    };
    ConnectionPoint<Sink> point;
    std::vector<int> heard;
    const AdviseCookie first = point.Advise(std::make_shared<Sink>(Sink{&heard, 1}));
    point.Advise(std::make_shared<Sink>(Sink{&heard, 2}));
    point.Advise(std::make_shared<Sink>(Sink{&heard, 3}));
    EXPECT_EQ(point.Advise(nullptr), 0u);
    point.Fire([&](Sink& s) {
        s.heard->push_back(s.id);
        // The first sink goes while the event is under way, and the second fails.
        if (s.id == 1) point.Unadvise(first);
        if (s.id == 2) throw std::runtime_error("sink failed");
    });
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(point.Count(), 2u);
    EXPECT_FALSE(point.Unadvise(first));
}

}  // namespace
}  // namespace zarvento
