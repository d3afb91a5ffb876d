// RunProcess over posix_spawn: the child gets its own process group (so a
// timeout can kill what it started too), /dev/null as stdin, and pipes for
// its output, which the parent drains under one deadline.
#include "platform/processes/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

#include "platform/core/stored_path.h"
#include "platform/core/unique_fd.h"

extern char** environ;

namespace zarvento {

namespace {

using Clock = std::chrono::steady_clock;

// How long a timed-out child gets to end after SIGTERM before SIGKILL.
constexpr std::chrono::milliseconds kTerminateGrace{200};
// Poll step when the kernel gives no process descriptor to wait on.
constexpr int kPollStepMs = 10;
// Reads per wake-up, so a child that writes without pause cannot keep the
// loop from looking at the clock.
constexpr int kReadsPerWake = 16;
// Bound of the final reading after the child has ended, should something it
// started go on writing.
constexpr int kDrainPasses = 64;

bool IsExecutableFile(const std::filesystem::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

// The stored program's file name without a ".exe" of any case.
std::string BaseProgramName(std::string_view program) {
    const std::size_t slash = program.find_last_of("\\/");
    std::string name(slash == std::string_view::npos ? program : program.substr(slash + 1));
    if (HasDriveLetter(name)) name.erase(0, 2);
    if (name.size() > 4) {
        std::string ext = name.substr(name.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".exe") name.resize(name.size() - 4);
    }
    return name;
}

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

bool MakePipe(Pipe& p, std::string& error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    p.read = UniqueFd(fds[0]);
    p.write = UniqueFd(fds[1]);
    // Only our end is non-blocking: the child's writes must block, not fail.
    ::fcntl(p.read.Get(), F_SETFL, ::fcntl(p.read.Get(), F_GETFL) | O_NONBLOCK);
    return true;
}

// One captured stream of the child.
struct Capture {
    UniqueFd fd;
    std::string* sink;
};

// Reads what the pipe holds now; closes it at end of file.
void ReadAvailable(Capture& c, std::size_t limit, bool& truncated) {
    char buffer[65536];
    for (int i = 0; i < kReadsPerWake && c.fd.IsOpen(); ++i) {
        const ssize_t n = ::read(c.fd.Get(), buffer, sizeof buffer);
        if (n > 0) {
            const std::size_t room = limit - std::min(limit, c.sink->size());
            const std::size_t keep = std::min(room, static_cast<std::size_t>(n));
            c.sink->append(buffer, keep);
            if (keep < static_cast<std::size_t>(n)) truncated = true;
        } else if (n == 0) {
            c.fd.Close();
        } else if (errno == EINTR) {
            continue;
        } else {
            if (errno != EAGAIN && errno != EWOULDBLOCK) c.fd.Close();
            return;
        }
    }
}

int OpenProcessFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void RecordStatus(ProcessResult& r, int status) {
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
}

bool HasExited(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// While a child runs, this process adopts what the child's descendants
// leave orphaned: a daemon that forked twice and called setsid() is still
// found among our own children then, and ended with the rest.
class AdoptOrphans {
public:
    AdoptOrphans() {
        int was = 0;
        if (::prctl(PR_GET_CHILD_SUBREAPER, &was) == 0) was_ = was;
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        const pid_t self = ::getpid();
        for (const Entry& e : Processes())
            if (e.parent == self) before_.insert(e.pid);
    }
    ~AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, was_); }
    AdoptOrphans(const AdoptOrphans&) = delete;
    AdoptOrphans& operator=(const AdoptOrphans&) = delete;

    // Ends everything the child started, in its group or out of it, and
    // reaps what of it became ours. The child itself is left to its caller.
    void EndDescendantsOf(pid_t child) const {
        const pid_t self = ::getpid();
        // A process may fork once more between a look and its kill; its
        // children then come to us and are found by the next look.
        for (int pass = 0; pass < kEndPasses; ++pass) {
            const std::vector<Entry> table = Processes();
            std::vector<pid_t> tree{child};
            for (const Entry& e : table)
                if (e.parent == self && e.pid != child && !before_.count(e.pid)) tree.push_back(e.pid);
            // Everything below those, level by level.
            for (std::size_t i = 0; i < tree.size(); ++i)
                for (const Entry& e : table)
                    if (e.parent == tree[i]) tree.push_back(e.pid);
            bool living = false;
            for (const Entry& e : table) {
                if (e.pid == child || std::find(tree.begin(), tree.end(), e.pid) == tree.end()) continue;
                if (!e.zombie) {
                    ::kill(e.pid, SIGKILL);
                    living = true;
                }
                // Ours are reaped here; the others by their parents, or by
                // us once those have gone and left them to us.
                if (e.parent == self) {
                    while (::waitpid(e.pid, nullptr, 0) < 0 && errno == EINTR) {
                    }
                }
            }
            if (!living) return;
        }
    }

private:
    static constexpr int kEndPasses = 64;

    struct Entry {
        pid_t pid, parent;
        bool zombie;
    };

    // Every process the system lists in /proc.
    static std::vector<Entry> Processes() {
        std::vector<Entry> table;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            std::ifstream stat(entry.path() / "stat");
            std::string text;
            if (!std::getline(stat, text)) continue;
            // "pid (name) state ppid ...": the name may hold blanks and brackets.
            const std::size_t close = text.rfind(')');
            if (close == std::string::npos || close + 4 > text.size()) continue;
            const char state = text[close + 2];
            table.push_back({static_cast<pid_t>(std::atol(name.c_str())),
                             static_cast<pid_t>(std::atol(text.c_str() + close + 4)), state == 'Z' || state == 'X'});
        }
        return table;
    }

    int was_ = 0;
    std::set<pid_t> before_;
};

// Ends a timed-out child and its process group. The child is reaped only after
// the group is killed, so its id, which names the group, cannot be reused
// by an unrelated process in between.
void Terminate(pid_t pid, const AdoptOrphans& adopted, ProcessResult& r) {
    ::kill(-pid, SIGTERM);
    const auto until = Clock::now() + kTerminateGrace;
    while (!HasExited(pid) && Clock::now() < until) ::poll(nullptr, 0, kPollStepMs);
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);  // in case the child left our group for one of its own
    adopted.EndDescendantsOf(pid);
    int status = 0;
    pid_t w = 0;
    do {
        w = ::waitpid(pid, &status, 0);
    } while (w < 0 && errno == EINTR);
    if (w == pid) RecordStatus(r, status);
}

void ReadAll(Capture (&captures)[2], const ProcessRequest& request, ProcessResult& r) {
    for (auto& c : captures) ReadAvailable(c, request.maxOutputBytes, r.outputTruncated);
}

// Polls the open captures (and the process descriptor, when there is one)
// for at most `waitMs`.
int PollCaptures(Capture (&captures)[2], const UniqueFd& processFd, int waitMs) {
    pollfd fds[3];
    nfds_t n = 0;
    for (auto& c : captures) {
        if (c.fd.IsOpen()) fds[n++] = pollfd{c.fd.Get(), POLLIN, 0};
    }
    if (processFd.IsOpen()) fds[n++] = pollfd{processFd.Get(), POLLIN, 0};
    return ::poll(fds, n, waitMs);
}

// Reads what the pipes still hold once the child has ended. What its own
// children write later is not waited for.
void DrainCaptures(Capture (&captures)[2], const ProcessRequest& request, ProcessResult& r) {
    const UniqueFd none;
    for (int pass = 0; pass < kDrainPasses && PollCaptures(captures, none, 0) > 0; ++pass)
        ReadAll(captures, request, r);
}

// Reads the child's output until it ends or the deadline passes; a child
// still running then is terminated.
void WaitForChild(pid_t pid, const AdoptOrphans& adopted, Capture (&captures)[2], const ProcessRequest& request,
                  ProcessResult& r) {
    const UniqueFd processFd(OpenProcessFd(pid));
    const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeoutMs);
    for (;;) {
        // The group goes while the child, ended but not yet reaped, still
        // holds its id: no other process can have taken it. So does what
        // left the group for a session of its own.
        if (request.endGroupAtExit && HasExited(pid)) {
            ::kill(-pid, SIGKILL);
            adopted.EndDescendantsOf(pid);
        }
        int status = 0;
        pid_t w = 0;
        do {
            w = ::waitpid(pid, &status, WNOHANG);
        } while (w < 0 && errno == EINTR);
        if (w == pid || w < 0) {
            if (w == pid) {
                RecordStatus(r, status);
            } else {
                r.error = std::string("lost the child process: ") + std::strerror(errno);
            }
            DrainCaptures(captures, request, r);
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            r.timedOut = true;
            r.error = "the process did not end within " + std::to_string(request.timeoutMs) + " ms";
            Terminate(pid, adopted, r);
            DrainCaptures(captures, request, r);
            return;
        }
        // Without a process descriptor the end of the child is noticed by looking again soon.
        const long long step = processFd.IsOpen() ? left : std::min<long long>(left, kPollStepMs);
        if (PollCaptures(captures, processFd, static_cast<int>(std::min<long long>(step, 1 << 30))) < 0 &&
            errno != EINTR) {
            ::poll(nullptr, 0, kPollStepMs);
        }
        ReadAll(captures, request, r);
    }
}

}  // namespace

std::optional<std::filesystem::path> FindProgramOnPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
    const char* env = std::getenv("PATH");
    const std::string_view path = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find(':', pos);
        if (end == std::string_view::npos) end = path.size();
        // An empty entry would mean the current folder: never search it implicitly.
        if (end > pos) {
            std::filesystem::path candidate = std::filesystem::path(std::string(path.substr(pos, end - pos))) / name;
            if (IsExecutableFile(candidate)) return candidate;
        }
        pos = end + 1;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> ResolveProgram(std::string_view program, bool fallBackToPath,
                                                    std::string_view fallbackName) {
    if (program.empty()) return std::nullopt;
    const std::string fallback = fallbackName.empty() ? BaseProgramName(program) : std::string(fallbackName);
    if (program.find_first_of("\\/") == std::string_view::npos && !HasDriveLetter(program)) {
        if (auto found = FindProgramOnPath(program)) return found;
        return fallBackToPath ? FindProgramOnPath(fallback) : std::nullopt;
    }
    std::filesystem::path file = StoredPathToPath(program);
    // A file that is there but cannot be run is reported as such, not replaced.
    // Absolute, because the child changes its folder before the program is loaded.
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return std::filesystem::absolute(file, ec);
    return fallBackToPath ? FindProgramOnPath(fallback) : std::nullopt;
}

ChildCommand::ChildCommand(const std::filesystem::path& program, const ProcessRequest& request) {
    argTexts.push_back(program.string());
    argTexts.insert(argTexts.end(), request.arguments.begin(), request.arguments.end());
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) envTexts.emplace_back(*e);
    for (const auto& change : request.environment) {
        const std::size_t eq = change.find('=');
        const std::string prefix = change.substr(0, eq) + "=";
        std::erase_if(envTexts, [&](const std::string& t) { return t.compare(0, prefix.size(), prefix) == 0; });
        if (eq != std::string::npos) envTexts.push_back(change);
    }
    const auto pointersInto = [](std::vector<std::string>& texts) {
        std::vector<char*> p;
        p.reserve(texts.size() + 1);
        for (auto& t : texts) p.push_back(t.data());
        p.push_back(nullptr);
        return p;
    };
    argv = pointersInto(argTexts);
    envp = pointersInto(envTexts);
}

ProcessResult RunProcess(const ProcessRequest& request) {
    ProcessResult r;
    if (request.timeoutMs <= 0) {
        r.error = "the timeout of a process must be positive";
        return r;
    }
    const auto program = ResolveProgram(request.program, request.fallBackToPath, request.fallbackName);
    if (!program) {
        r.error = "program not found: \"" + request.program + "\"";
        return r;
    }
    r.program = *program;
    if (!request.workingDirectory.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(request.workingDirectory, ec)) {
            r.error = "working directory not found: \"" + request.workingDirectory.string() + "\"";
            return r;
        }
    }

    Pipe out, err;
    const bool capture = !request.inheritOutput;
    if (capture && (!MakePipe(out, r.error) || (!request.mergeStderr && !MakePipe(err, r.error)))) return r;

    ChildCommand command(*program, request);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture) {
        posix_spawn_file_actions_adddup2(&actions, out.write.Get(), 1);
        posix_spawn_file_actions_adddup2(&actions, request.mergeStderr ? out.write.Get() : err.write.Get(), 2);
    }
    // Descriptors of the host that lack close-on-exec must not leak into the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!request.workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, request.workingDirectory.c_str());
    }
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const AdoptOrphans adopted;
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program->c_str(), &actions, &attr, command.argv.data(), command.envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    // Our copies of the write ends go now: end of file must come when the child's do.
    out.write.Close();
    err.write.Close();
    if (spawned != 0) {
        r.error = "cannot start \"" + program->string() + "\": " + std::strerror(spawned);
        return r;
    }
    r.started = true;
    r.pid = pid;

    Capture captures[2] = {{std::move(out.read), &r.output}, {std::move(err.read), &r.errorOutput}};
    WaitForChild(pid, adopted, captures, request, r);
    return r;
}

}  // namespace zarvento
