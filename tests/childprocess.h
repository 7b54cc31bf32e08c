#ifndef CHILDPROCESS_H
#define CHILDPROCESS_H

#include <QByteArray>

#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs a piece of a test in a forked process of its own, so that it can be
// killed at a chosen step, limited, or run as another user. The child never
// outlives the test.
namespace ChildProcess {

struct End
{
    bool killed = false; // ended by SIGKILL
    int exitCode = -1;
    QByteArray said; // what the child wrote back
};

inline End run(const std::function<QByteArray()> &body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(channel[0]);
        const QByteArray said = body();
        const bool written = ::write(channel[1], said.constData(), size_t(said.size())) == ssize_t(said.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    End end;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        end.said.append(buffer, int(n));
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return end;
    end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return end;
}

} // namespace ChildProcess

#endif // CHILDPROCESS_H
