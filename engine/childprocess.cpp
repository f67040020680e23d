#include "engine/childprocess.h"

#include <QProcess>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace engine {

void tieToProgram(QProcess& p) {
    const pid_t parent = ::getpid();
    p.setChildProcessModifier([parent] {
        // In the child, before the program starts: a process group of its
        // own (so that it and anything it starts can be killed at once), and
        // death with the parent, also when the parent is killed.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        // Whatever descriptor is still inheritable is not passed on.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    });
}

void killProcessTree(QProcess& p) {
    const pid_t pid = pid_t(p.processId());
    if (pid > 0) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
    }
    p.waitForFinished(5000);
}

} // namespace engine
