// StartProcess: a double fork, so the program runs in its own session and is
// reaped by the system, with a close-on-exec pipe that tells the parent
// whether the program could be run.
#include "platform/processes/process_start.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/core/unique_fd.h"

namespace zarvento {

namespace {

// Only async-signal-safe calls between the fork and the exec.
[[noreturn]] void RunGrandchild(int report, const char* folder, char* const argv[], char* const envp[]) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    int error = 0;
    if (folder != nullptr && ::chdir(folder) != 0) error = errno;
    if (error == 0) {
        ::execve(argv[0], argv, envp);
        error = errno;
    }
    [[maybe_unused]] const ssize_t n = ::write(report, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

ProcessStartResult StartProcess(const ProcessRequest& request) {
    ProcessStartResult r;
    const auto program = ResolveProgram(request.program, request.fallBackToPath, request.fallbackName);
    if (!program) {
        r.error = "program not found: \"" + request.program + "\"";
        return r;
    }
    r.program = *program;
    ChildCommand command(*program, request);
    const std::string folder = request.workingDirectory.string();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        r.error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return r;
    }
    UniqueFd reportRead(fds[0]);
    UniqueFd reportWrite(fds[1]);

    const pid_t child = ::fork();
    if (child < 0) {
        r.error = std::string("cannot start a process: ") + std::strerror(errno);
        return r;
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            RunGrandchild(reportWrite.Get(), folder.empty() ? nullptr : folder.c_str(), command.argv.data(),
                          command.envp.data());
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(reportWrite.Get(), &error, sizeof error);
        }
        ::_exit(0);
    }
    reportWrite.Close();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes at the exec (close-on-exec) or carries the error.
    int error = 0;
    ssize_t n;
    do {
        n = ::read(reportRead.Get(), &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(sizeof error)) {
        r.error = std::string("cannot run ") + program->string() + ": " + std::strerror(error);
        return r;
    }
    r.started = true;
    return r;
}

}  // namespace zarvento
