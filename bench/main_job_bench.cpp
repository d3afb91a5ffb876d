// Benchmark of the main job on shafts as CAD systems export them: the wavy
// shaft of the race case (radius 10 rising to 28 over 100 mm, ripples of
// 0.02) as 10 to 20,000 segments, made and planned by scripts outside the
// timing (longitudinal roughing, 2 mm a pass, 0.5 left on the part).
//
// BM_MainJobProcess times what a user waits for: the built program's
// "zarvento program" in a process of its own, its start (loading and
// relocating its libraries), the document opened, the plan synchronised and
// recalculated, every path checked, the program written, and its take-down;
// "peak_MiB" is that process's peak memory. BM_MainJobInProcess times the
// same job inside this process (no start, no take-down), for profiling.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/support/dense_profiles.h"
#include "catalogs/tool_model_text.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "host/zarvento_module.h"
#include "platform/core/process_state.h"
#include "platform/heap/program_heap.h"
#include "platform/processes/loaded_module.h"
#include "platform/processes/module.h"

namespace {

namespace fs = std::filesystem;
using namespace zarvento;

constexpr const char* kMakePart =
    "lsc \"ЛСК-1\"\nprofile shaft.profile\n"
    "panel lsc\n pick \"ЛСК-1\"\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
    "answer spid ok L=105 D=62 Z=2 positions=4 x0=60 z0=40 tool1=\"Резец черновой\" model1=roughing_tool.rdp\n"
    "plan-data\n";

// The standard output and error go nowhere while it lives: the scripts print
// the whole document.
class Quiet {
public:
    Quiet() : out_(dup(1)), err_(dup(2)) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
    ~Quiet() {
        fflush(stdout);
        fflush(stderr);
        dup2(out_, 1);
        dup2(err_, 2);
        close(out_);
        close(err_);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int out_, err_;
};

// The built program's peak memory and wall time are taken from a process of
// its own. A child of this process would count this process's memory up to
// its exec (which a job of 20,000 segments run in process makes large), so the
// children come from a helper forked while this process is still small: it
// runs the program in the folder it is sent and answers its peak in KiB and
// its wall time in microseconds.
class PeakProbe {
public:
    PeakProbe() {
        int toHelper[2], fromHelper[2];
        if (pipe(toHelper) != 0 || pipe(fromHelper) != 0) return;
        helper_ = fork();
        if (helper_ == 0) {
            close(toHelper[1]);
            close(fromHelper[0]);
            Serve(toHelper[0], fromHelper[1]);
            _exit(0);
        }
        close(toHelper[0]);
        close(fromHelper[1]);
        out_ = toHelper[1];
        in_ = fromHelper[0];
    }
    ~PeakProbe() {
        if (helper_ <= 0) return;
        close(out_);
        close(in_);
        waitpid(helper_, nullptr, 0);
    }
    PeakProbe(const PeakProbe&) = delete;
    PeakProbe& operator=(const PeakProbe&) = delete;

    struct Run {
        double peakMiB = -1.0;
        double wallMs = -1.0;
    };
    // The program's job in the folder; negative figures when it could not
    // run or failed.
    Run In(const fs::path& folder) {
        if (helper_ <= 0) return {};
        const std::string request = folder.string() + "\n";
        if (write(out_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return {};
        long kib = -1, us = -1;
        if (!ReadLong(in_, kib) || !ReadLong(in_, us) || kib < 0 || us < 0) return {};
        return {static_cast<double>(kib) / 1024.0, static_cast<double>(us) / 1000.0};
    }

private:
    static bool ReadLine(int fd, std::string& line) {
        line.clear();
        char c = 0;
        while (read(fd, &c, 1) == 1) {
            if (c == '\n') return true;
            line += c;
        }
        return false;
    }
    static bool ReadLong(int fd, long& value) {
        std::string line;
        if (!ReadLine(fd, line)) return false;
        value = std::strtol(line.c_str(), nullptr, 10);
        return true;
    }
    [[noreturn]] static void Serve(int in, int out) {
        std::string folder;
        while (ReadLine(in, folder)) {
            long kib = -1, us = -1;
            const auto start = std::chrono::steady_clock::now();
            const pid_t pid = fork();
            if (pid == 0) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, 1);
                dup2(null, 2);
                if (chdir(folder.c_str()) != 0) _exit(127);
                execl(ZARVENTO_PROGRAM, ZARVENTO_PROGRAM, "program", "part.rdp", "-o", "child.nc",
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            int status = 0;
            rusage usage{};
            if (pid > 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                kib = usage.ru_maxrss;
                us = static_cast<long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                        .count());
            }
            const std::string answer = std::to_string(kib) + "\n" + std::to_string(us) + "\n";
            if (write(out, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) break;
        }
        _exit(0);
    }

    pid_t helper_ = -1;
    int out_ = -1, in_ = -1;
};

PeakProbe* probe = nullptr;

// A command of the program run in process, from the folder of the job.
int Command(std::vector<std::string> args, int (*command)(int, char**)) {
    SetModuleDirectory(fs::current_path());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

// The part of n segments with its plan, in a folder of its own that the
// process works in while it lives.
class ShaftJob {
public:
    explicit ShaftJob(int n)
        : folder_(fs::temp_directory_path() / ("zarvento-main-job-bench-" + std::to_string(n))),
          previous_(fs::current_path()) {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "POSTPROCESSORS");
        fs::current_path(folder_);
        const fs::path source = ZARVENTO_SOURCE_DIR;
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", "POSTPROCESSORS/ISO_Lathe.py3");
        ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing_tool.rdp");
        const test::DenseProfile shaft = test::DenseProfileOf(test::DenseForm::WavyShaft, n, 9);
        std::ofstream("shaft.profile") << shaft.script;
        std::ofstream("make.zsc") << kMakePart;
        std::ofstream("plan.zsc") << "answer turn ok name=\"Черновая\" tool=1 work=" << shaft.first + 1 << "-"
                                  << shaft.last + 1
                                  << " allowance=0.5 cycle.P3=1 cycle.I=2 cycle.P1=0.5 feed=TOOL.FEED1 "
                                     "spin=TOOL.SPIN\ncreate 1\n";
        Quiet quiet;
        ok_ = Command({"zarvento", "run", "--no-tree", "--new", "part.rdp", "make.zsc"}, app::RunScript) == 0 &&
              Command({"zarvento", "run", "--no-tree", "part.rdp", "plan.zsc"}, app::RunScript) == 0;
    }
    ~ShaftJob() {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    ShaftJob(const ShaftJob&) = delete;
    ShaftJob& operator=(const ShaftJob&) = delete;

    bool Ok() const { return ok_; }
    int Run() {
        Quiet quiet;
        return Command({"zarvento", "program", "part.rdp", "-o", "part.nc"}, app::RunProgramJob);
    }
    const fs::path& Folder() const { return folder_; }

private:
    fs::path folder_, previous_;
    bool ok_ = false;
};

void BM_MainJobProcess(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ShaftJob job(n);
    if (!job.Ok()) {
        state.SkipWithError("the part or its plan could not be made");
        return;
    }
    double peak = 0.0;
    for (auto _ : state) {
        const PeakProbe::Run own = probe ? probe->In(job.Folder()) : PeakProbe::Run{};
        if (own.wallMs < 0) {
            state.SkipWithError("the main job failed");
            break;
        }
        state.SetIterationTime(own.wallMs / 1000.0);
        peak = std::max(peak, own.peakMiB);
    }
    state.SetComplexityN(n);
    state.counters["segments"] = n;
    state.counters["peak_MiB"] = peak;
    ResetProcessState();
}
BENCHMARK(BM_MainJobProcess)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_MainJobInProcess(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ShaftJob job(n);
    if (!job.Ok()) {
        state.SkipWithError("the part or its plan could not be made");
        return;
    }
    for (auto _ : state) {
        if (job.Run() != 0) {
            state.SkipWithError("the main job failed");
            break;
        }
    }
    state.SetComplexityN(n);
    state.counters["segments"] = n;
    ResetProcessState();
}
BENCHMARK(BM_MainJobInProcess)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    SetUpProgramHeap();
    PeakProbe peaks;
    probe = &peaks;
    // The library module is linked in: it is started as the host starts it,
    // its attach step wiring every layer.
    DllMain(zarvento::kDllProcessAttach);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        DllMain(zarvento::kDllProcessDetach);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DllMain(zarvento::kDllProcessDetach);
    probe = nullptr;
    return 0;
}
