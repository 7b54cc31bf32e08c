#ifndef CHILDPROCESS_H
#define CHILDPROCESS_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// A forked copy of the test program that runs `body` and ends with its
// return value as exit code. It never outlives the test: the kernel kills it
// when the test program ends, and the parent kills and reaps it when the
// ChildProcess goes out of scope, so a failed check right after the fork ends
// the test at once instead of leaving it waiting on a paused child.
class ChildProcess
{
public:
    template <typename Body>
    explicit ChildProcess(Body body)
        : m_parent(::getpid())
    {
        m_pid = ::fork();
        if (m_pid != 0)
            return;
        // A parent that ended before prctl took effect would leave the
        // child adopted by another process.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != m_parent)
            ::_exit(127);
        ::_exit(body());
    }

    ~ChildProcess() { end(); }

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // Waits for the child to end by itself and gives its wait status; false
    // when it did not end within `timeoutMs` (it is killed then).
    bool waitForExit(int &status, int timeoutMs = 60000)
    {
        if (!started() || m_reaped)
            return false;
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_reaped = true;
                return true;
            }
            if ((done < 0 && errno != EINTR) || clock.elapsed() > timeoutMs) {
                end();
                return false;
            }
            QThread::msleep(2);
        }
    }

    // Kills the child, if it still runs, and reaps it.
    void end()
    {
        if (!started() || m_reaped)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_reaped = true;
    }

    // How a child that reports back ended, and what it wrote back.
    struct End
    {
        bool killed = false; // ended by SIGKILL
        int exitCode = -1;
        QByteArray said;
    };

    // Runs `body` in a child and waits for it; what `body` returns is sent
    // back through a pipe.
    static End run(const std::function<QByteArray()> &body)
    {
        End end;
        int channel[2];
        if (::pipe(channel) != 0)
            return end;
        ChildProcess child([&] {
            ::close(channel[0]);
            const QByteArray said = body();
            return ::write(channel[1], said.constData(), size_t(said.size())) == ssize_t(said.size()) ? 0 : 1;
        });
        ::close(channel[1]);
        char buffer[4096];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            end.said.append(buffer, int(n));
        ::close(channel[0]);
        int status = 0;
        if (!child.waitForExit(status))
            return end;
        end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return end;
    }

private:
    pid_t m_parent;
    pid_t m_pid = -1;
    bool m_reaped = false;
};

#endif // CHILDPROCESS_H
