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

}  // namespace kiln::test
