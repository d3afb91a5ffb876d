// The scaffold of the operation benchmarks: a connected host with an active
// part, a scratch host folder and an operation runner, torn down (process
// state reset, folder removed) when the session goes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "../tests/operations/operation_runner.h"
#include "platform/core/host_folder.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"

namespace zarvento::bench {

class RunnerSession {
public:
    explicit RunnerSession(const std::string& folderName)
        : folder_(std::filesystem::temp_directory_path() / folderName) {
        ResetProcessState();
        std::filesystem::create_directories(folder_);
        SetHostFolder(folder_);
        ConnectHostApplication().Documents().Add(DocumentType::Part);
        runner_ = std::make_unique<test::OperationRunner>();
    }
    ~RunnerSession() {
        runner_.reset();
        ResetProcessState();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    RunnerSession(const RunnerSession&) = delete;
    RunnerSession& operator=(const RunnerSession&) = delete;

    test::OperationRunner& Runner() { return *runner_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<test::OperationRunner> runner_;
};

}  // namespace zarvento::bench
