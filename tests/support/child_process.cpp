#include "support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kiln::test {

std::string RunInChild(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    pid_t pid = fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        close(fds[0]);
        std::string report = body();
        size_t done = 0;
        while (done < report.size()) {
            ssize_t n = write(fds[1], report.data() + done, report.size() - done);
            if (n <= 0) break;
            done += (size_t)n;
        }
        _exit(0);
    }
    close(fds[1]);
    std::string report;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) report.append(buffer, (size_t)n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return report + "child killed by signal " + std::to_string(WTERMSIG(status));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return report + "child failed";
    return report;
}

bool DropRootPrivileges() {
    if (geteuid() != 0) return true;
    const gid_t nobodyGroup = 65534;
    const uid_t nobody = 65534;
    return setgroups(0, nullptr) == 0 && setgid(nobodyGroup) == 0 && setuid(nobody) == 0;
}

}  // namespace kiln::test
