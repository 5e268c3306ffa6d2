#include "cli/StudyProcesses.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace torva::cli {
namespace {

// Starts `argv[0]` with the arguments; the child's id, or -1 with errno set.
pid_t Spawn(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (failed != 0) {
        errno = failed;
        return -1;
    }
    return pid;
}

std::string HowItEnded(int status) {
    if (WIFSIGNALED(status)) return "ended on signal " + std::to_string(WTERMSIG(status));
    return "ended with exit code " + std::to_string(WEXITSTATUS(status));
}

std::string ThisProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string("torva_fem");
}

} // namespace

bool RunStudyInProcesses(const Study& study, const std::string& studyPath, int workers,
                         const std::function<void(std::size_t, const VariantResult&)>& progress,
                         std::string& error) {
    const std::string program = ThisProgram();
    const std::vector<std::size_t> pending = PendingVariants(study);
    std::map<pid_t, std::size_t> running;
    std::size_t next = 0;
    while (next < pending.size() || !running.empty()) {
        while (next < pending.size() && static_cast<int>(running.size()) < workers) {
            const std::size_t k = pending[next++];
            const pid_t pid = Spawn({program, "study", studyPath, "--variant", std::to_string(k + 1)});
            if (pid < 0) {
                error = "cannot start " + program + ": " + std::strerror(errno);
                for (const auto& child : running) ::waitpid(child.first, nullptr, 0);
                return false;
            }
            running[pid] = k;
        }
        int status = 0;
        const pid_t done = ::waitpid(-1, &status, 0);
        if (done < 0) {
            if (errno == EINTR) continue;
            error = std::string("waiting for the variants: ") + std::strerror(errno);
            return false;
        }
        const auto it = running.find(done);
        if (it == running.end()) continue;
        const std::size_t k = it->second;
        running.erase(it);
        VariantResult result;
        if (!LoadVariantRecord(study, k, result)) {
            // The child could not write its record: keep how it ended, so the study shows it.
            result.values = study.variants[k];
            result.status = 5;
            result.failureMode = "error";
            result.message = "the variant's process " + HowItEnded(status);
            if (!WriteVariantFiles(study, k, result, error)) return false;
        }
        if (progress) progress(k, result);
    }
    return true;
}

bool RunStudyOnCluster(const std::string& studyPath, const std::string& address, std::string& error) {
    const char* old = std::getenv("PYTHONPATH");
    const std::string path = std::string(TORVA_PYTHON_DIR) + (old && *old ? std::string(":") + old : "");
    ::setenv("PYTHONPATH", path.c_str(), 1);
    const pid_t pid = Spawn({TORVA_PYTHON, "-m", "torva.cluster", studyPath, "--scheduler", address});
    if (pid < 0) {
        error = std::string("cannot start ") + TORVA_PYTHON + ": " + std::strerror(errno);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) {
            error = std::string("waiting for the cluster runner: ") + std::strerror(errno);
            return false;
        }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = "the cluster runner " + HowItEnded(status);
    return false;
}

} // namespace torva::cli
