// The one way the system runs external programs (python3, scripts): no shell,
// output read while the child runs, and a timeout that kills the child and
// everything it started.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

struct ProcessRequest {
    // A path, a stored Windows path ("C:\Python39\python.exe") or a bare name
    // looked up on PATH ("python3").
    std::string program;
    std::vector<std::string> arguments;      // argv[1..]; passed as they are
    std::filesystem::path workingDirectory;  // empty: this process's current folder
    // Wait at most this long; then the child's process group gets SIGTERM and,
    // after a short grace, SIGKILL, and the child is reaped. Must be positive.
    std::int64_t timeoutMs = 15000;
    // When `program` names a file that is not there (a path stored on
    // Windows), run the program of this name from PATH instead; an empty name
    // means the program's own file name without ".exe". Off: a missing file
    // is a program that cannot be started.
    bool fallBackToPath = false;
    std::string fallbackName;
    // "NAME=value" entries added to (or replacing in) this process's environment.
    std::vector<std::string> environment;
    // Output kept per stream; the rest is still read (so the child never
    // blocks on a full pipe) and dropped.
    std::size_t maxOutputBytes = std::size_t{16} << 20;
    // The child's stderr goes into the same capture as its stdout, in the
    // order written (a console shows them so).
    bool mergeStderr = false;
    // The child writes to this process's own stdout and stderr; nothing is captured.
    bool inheritOutput = false;
    // When the child ends, whatever it left running in its process group is
    // killed too, so that nothing it started goes on writing into files the
    // caller is about to read. Off: what the child left behind lives on.
    bool endGroupAtExit = false;
};

struct ProcessResult {
    bool started = false;           // false: the program could not be run at all (see error)
    bool timedOut = false;          // killed after the timeout
    int exitCode = -1;              // the child's exit status when it ended by itself
    int signal = 0;                 // the signal that ended it, if one did
    std::string output;             // captured stdout (and stderr when merged)
    std::string errorOutput;        // captured stderr
    bool outputTruncated = false;   // some output exceeded maxOutputBytes
    std::filesystem::path program;  // the file that was run
    std::string error;              // why it did not start, or what went wrong while waiting
    int pid = 0;                    // the child's process id (also its process group)

    // Started, ended by itself, exit code 0.
    bool Succeeded() const { return started && !timedOut && signal == 0 && exitCode == 0; }
};

// What a child is executed with: the program's file and the request's
// arguments, and this process's environment with the request's entries
// applied ("NAME=value" sets, a bare "NAME" removes), as texts and as the
// null-ended arrays of pointers into them the exec calls take.
struct ChildCommand {
    ChildCommand(const std::filesystem::path& program, const ProcessRequest& request);
    ChildCommand(const ChildCommand&) = delete;
    ChildCommand& operator=(const ChildCommand&) = delete;

    std::vector<std::string> argTexts, envTexts;
    std::vector<char*> argv, envp;
};

// Runs the request to its end or its timeout. Never throws for a failing
// program; all outcomes are in the result.
ProcessResult RunProcess(const ProcessRequest& request);

// The executable file `name` in a folder of PATH (a name with a separator is
// not looked up).
std::optional<std::filesystem::path> FindProgramOnPath(std::string_view name);

// The file RunProcess would run for `program` (see ProcessRequest), or none.
std::optional<std::filesystem::path> ResolveProgram(std::string_view program, bool fallBackToPath,
                                                    std::string_view fallbackName);

}  // namespace zarvento
