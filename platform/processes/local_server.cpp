// Servers in a process of their own: the client's connection and proxies,
// the server's request loop, and the line protocol between them.
#include "platform/processes/local_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/core/unique_fd.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/process_runner.h"

extern char** environ;

namespace zarvento {

namespace {

using Clock = std::chrono::steady_clock;

// Longer lines are no answer of a server of ours.
constexpr std::size_t kMaxLine = std::size_t{16} << 20;
// How long a server that was let go gets to end by itself.
constexpr std::chrono::milliseconds kEndGrace{1000};
constexpr int kPollStepMs = 10;

LocalServerTimeouts timeouts;

ZARVENTO_STATE_RESET { timeouts = LocalServerTimeouts(); }

// --- the line protocol ---

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

// The fields of a line, unescaped.
std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        line += Escape(fields[i]);
    }
    line += '\n';
    return line;
}

std::string HResultField(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
    return text;
}

HRESULT HResultOf(const std::string& field) {
    unsigned long value = 0;
    try {
        value = std::stoul(field, nullptr, 16);
    } catch (...) {
        return E_FAIL_;
    }
    const HRESULT hr = static_cast<HRESULT>(static_cast<std::uint32_t>(value));
    return hr < 0 ? hr : E_FAIL_;
}

// Object references are written by the side that numbers them.
using ObjectWriter = std::function<std::optional<long long>(const HostObjectPtr&)>;
using ObjectReader = std::function<std::optional<Variant>(long long)>;

std::optional<std::string> EncodeValue(const Variant& v, const ObjectWriter& writeObject) {
    switch (v.Type()) {
        case VarType::Empty: return std::string("E");
        case VarType::I4: return "I" + std::to_string(v.AsI4());
        case VarType::Int: return "N" + std::to_string(v.ChangeType(VarType::I4).AsI4());
        case VarType::R8: return "R" + FormatDouble(v.AsR8());
        case VarType::Bool: return std::string(v.AsBool() ? "B1" : "B0");
        case VarType::BStr: return "S" + v.AsBStr();
        case VarType::Dispatch: {
            if (!v.AsDispatch()) return std::string("O0");
            std::optional<long long> id = writeObject(v.AsDispatch());
            if (!id) return std::nullopt;
            return "O" + std::to_string(*id);
        }
        default: return std::nullopt;
    }
}

std::optional<Variant> DecodeValue(const std::string& field, const ObjectReader& readObject) {
    if (field.empty()) return std::nullopt;
    const std::string_view rest = std::string_view(field).substr(1);
    std::int32_t i = 0;
    double r = 0;
    switch (field[0]) {
        case 'E': return Variant();
        case 'I':
            if (!ParseInt(rest, i)) return std::nullopt;
            return Variant::I4(i);
        case 'N':
            if (!ParseInt(rest, i)) return std::nullopt;
            return Variant::Int(i);
        case 'R':
            if (!ParseDouble(rest, r)) return std::nullopt;
            return Variant::R8(r);
        case 'B':
            if (rest != "0" && rest != "1") return std::nullopt;
            return Variant::Bool(rest == "1");
        case 'S': return Variant::BStr(std::string(rest));
        case 'O': {
            long long id = 0;
            for (char c : rest) {
                if (c < '0' || c > '9' || id > (1LL << 50)) return std::nullopt;
                id = id * 10 + (c - '0');
            }
            if (rest.empty()) return std::nullopt;
            if (id == 0) return Variant::Dispatch(nullptr);
            return readObject(id);
        }
        default: return std::nullopt;
    }
}

// Writes all of `text`; false when the other end is gone, fails or the
// deadline passes (`timedOut` says which).
bool WriteAll(int fd, std::string_view text, Clock::time_point deadline, bool& timedOut) {
    timedOut = false;
    while (!text.empty()) {
        ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) n = ::write(fd, text.data(), text.size());
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                timedOut = true;
                return false;
            }
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
            continue;
        }
        return false;
    }
    return true;
}

enum class ReadStatus { Line, End, TimedOut, Failed };

// Reads up to the next LF into `line` (without it), keeping what follows in
// `buffer`. With `deadline` none, waits as long as it takes (the server).
ReadStatus ReadLine(int fd, std::string& buffer, std::string& line, std::optional<Clock::time_point> deadline) {
    for (;;) {
        const std::size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            line = buffer.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            buffer.erase(0, end + 1);
            return ReadStatus::Line;
        }
        if (buffer.size() > kMaxLine) return ReadStatus::Failed;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            if (left <= 0) return ReadStatus::TimedOut;
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
            if (ready < 0 && errno != EINTR) return ReadStatus::Failed;
            if (ready <= 0) continue;
        }
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            buffer.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return ReadStatus::End;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return ReadStatus::Failed;
        }
    }
}

// Whether the child has ended, without reaping it: until it is reaped its id
// still names its process group, which may then be killed safely.
bool HasEnded(pid_t pid, siginfo_t* info = nullptr) {
    siginfo_t local{};
    siginfo_t& i = info ? *info : local;
    i = siginfo_t{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &i, WEXITED | WNOHANG | WNOWAIT) == 0 && i.si_pid == pid;
}

std::string EndText(const siginfo_t& info) {
    if (info.si_code == CLD_EXITED) return "exit code " + std::to_string(info.si_status);
    return std::string("signal ") + ::strsignal(info.si_status);
}

// --- the client's side ---

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(pid_t pid, UniqueFd fd, std::string program)
        : pid_(pid), fd_(std::move(fd)), program_(std::move(program)) {}
    ~Connection() { End(kEndGrace); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Waits for READY within the start timeout.
    HRESULT AwaitReady(std::string& error) {
        const int ms = GetLocalServerTimeouts().startMs;
        std::string line;
        switch (ReadLine(fd_.Get(), buffer_, line, Clock::now() + std::chrono::milliseconds(ms))) {
            case ReadStatus::Line: {
                const std::vector<std::string> f = Fields(line);
                if (f[0] == "READY") return S_OK_;
                error = f[0] == "FAIL" && f.size() > 1 ? f[1] : "an answer that is no READY: " + line;
                break;
            }
            case ReadStatus::TimedOut: error = "no answer within " + std::to_string(ms) + " ms"; break;
            default: error = "it ended before it was ready"; break;
        }
        error = program_ + ": " + error;
        return Break(CO_E_SERVER_EXEC_FAILURE_, error);
    }

    // One request and its answer: the answer's fields after OK, or the
    // failure (the server's code and description, or the pipe's).
    HRESULT Exchange(const std::vector<std::string>& request, std::vector<std::string>& answer, std::string& error) {
        if (broken_) {
            error = brokenReason_;
            return RPC_E_DISCONNECTED_;
        }
        const int ms = GetLocalServerTimeouts().callMs;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        const auto timeOut = [&] {
            error = program_ + ": no answer within " + std::to_string(ms) + " ms";
            return Break(RPC_E_TIMEOUT_, error);
        };
        const auto gone = [&] {
            error = Gone();
            return Break(RPC_E_DISCONNECTED_, error);
        };
        bool timedOut = false;
        if (!WriteAll(fd_.Get(), Line(request), deadline, timedOut)) return timedOut ? timeOut() : gone();
        std::string line;
        switch (ReadLine(fd_.Get(), buffer_, line, deadline)) {
            case ReadStatus::Line: break;
            case ReadStatus::TimedOut: return timeOut();
            default: return gone();
        }
        std::vector<std::string> f = Fields(line);
        if (f[0] == "OK") {
            answer.assign(f.begin() + 1, f.end());
            return S_OK_;
        }
        if (f[0] == "ERR" && f.size() >= 2) {
            error = f.size() > 2 ? f[2] : std::string();
            return HResultOf(f[1]);
        }
        error = program_ + ": an answer that cannot be read: " + line;
        return Break(RPC_E_DISCONNECTED_, error);
    }

    // Tells the server an object is let go; nothing is waited for.
    void Release(long long id) {
        if (broken_) return;
        bool timedOut = false;
        if (!WriteAll(fd_.Get(), Line({"RELEASE", std::to_string(id)}), Clock::now(), timedOut))
            Break(RPC_E_DISCONNECTED_, Gone());
    }

    std::optional<Variant> Decode(const std::string& field) {
        return DecodeValue(field, [this](long long id) -> std::optional<Variant> { return Proxy(id); });
    }

    std::optional<std::string> Encode(const Variant& v) {
        return EncodeValue(v, [this](const HostObjectPtr& object) -> std::optional<long long> { return IdOf(object); });
    }

    Variant Proxy(long long id);
    std::optional<long long> IdOf(const HostObjectPtr& object) const;

private:
    // Why the pipe failed: the server's end when it has ended (given a
    // moment to do so), else a broken pipe.
    std::string Gone() {
        siginfo_t info{};
        const auto until = Clock::now() + std::chrono::milliseconds(200);
        while (!HasEnded(pid_, &info) && Clock::now() < until) ::poll(nullptr, 0, kPollStepMs);
        if (HasEnded(pid_, &info)) return program_ + ": the server ended (" + EndText(info) + ")";
        return program_ + ": the pipe to the server broke";
    }

    HRESULT Break(HRESULT code, const std::string& reason) {
        broken_ = true;
        brokenReason_ = reason;
        End(std::chrono::milliseconds(0));
        return code;
    }

    // Closes the pipe, gives the server `grace` to end by itself, then kills
    // its process group (what it started goes with it) and reaps it.
    void End(std::chrono::milliseconds grace) {
        fd_.Close();
        if (pid_ <= 0) return;
        const auto until = Clock::now() + grace;
        while (!HasEnded(pid_) && Clock::now() < until) ::poll(nullptr, 0, kPollStepMs);
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);  // in case it left our group for one of its own
        int status = 0;
        pid_t w = 0;
        do {
            w = ::waitpid(pid_, &status, 0);
        } while (w < 0 && errno == EINTR);
        pid_ = -1;
    }

    pid_t pid_;
    UniqueFd fd_;
    std::string program_;
    std::string buffer_;
    bool broken_ = false;
    std::string brokenReason_;
};

// An object of the server, as the client holds it.
class RemoteObject : public AutomationObject {
public:
    RemoteObject(std::shared_ptr<Connection> connection, long long id) : connection_(std::move(connection)), id_(id) {}
    ~RemoteObject() override { connection_->Release(id_); }

    HRESULT Invoke(std::string_view member, const std::vector<Variant>& args, Variant& result) override {
        // Like every host call, a call to the server can be made to fail.
        try {
            HostFaults::Check("LocalServer.Call");
        } catch (const HostError& e) {
            return Fail(e.Code(), e.Message());
        }
        std::vector<std::string> request = {"CALL", std::to_string(id_), std::string(member)};
        for (const Variant& arg : args) {
            std::optional<std::string> field = connection_->Encode(arg);
            if (!field) return Fail(DISP_E_TYPEMISMATCH_, "an argument of " + std::string(member) + " cannot be sent");
            request.push_back(std::move(*field));
        }
        std::vector<std::string> answer;
        std::string error;
        const HRESULT hr = connection_->Exchange(request, answer, error);
        if (hr < 0) return Fail(hr, error);
        std::optional<Variant> value = answer.empty() ? std::nullopt : connection_->Decode(answer[0]);
        if (!value) return Fail(RPC_E_DISCONNECTED_, "an answer of " + std::string(member) + " cannot be read");
        result = std::move(*value);
        return S_OK_;
    }

    const Connection* Of() const { return connection_.get(); }
    long long Id() const { return id_; }

private:
    static HRESULT Fail(HRESULT hr, std::string description) {
        ErrorRecord record;
        record.description = std::move(description);
        SetErrorInfo(std::move(record));
        return hr;
    }

    std::shared_ptr<Connection> connection_;
    long long id_;
};

Variant Connection::Proxy(long long id) {
    return Variant::Dispatch(std::make_shared<RemoteObject>(shared_from_this(), id));
}

std::optional<long long> Connection::IdOf(const HostObjectPtr& object) const {
    const auto* remote = dynamic_cast<const RemoteObject*>(object.get());
    if (!remote || remote->Of() != this) return std::nullopt;
    return remote->Id();
}

// --- the server's side ---

class ServerObjects {
public:
    long long Add(const AutomationObjectPtr& object) {
        auto it = ids_.find(object.get());
        if (it != ids_.end()) return it->second;
        const long long id = next_++;
        objects_[id] = object;
        ids_[object.get()] = id;
        return id;
    }
    AutomationObjectPtr Find(long long id) const {
        auto it = objects_.find(id);
        return it == objects_.end() ? nullptr : it->second;
    }
    void Release(long long id) {
        auto it = objects_.find(id);
        if (it == objects_.end()) return;
        ids_.erase(it->second.get());
        objects_.erase(it);
    }

private:
    std::map<long long, AutomationObjectPtr> objects_;
    std::map<const AutomationObject*, long long> ids_;
    long long next_ = 1;
};

std::vector<std::string> ErrorAnswer(HRESULT hr, std::string description) {
    return {"ERR", HResultField(hr), std::move(description)};
}

std::vector<std::string> Answer(const std::vector<std::string>& request, const LocalClassFactory& create,
                                ServerObjects& objects) {
    const ObjectWriter writeObject = [&](const HostObjectPtr& object) -> std::optional<long long> {
        AutomationObjectPtr automation = std::dynamic_pointer_cast<AutomationObject>(object);
        if (!automation) return std::nullopt;
        return objects.Add(automation);
    };
    const auto ok = [&](const Variant& value) -> std::vector<std::string> {
        std::optional<std::string> field = EncodeValue(value, writeObject);
        if (!field) return ErrorAnswer(DISP_E_TYPEMISMATCH_, "the result cannot be sent");
        return {"OK", std::move(*field)};
    };
    if (request[0] == "CREATE" && request.size() == 2) {
        AutomationObjectPtr object = create(request[1]);
        if (!object) return ErrorAnswer(CLASS_E_CLASSNOTAVAILABLE_, "the server does not serve " + request[1]);
        return ok(Variant::Dispatch(object));
    }
    if (request[0] == "CALL" && request.size() >= 3) {
        long long id = 0;
        try {
            id = std::stoll(request[1]);
        } catch (...) {
            id = 0;
        }
        AutomationObjectPtr object = objects.Find(id);
        if (!object) return ErrorAnswer(RPC_E_DISCONNECTED_, "no object " + request[1]);
        std::vector<Variant> args;
        for (std::size_t k = 3; k < request.size(); ++k) {
            std::optional<Variant> arg = DecodeValue(request[k], [&](long long ref) -> std::optional<Variant> {
                AutomationObjectPtr found = objects.Find(ref);
                if (!found) return std::nullopt;
                return Variant::Dispatch(found);
            });
            if (!arg) return ErrorAnswer(DISP_E_TYPEMISMATCH_, "an argument cannot be read: " + request[k]);
            args.push_back(std::move(*arg));
        }
        SetErrorInfo(std::nullopt);
        Variant result;
        const HRESULT hr = object->Invoke(request[2], args, result);
        if (hr < 0) {
            std::optional<ErrorRecord> record = TakeErrorInfo();
            return ErrorAnswer(hr, record ? record->description : std::string());
        }
        return ok(result);
    }
    return ErrorAnswer(E_INVALIDARG_, "a request that cannot be read");
}

}  // namespace

LocalServerTimeouts GetLocalServerTimeouts() { return timeouts; }

void SetLocalServerTimeouts(const LocalServerTimeouts& t) { timeouts = t; }

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

HRESULT CreateLocalServerObject(std::string_view commandLine, std::string_view clsid, AutomationObjectPtr& object,
                                std::string* error) {
    object.reset();
    std::string reason;
    const auto fail = [&](HRESULT hr) {
        if (error) *error = reason;
        return hr;
    };
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty()) {
        reason = "the class has no server program";
        return fail(CO_E_SERVER_EXEC_FAILURE_);
    }
    const std::optional<std::filesystem::path> program = ResolveProgram(words[0], false, "");
    if (!program) {
        reason = "the server program \"" + words[0] + "\" is not there";
        return fail(CO_E_SERVER_EXEC_FAILURE_);
    }
    words[0] = program->string();

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        reason = std::string("cannot make the pipe: ") + std::strerror(errno);
        return fail(CO_E_SERVER_EXEC_FAILURE_);
    }
    UniqueFd ours(pair[0]), theirs(pair[1]);

    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, theirs.Get(), 0);
    posix_spawn_file_actions_adddup2(&actions, theirs.Get(), 1);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program->c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    theirs.Close();
    if (spawned != 0) {
        reason = "cannot start \"" + program->string() + "\": " + std::strerror(spawned);
        return fail(CO_E_SERVER_EXEC_FAILURE_);
    }
    ::fcntl(ours.Get(), F_SETFL, ::fcntl(ours.Get(), F_GETFL) | O_NONBLOCK);

    auto connection = std::make_shared<Connection>(pid, std::move(ours), program->filename().string());
    HRESULT hr = connection->AwaitReady(reason);
    if (hr < 0) return fail(hr);
    std::vector<std::string> answer;
    hr = connection->Exchange({"CREATE", std::string(clsid)}, answer, reason);
    if (hr < 0) return fail(hr);
    std::optional<Variant> value = answer.empty() ? std::nullopt : connection->Decode(answer[0]);
    if (!value || value->Type() != VarType::Dispatch || !value->AsDispatch()) {
        reason = "the server made no object of " + std::string(clsid);
        return fail(CO_E_SERVER_EXEC_FAILURE_);
    }
    object = std::static_pointer_cast<AutomationObject>(value->AsDispatch());
    return S_OK_;
}

int ServeLocalServer(const LocalClassFactory& create, int in, int out) {
    const auto never = Clock::time_point::max();
    bool timedOut = false;
    if (!WriteAll(out, "READY\n", never, timedOut)) return 1;
    ServerObjects objects;
    std::string buffer, line;
    for (;;) {
        switch (ReadLine(in, buffer, line, std::nullopt)) {
            case ReadStatus::Line: break;
            case ReadStatus::End: return 0;
            default: return 1;
        }
        const std::vector<std::string> request = Fields(line);
        if (request[0] == "RELEASE") {
            if (request.size() == 2) {
                try {
                    objects.Release(std::stoll(request[1]));
                } catch (...) {
                    // A number that cannot be read names no object.
                }
            }
            continue;
        }
        if (!WriteAll(out, Line(Answer(request, create, objects)), never, timedOut)) return 1;
    }
}

void RefuseLocalServerStart(std::string_view reason, int out) {
    bool timedOut = false;
    WriteAll(out, Line({"FAIL", std::string(reason)}), Clock::time_point::max(), timedOut);
}

}  // namespace zarvento
