#include "analysis/ExternalLauncher.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace torva {

bool ProcessLauncher::Start(const std::string& program, const std::string& folder) {
    std::error_code ignored;
    // The child changes into `folder` before exec, so a relative name must be resolved here.
    const std::string path = std::filesystem::absolute(program, ignored).string();
    struct stat status {};
    if (path.empty() || stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;

    // Everything the children need is prepared before fork: after it only async-signal-safe calls.
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const char* directory = folder.c_str();
    int report[2]; // the grandchild writes errno here when exec fails; exec closes it on success
    if (pipe2(report, O_CLOEXEC) != 0) return false;

    const pid_t middle = fork();
    if (middle < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (middle == 0) {
        // The middle child starts a new session and exits at once, so the program is adopted by init
        // and never becomes a zombie of ours.
        close(report[0]);
        setsid();
        const pid_t child = fork();
        if (child == 0) {
            if (chdir(directory) != 0) {
                // Not being able to enter the folder does not stop the launch.
            }
            execve(argv[0], argv, environ);
        }
        if (child <= 0) {
            const int code = errno;
            [[maybe_unused]] const ssize_t ignoredWrite = write(report[1], &code, sizeof code);
        }
        _exit(child < 0 ? 1 : 0);
    }

    close(report[1]);
    int code = 0;
    ssize_t got;
    do got = read(report[0], &code, sizeof code);
    while (got < 0 && errno == EINTR);
    close(report[0]);
    int middleStatus = 0;
    while (waitpid(middle, &middleStatus, 0) < 0 && errno == EINTR) {
    }
    return got == 0; // end of file without a report: exec succeeded
}

} // namespace torva
