// FinishPool: finishes chunk files (closes them, and moves a replacing file into place) on a few
// threads of its own, so that a slow close, as under an on-access scanner or on a network share,
// overlaps with the next chunks instead of holding the run. The results are taken in the order
// the files were handed over.
#pragma once

#include "platform/TextOutStream.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FinishPool {
public:
    // A pool of threads threads (at least one), started here.
    explicit FinishPool(size_t threads);
    // Waits for every file in hand to be finished and stops the threads.
    ~FinishPool();

    // Hands over an open stream to be finished: at once when a few are waiting to be started,
    // else at the latest at the next Wake or TakeOldest that waits.
    void Add(TextOutStream stream);
    // Has every file handed over started.
    void Wake();
    // Files handed over whose results have not been taken.
    size_t InHand() const { return m_inHand; }
    // Takes the result of the oldest file in hand: true once it is finished (ok: Finish's result,
    // reason: the system's reason for a failure); false when it is not finished yet and wait is
    // not set. Only while InHand() is not 0.
    bool TakeOldest(bool wait, bool& ok, CString& reason);

    FinishPool(const FinishPool&) = delete;
    FinishPool& operator=(const FinishPool&) = delete;

private:
    struct Job {
        TextOutStream stream;
        bool done = false;
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
    size_t m_inHand = 0;                     // m_jobs.size(), read without the lock by its one user
    bool m_bStop = false;
    std::vector<std::thread> m_threads;
};
