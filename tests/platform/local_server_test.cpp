// Servers in a process of their own: the client against small shell servers
// that answer, fail, end or hang on purpose, and the server's request loop
// driven over a socket pair.
#include "platform/processes/local_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/core/text_file.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_registry.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Clock = std::chrono::steady_clock;
using test::TempDir;

constexpr const char* kClassId = "{0D6C4B7E-1A2B-4C3D-8E9F-0A1B2C3D4E5F}";

// Answers by member name; "Echo" sends its first argument's field back as
// the value, so a value makes the whole way out and back.
constexpr const char* kCannedServer = R"(#!/bin/sh
tab=$(printf '\t')
echo $$ > "$1"
printf 'READY\n'
while IFS="$tab" read -r kind obj member arg; do
  case "$kind" in
    CREATE) printf 'OK\tO1\n' ;;
    RELEASE) echo "$obj" >> "$1.released" ;;
    CALL)
      case "$member" in
        Number) printf 'OK\tI42\n' ;;
        Text) printf 'OK\tSline\\none\\ttab\n' ;;
        Child) printf 'OK\tO2\n' ;;
        Nothing) printf 'OK\tO0\n' ;;
        Echo) printf 'OK\t%s\n' "$arg" ;;
        Fail) printf 'ERR\t80020003\tno such member here\n' ;;
        Hang) sleep 30 ;;
        Crash) kill -9 $$ ;;
        *) printf 'garbage\n' ;;
      esac ;;
  esac
done
)";

class LocalServerTest : public test::CleanStateTest {
protected:
    std::string Script(const std::string& name, const std::string& text) {
        const auto path = dir_ / name;
        EXPECT_TRUE(WriteFileAtomic(path, text).ok);
        std::filesystem::permissions(path, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        return path.string();
    }
    std::string Canned() { return "\"" + Script("canned server.sh", kCannedServer) + "\" \"" + PidFile() + "\""; }
    std::string PidFile() const { return (dir_ / "server.pid").string(); }
    int ServerPid() const {
        std::ifstream in(PidFile());
        int pid = 0;
        in >> pid;
        return pid;
    }
    // A killed server is torn down a moment after the signal, longer on a busy machine.
    // No pid written: the server was ended before it got that far (a busy
    // machine may take longer to start a shell than a short timeout).
    static bool Gone(int pid) {
        if (pid <= 0) return true;
        const auto until = Clock::now() + std::chrono::seconds(15);
        while (::kill(pid, 0) == 0) {
            if (Clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    TempDir dir_;
};

TEST_F(LocalServerTest, CommandLinesSplitAtBlanksOutsideQuotes) {
    EXPECT_EQ(SplitCommandLine(""), std::vector<std::string>{});
    EXPECT_EQ(SplitCommandLine("/bin/server"), std::vector<std::string>{"/bin/server"});
    EXPECT_EQ(SplitCommandLine("  \"/opt/my server/run\"  --database \"a b.db\" -x"),
              (std::vector<std::string>{"/opt/my server/run", "--database", "a b.db", "-x"}));
    EXPECT_EQ(SplitCommandLine("\"\" x"), (std::vector<std::string>{"", "x"}));
}

TEST_F(LocalServerTest, ValuesAndObjectsMakeTheWayThereAndBack) {
    AutomationObjectPtr server;
    ASSERT_EQ(CreateLocalServerObject(Canned(), kClassId, server), S_OK_);
    ASSERT_TRUE(server);
    EXPECT_EQ(CallMember(*server, "Number"), Variant::I4(42));
    EXPECT_EQ(CallMember(*server, "Text"), Variant::BStr("line\none\ttab"));
    for (const Variant& v :
         {Variant(), Variant::I4(-7), Variant::Int(3), Variant::R8(0.1), Variant::R8(-2.5e-12), Variant::Bool(true),
          Variant::Bool(false), Variant::BStr("a\tb\nc\\d\r"), Variant::BStr("Сталь 45 ГОСТ 1050-2013")})
        EXPECT_EQ(CallMember(*server, "Echo", {v}), v) << v.DumpText();

    const AutomationObjectPtr child = AutomationObjectOf(CallMember(*server, "Child"));
    ASSERT_TRUE(child);
    EXPECT_EQ(CallMember(*child, "Number"), Variant::I4(42));
    // An object of the server goes back to it as its number.
    const AutomationObjectPtr echoed = AutomationObjectOf(CallMember(*server, "Echo", {Variant::Dispatch(child)}));
    ASSERT_TRUE(echoed);
    EXPECT_EQ(CallMember(*echoed, "Number"), Variant::I4(42));
    EXPECT_EQ(AutomationObjectOf(CallMember(*server, "Nothing")), nullptr);

    // Objects of this process cannot be sent.
    Variant result;
    EXPECT_EQ(server->Invoke("Echo", {Variant::Dispatch(std::make_shared<HostObject>())}, result),
              DISP_E_TYPEMISMATCH_);
}

TEST_F(LocalServerTest, TheServersFailureComesWithItsDescriptionAndTheServerStays) {
    AutomationObjectPtr server;
    ASSERT_EQ(CreateLocalServerObject(Canned(), kClassId, server), S_OK_);
    const HostError e = test::CaughtHostError([&] { CallMember(*server, "Fail"); });
    EXPECT_EQ(e.Code(), DISP_E_MEMBERNOTFOUND_);
    EXPECT_NE(std::string(e.what()).find("no such member here"), std::string::npos);
    EXPECT_EQ(CallMember(*server, "Number"), Variant::I4(42));
    // An answer that cannot be read ends the server.
    EXPECT_EQ(test::ErrorCodeOf([&] { CallMember(*server, "Unknown"); }), RPC_E_DISCONNECTED_);
    EXPECT_TRUE(Gone(ServerPid()));
}

TEST_F(LocalServerTest, TheServerEndsWhenTheLastObjectIsLetGo) {
    AutomationObjectPtr server;
    ASSERT_EQ(CreateLocalServerObject(Canned(), kClassId, server), S_OK_);
    AutomationObjectPtr child = AutomationObjectOf(CallMember(*server, "Child"));
    const int pid = ServerPid();
    server.reset();
    EXPECT_EQ(CallMember(*child, "Number"), Variant::I4(42));
    EXPECT_EQ(::kill(pid, 0), 0);
    child.reset();
    EXPECT_TRUE(Gone(pid));
    const FileReadResult released = ReadFileBytes(PidFile() + ".released");
    EXPECT_EQ(released.text, "1\n2\n");
}

TEST_F(LocalServerTest, AServerThatCannotStartIsAFailedCreationWithItsReason) {
    struct Case {
        std::string commandLine;
        std::string reason;
    };
    const Case cases[] = {
        {"", "no server program"},
        {(dir_ / "missing-server").string(), "is not there"},
        {Script("refuses.sh", "#!/bin/sh\nprintf 'FAIL\\tno materials database /x.db\\n'\nexit 1\n"),
         "no materials database /x.db"},
        {Script("ends.sh", "#!/bin/sh\nexit 3\n"), "ended before it was ready"},
        {Script("chatters.sh", "#!/bin/sh\necho hello\n"), "no READY: hello"},
    };
    for (const Case& c : cases) {
        AutomationObjectPtr server;
        std::string error;
        EXPECT_EQ(CreateLocalServerObject(c.commandLine, kClassId, server, &error), CO_E_SERVER_EXEC_FAILURE_)
            << c.commandLine;
        EXPECT_EQ(server, nullptr);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST_F(LocalServerTest, AServerThatNeverSaysReadyIsGivenUpAndEnded) {
    SetLocalServerTimeouts({300, 300});
    const std::string script = Script("silent.sh", "#!/bin/sh\necho $$ > \"$1\"\nsleep 30\n");
    AutomationObjectPtr server;
    std::string error;
    // Given up at the timeout, not at the end of its sleep.
    EXPECT_EQ(CreateLocalServerObject("\"" + script + "\" \"" + PidFile() + "\"", kClassId, server, &error),
              CO_E_SERVER_EXEC_FAILURE_);
    EXPECT_NE(error.find("no answer within 300 ms"), std::string::npos) << error;
    EXPECT_TRUE(Gone(ServerPid()));
}

TEST_F(LocalServerTest, AServerThatHangsOrCrashesInACallFailsItAndAnswersNoMore) {
    SetLocalServerTimeouts({LocalServerTimeouts{}.startMs, 300});
    AutomationObjectPtr server;
    ASSERT_EQ(CreateLocalServerObject(Canned(), kClassId, server), S_OK_);
    const HostError hang = test::CaughtHostError([&] { CallMember(*server, "Hang"); });
    EXPECT_EQ(hang.Code(), RPC_E_TIMEOUT_);
    EXPECT_TRUE(Gone(ServerPid()));
    EXPECT_EQ(test::ErrorCodeOf([&] { CallMember(*server, "Number"); }), RPC_E_DISCONNECTED_);

    // A crash is told by the server's end, however long a busy machine takes to end it.
    SetLocalServerTimeouts(LocalServerTimeouts{});
    ASSERT_EQ(CreateLocalServerObject(Canned(), kClassId, server), S_OK_);
    const HostError crash = test::CaughtHostError([&] { CallMember(*server, "Crash"); });
    EXPECT_EQ(crash.Code(), RPC_E_DISCONNECTED_);
    EXPECT_NE(std::string(crash.what()).find("the server ended (signal"), std::string::npos) << crash.what();
    EXPECT_TRUE(Gone(ServerPid()));
}

TEST_F(LocalServerTest, TheRegistryStartsAClassOfAServerProgram) {
    ClassRegistration entry;
    entry.clsid = kClassId;
    entry.progId = "Test.LocalServer.1";
    entry.typeName = "A server of its own";
    entry.localServer = Canned();
    ComponentRegistry::RegisterClass(entry);
    const std::string key = std::string("HKCR\\CLSID\\") + kClassId;
    EXPECT_EQ(HostRegistry::Instance().Text(key + "\\LocalServer32"), entry.localServer);
    EXPECT_FALSE(HostRegistry::Instance().KeyExists(key + "\\InprocServer32"));
    EXPECT_EQ(ComponentRegistry::LocalServerOfClass(kClassId), entry.localServer);

    std::shared_ptr<HostObject> object;
    ASSERT_EQ(ComponentRegistry::CreateInstance("Test.LocalServer.1", object), S_OK_);
    auto server = std::dynamic_pointer_cast<AutomationObject>(object);
    ASSERT_TRUE(server);
    EXPECT_EQ(CallMember(*server, "Number"), Variant::I4(42));

    std::string error;
    EXPECT_EQ(ComponentRegistry::CreateInstance("{11111111-2222-3333-4444-555555555555}", object, &error),
              REGDB_E_CLASSNOTREG_);
    entry.localServer = (dir_ / "gone").string();
    ComponentRegistry::RegisterClass(entry);
    EXPECT_EQ(ComponentRegistry::CreateInstance(kClassId, object, &error), CO_E_SERVER_EXEC_FAILURE_);
    EXPECT_NE(error.find("is not there"), std::string::npos);
}

// --- the server's loop ---

class Counter : public AutomationObject {
public:
    HRESULT Invoke(std::string_view member, const std::vector<Variant>& args, Variant& result) override {
        return InvokeBody({"{counter}", "Counter", ""}, result, [&]() -> Variant {
            if (member == "Add") return Variant::I4(count += args.at(0).ToI4());
            if (member == "Same") return Variant::Dispatch(shared_from_this());
            if (member == "Other") return Variant::Dispatch(std::make_shared<Counter>());
            if (member == "Refuse") throw DispatchException(7, "refused: " + args.at(0).ToBStr());
            throw HostError(DISP_E_MEMBERNOTFOUND_);
        });
    }
    int count = 0;
};

class ServerLoop : public ::testing::Test {
protected:
    void SetUp() override {
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        client_ = pair[0];
        server_ = std::thread([fd = pair[1], this] {
            result_ = ServeLocalServer(
                [](std::string_view clsid) -> AutomationObjectPtr {
                    return clsid == "{counter}" ? std::make_shared<Counter>() : nullptr;
                },
                fd, fd);
            ::close(fd);
        });
        EXPECT_EQ(Answer(), "READY");
    }
    void TearDown() override {
        if (client_ >= 0) ::close(client_);
        server_.join();
    }
    void Send(const std::string& line) { ASSERT_EQ(::write(client_, line.data(), line.size()), (ssize_t)line.size()); }
    std::string Answer() {
        std::string line;
        char c = 0;
        while (::read(client_, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    std::string Ask(const std::string& line) {
        Send(line + "\n");
        return Answer();
    }

    int client_ = -1;
    int result_ = -1;
    std::thread server_;
};

TEST_F(ServerLoop, AnswersRequestsNumbersObjectsAndEndsWithTheClient) {
    EXPECT_EQ(Ask("CREATE\t{nothing}"), "ERR\t80040111\tthe server does not serve {nothing}");
    EXPECT_EQ(Ask("CREATE\t{counter}"), "OK\tO1");
    EXPECT_EQ(Ask("CALL\t1\tAdd\tI5"), "OK\tI5");
    EXPECT_EQ(Ask("CALL\t1\tAdd\tS2"), "OK\tI7");
    EXPECT_EQ(Ask("CALL\t1\tSame"), "OK\tO1");
    EXPECT_EQ(Ask("CALL\t1\tOther"), "OK\tO2");
    EXPECT_EQ(Ask("CALL\t2\tAdd\tI1"), "OK\tI1");
    EXPECT_EQ(Ask("CALL\t1\tRefuse\tSa\\tb"), "ERR\t80040007\trefused: a\\tb");
    EXPECT_EQ(Ask("CALL\t1\tWhat"), "ERR\t80020003\t");
    EXPECT_EQ(Ask("CALL\t1\tAdd\tQ1"), "ERR\t80020005\tan argument cannot be read: Q1");
    EXPECT_EQ(Ask("CALL\t1\tAdd\tO9"), "ERR\t80020005\tan argument cannot be read: O9");
    EXPECT_EQ(Ask("HELLO"), "ERR\t80070057\ta request that cannot be read");
    Send("RELEASE\t2\n");
    EXPECT_EQ(Ask("CALL\t2\tAdd\tI1"), "ERR\t80010108\tno object 2");
    ::close(client_);
    client_ = -1;
    server_.join();
    server_ = std::thread([] {});
    EXPECT_EQ(result_, 0);
}

}  // namespace
}  // namespace zarvento
