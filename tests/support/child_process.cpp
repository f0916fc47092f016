#include "support/child_process.h"

#include <cerrno>

#include <sys/wait.h>
#include <unistd.h>

namespace kiln::test {

int RunInChild(const std::function<int()>& body, bool unprivileged) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (unprivileged && geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(126);
        _exit(body());
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunInChildForReport(const std::function<std::string()>& body, bool unprivileged) {
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    int code = RunInChild(
        [&] {
            close(fds[0]);
            std::string report = body();
            for (size_t done = 0; done < report.size();) {
                ssize_t n = write(fds[1], report.data() + done, report.size() - done);
                if (n <= 0) return 1;
                done += (size_t)n;
            }
            return 0;
        },
        unprivileged);
    close(fds[1]);
    std::string report;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) report.append(buffer, (size_t)n);
    close(fds[0]);
    if (code != 0) report += "child exit code " + std::to_string(code);
    return report;
}

}  // namespace kiln::test
