#ifndef PREPAREDRUNS_H
#define PREPAREDRUNS_H

#include <QtGlobal>

#include <map>
#include <mutex>
#include <utility>

// What a scan's threads made from runs of records, each keyed by the slot of
// its run's first record, kept until the visitor takes it in file order.
template <typename Made>
class PreparedRuns
{
public:
    // From any thread.
    void put(qint64 first, Made made)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_made.emplace(first, std::move(made));
    }

    // Hands `take` what was made from the records of slots before
    // `first + n`, in slot order, and forgets it.
    template <typename Take>
    void takeUpTo(qint64 first, qint64 n, Take take)
    {
        for (;;) {
            Made made;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                const auto next = m_made.begin();
                if (next == m_made.end() || next->first >= first + n)
                    return;
                made = std::move(next->second);
                m_made.erase(next);
            }
            take(made);
        }
    }

private:
    std::mutex m_mutex;
    std::map<qint64, Made> m_made;
};

#endif // PREPAREDRUNS_H
