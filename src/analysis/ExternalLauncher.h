#pragma once
// Starting the external program set up for "Save Data" after it has written "input_data.txt". The
// program is started detached in the output folder, with no arguments and never through a shell;
// nothing is waited for or read back. The GUI and the tests talk to the ExternalLauncher interface.
#include <string>
#include <vector>

namespace torva {

class ExternalLauncher {
public:
    virtual ~ExternalLauncher() = default;
    // Starts `program` with `folder` as its working directory. False when it does not exist or
    // cannot be started.
    virtual bool Start(const std::string& program, const std::string& folder) = 0;
};

// The real thing: fork and exec of an existing executable file, detached in a session of its own.
// Our own process keeps its current directory.
class ProcessLauncher : public ExternalLauncher {
public:
    bool Start(const std::string& program, const std::string& folder) override;
};

// For tests: records every request and answers with `result`.
class FakeLauncher : public ExternalLauncher {
public:
    struct Request {
        std::string program;
        std::string folder;
    };
    bool Start(const std::string& program, const std::string& folder) override {
        requests.push_back({program, folder});
        return result;
    }
    bool result = true;
    std::vector<Request> requests;
};

} // namespace torva
