// FinishPool: finishes chunk files (writes what their streams hold, closes them, and moves a
// replacing file into place) on threads of their own, so that the work of the file system, and a
// slow close above all (an on-access scanner, a network share), overlaps with the next chunks
// instead of holding the run. One thread keeps up where files finish quickly; more join, up to a
// bound, while files wait and every thread is busy. The results are taken in the order the files
// were handed over.
#pragma once

#include "platform/TextOutStream.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FinishPool {
public:
    // A pool of up to threads threads (at least one); the first starts here.
    explicit FinishPool(size_t threads);
    // Waits for every file in hand to be finished and stops the threads.
    ~FinishPool();

    // Hands over an open stream to be finished: at once when a few are waiting to be started,
    // else at the latest at the next Wake or TakeOldest that waits.
    void Add(TextOutStream stream);
    // Has every file handed over started.
    void Wake();
    // The threads started so far.
    size_t Threads() const { return m_threads.size(); }
    // Files handed over whose results have not been taken.
    size_t InHand() const { return m_inHand; }
    // Takes the result of the oldest file in hand: true once it is finished (ok: Finish's result,
    // reason: the system's reason for a failure); false when it is not finished yet and wait is
    // not set. Only while InHand() is not 0.
    bool TakeOldest(bool wait, bool& ok, CString& reason);
    // A buffer of a file whose result was taken, for the next stream (null when there is none).
    std::unique_ptr<char[]> SpareBuffer();

    FinishPool(const FinishPool&) = delete;
    FinishPool& operator=(const FinishPool&) = delete;

private:
    struct Job {
        TextOutStream stream;
        std::atomic<bool> done{false}; // set last by the thread that finished it
        bool ok = false;
    };
    // Helpers
    void Work();

    // Member variables
    std::mutex m_mutex;
    std::condition_variable m_wake; // a job was added, or the pool stops
    std::condition_variable m_done; // a job was finished
    std::deque<std::unique_ptr<Job>> m_jobs; // in hand, oldest first
    size_t m_started = 0;                    // of m_jobs, how many a thread has taken
    size_t m_busy = 0;                       // threads finishing a file now
    size_t m_idle = 0;                       // threads waiting for one
    const size_t m_maxThreads;
    size_t m_inHand = 0;                     // m_jobs.size(), read without the lock by its one user
    bool m_bStop = false;
    std::vector<std::thread> m_threads;
    // What files whose results were taken leave behind, for the next ones: their jobs and
    // their streams' buffers (no more than the files that may be in hand at once).
    std::vector<std::unique_ptr<Job>> m_spareJobs;
    std::vector<std::unique_ptr<char[]>> m_spareBuffers;
};
