#include "FinishPool.h"

#include "platform/WorkerThread.h"

FinishPool::FinishPool(size_t threads) {
    m_threads.reserve(threads);
    for (size_t i = 0; i < threads || i == 0; ++i)
        m_threads.push_back(StartWorkerThread([this] { Work(); }));
}

FinishPool::~FinishPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

namespace {
// Files that wait before a thread is woken for them. Where closing is quick, a woken thread then
// finishes several files for one wake-up instead of one; where it is slow, the first files wait
// a few chunks longer.
constexpr size_t kBatch = 8;
} // namespace

void FinishPool::Add(TextOutStream stream) {
    auto job = std::make_unique<Job>();
    job->stream = std::move(stream);
    bool wake;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
        m_inHand = m_jobs.size();
        wake = m_jobs.size() - m_started >= kBatch;
    }
    if (wake) m_wake.notify_one();
}

void FinishPool::Wake() {
    m_wake.notify_all();
}

bool FinishPool::TakeOldest(bool wait, bool& ok, CString& reason) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Job& oldest = *m_jobs.front();
    if (!oldest.done && !wait) return false;
    if (!oldest.done) m_wake.notify_all(); // it may not be started yet
    m_done.wait(lock, [&oldest] { return oldest.done; });
    ok = oldest.ok;
    reason = oldest.stream.GetErrorText();
    m_jobs.pop_front();
    --m_started; // a finished job was taken by a thread
    m_inHand = m_jobs.size();
    return true;
}

// Each thread takes the oldest job not taken yet; the pool stops once every job is finished.
void FinishPool::Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_started < m_jobs.size() || m_bStop; });
        if (m_started == m_jobs.size()) return; // stopping, and nothing left to take
        Job& job = *m_jobs[m_started++];
        lock.unlock();
        const bool ok = job.stream.Finish();
        lock.lock();
        job.ok = ok;
        job.done = true;
        m_done.notify_all();
    }
}
