#ifndef SHAREDWORK_H
#define SHAREDWORK_H

#include <QtGlobal>

#include <functional>
#include <memory>

// Work over [0, n) shared out in batches among helper threads, which start on
// it at once, and the thread that started it, which may do something else
// first; finish() has that thread take its share and wait. It waits only for
// helpers that took a batch, never for one the system has not started yet:
// on a busy machine the one thread does the work alone, no slower than
// without helpers. Each batch is [begin, end), and batches do not overlap.
class SharedWork
{
public:
    using Work = std::function<void(qint64 begin, qint64 end)>;

    // `threads` counts the starting thread; 0 takes every core.
    SharedWork(qint64 n, qint64 batch, int threads, Work work);
    SharedWork(const SharedWork &) = delete;
    SharedWork &operator=(const SharedWork &) = delete;
    ~SharedWork();

    void finish();
    // Leaves the batches not yet taken undone.
    void cancel();

    // The whole of it, shared out; returns when every batch is done.
    static void run(qint64 n, qint64 batch, int threads, Work work);

    struct Batches;

private:
    void wait();

    std::shared_ptr<Batches> m_batches;
};

#endif // SHAREDWORK_H
