#include "FinishPool.h"

#include "platform/WorkerThread.h"

#include <system_error>

FinishPool::FinishPool(size_t threads) : m_maxThreads(threads > 0 ? threads : 1) {
    m_threads.reserve(m_maxThreads);
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
// Files that wait before a thread is woken for them: a thread then finishes a batch of them for
// one wake-up (where closing is quick, a wake-up of another processor's thread costs about what a
// file does). Where kBacklog files wait while every thread is busy, closing is slow, and another
// thread is woken or started.
constexpr size_t kBatch = 32;
constexpr size_t kBacklog = 48;
constexpr size_t kMostSpares = 64; // of jobs and of buffers
} // namespace

void FinishPool::Add(TextOutStream stream) {
    bool wake = false, start = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spareJobs.empty()) {
            m_jobs.push_back(std::make_unique<Job>());
        } else {
            m_jobs.push_back(std::move(m_spareJobs.back()));
            m_spareJobs.pop_back();
        }
        m_jobs.back()->stream = std::move(stream);
        m_inHand = m_jobs.size();
        const size_t waiting = m_jobs.size() - m_started;
        if (waiting >= kBacklog || (waiting >= kBatch && m_busy == 0)) {
            wake = m_idle > 0;
            start = !wake && m_threads.size() < m_maxThreads;
        }
    }
    if (wake) m_wake.notify_one();
    if (!start) return;
    try {
        m_threads.push_back(StartWorkerThread([this] { Work(); }));
    } catch (const std::system_error&) {
        m_wake.notify_one(); // no more threads now: the ones there are take the files
    }
}

void FinishPool::Wake() {
    m_wake.notify_all();
}

// Only the pool's user adds and removes jobs, so it looks at the oldest without the lock until
// that one is done.
bool FinishPool::TakeOldest(bool wait, bool& ok, CString& reason) {
    Job& oldest = *m_jobs.front();
    if (!oldest.done.load(std::memory_order_acquire)) {
        if (!wait) return false;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.notify_all(); // it may not be started yet
        m_done.wait(lock, [&oldest] { return oldest.done.load(std::memory_order_relaxed); });
    }
    ok = oldest.ok;
    reason = oldest.stream.GetErrorText();
    if (m_spareBuffers.size() < kMostSpares)
        if (std::unique_ptr<char[]> buffer = oldest.stream.TakeBuffer()) m_spareBuffers.push_back(std::move(buffer));
    oldest.done.store(false, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_spareJobs.size() < kMostSpares) m_spareJobs.push_back(std::move(m_jobs.front()));
    m_jobs.pop_front();
    --m_started; // a finished job was taken by a thread
    m_inHand = m_jobs.size();
    return true;
}

std::unique_ptr<char[]> FinishPool::SpareBuffer() {
    if (m_spareBuffers.empty()) return nullptr;
    std::unique_ptr<char[]> buffer = std::move(m_spareBuffers.back());
    m_spareBuffers.pop_back();
    return buffer;
}

// Each thread takes the oldest job not taken yet; the pool stops once every job is finished.
void FinishPool::Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_started < m_jobs.size() || m_bStop; });
        --m_idle;
        if (m_started == m_jobs.size()) return; // stopping, and nothing left to take
        Job& job = *m_jobs[m_started++];
        ++m_busy;
        lock.unlock();
        const bool ok = job.stream.Finish();
        lock.lock();
        --m_busy;
        job.ok = ok;
        job.done.store(true, std::memory_order_release);
        m_done.notify_all();
    }
}
