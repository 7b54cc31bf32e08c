#include "sharedwork.h"

#include "callrecord.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// It lives as long as the last helper: one that starts after the work is
// done finds nothing left and ends.
struct SharedWork::Batches
{
    Work work;
    qint64 n = 0;
    qint64 size = 1;
    qint64 count = 0;
    std::atomic<qint64> next{0};
    std::atomic<int> busy{0};
    std::mutex mutex;
    std::condition_variable done;

    void drain()
    {
        for (qint64 batch = next.fetch_add(1); batch < count; batch = next.fetch_add(1))
            work(batch * size, qMin(n, (batch + 1) * size));
    }
};

SharedWork::SharedWork(qint64 n, qint64 batch, int threads, Work work)
    : m_batches(std::make_shared<Batches>())
{
    m_batches->work = std::move(work);
    m_batches->n = n;
    m_batches->size = qMax<qint64>(1, batch);
    m_batches->count = n > 0 ? (n + m_batches->size - 1) / m_batches->size : 0;
    const int wanted = threads > 0 ? threads : qMax(1, QThread::idealThreadCount());
    const qint64 helpers = qMin<qint64>(wanted - 1, m_batches->count - 1);
    for (qint64 i = 0; i < helpers; ++i) {
        try {
            std::thread([batches = m_batches] {
                // Busy before taking a batch, so that finish() waits for every batch taken.
                batches->busy.fetch_add(1);
                batches->drain();
                releaseHashContext();
                {
                    const std::lock_guard<std::mutex> lock(batches->mutex);
                    batches->busy.fetch_sub(1);
                }
                batches->done.notify_all();
            }).detach();
        } catch (const std::system_error &) {
            break; // no more threads to be had: fewer share the work
        }
    }
}

SharedWork::~SharedWork()
{
    cancel();
}

void SharedWork::finish()
{
    m_batches->drain();
    wait();
}

void SharedWork::cancel()
{
    m_batches->next.store(m_batches->count);
    wait();
}

void SharedWork::wait()
{
    std::unique_lock<std::mutex> lock(m_batches->mutex);
    m_batches->done.wait(lock, [this] { return m_batches->busy.load() == 0; });
}

void SharedWork::run(qint64 n, qint64 batch, int threads, Work work)
{
    SharedWork(n, batch, threads, std::move(work)).finish();
}
