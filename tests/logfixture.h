#ifndef LOGFIXTURE_H
#define LOGFIXTURE_H

#include "openlog.h"
#include "testdesktop.h"
#include "workfolderfixture.h"

#include <memory>

// The log as the program opens it at start-up (its configuration read, its
// lock taken, its state checked), for a window that is given the open log.
inline std::unique_ptr<OpenLog> openedLog()
{
    auto log = std::make_unique<OpenLog>();
    log->prepareBuffer();
    StatusReport report;
    log->readConfiguration(report);
    log->open();
    return log;
}

// A working folder with a desktop to answer the windows and the open log,
// opened when it is first asked for so that a test writes its files first.
class LogFixture : public WorkFolderFixture
{
public:
    OpenLog &log()
    {
        if (!m_log)
            m_log = openedLog();
        return *m_log;
    }

    TestDesktop desktop;

private:
    std::unique_ptr<OpenLog> m_log;
};

#endif // LOGFIXTURE_H
