#include "IoFaults.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

// Files may be closed on other threads than the one that runs the engine, so the counts are
// atomic: each operation gets a number of its own. Arming and resetting happen between runs. A
// program that never arms the seam counts nothing: its operations only read one flag.
namespace {
constexpr int kKinds = static_cast<int>(IoOp::Spill) + 1; // the last kind
constexpr long kEvery = -1; // fail every operation of the kind
std::atomic<bool> g_counting{false}; // since the first Reset or FailAt
std::atomic<bool> g_armed{false};
std::atomic<long> g_counts[kKinds] = {};
std::atomic<long> g_failAt[kKinds] = {};
std::atomic<size_t> g_readBlockLimit{0};
std::atomic<bool> g_closesHeld{false};
std::mutex g_holdMutex;
std::condition_variable g_holdEnded;
} // namespace

namespace IoFaults {

void FailAt(IoOp op, long n) {
    Reset();
    g_failAt[static_cast<int>(op)] = n;
    g_armed = true;
}

void FailEvery(IoOp op) {
    FailAt(op, kEvery);
}

void Reset() {
    g_counting = true;
    g_armed = false;
    for (int i = 0; i < kKinds; ++i)
        g_counts[i] = g_failAt[i] = 0;
}

void SetReadBlockLimit(size_t bytes) {
    g_readBlockLimit = bytes;
}

size_t ReadBlockLimit() {
    return g_readBlockLimit.load(std::memory_order_relaxed);
}

void HoldCloses(bool hold) {
    {
        std::lock_guard<std::mutex> lock(g_holdMutex);
        g_closesHeld = hold;
    }
    g_holdEnded.notify_all();
}

void DelayClose() {
    if (!g_closesHeld.load(std::memory_order_relaxed)) return;
    std::unique_lock<std::mutex> lock(g_holdMutex);
    g_holdEnded.wait(lock, [] { return !g_closesHeld.load(); });
}

long Count(IoOp op) {
    return g_counts[static_cast<int>(op)];
}

bool ShouldFail(IoOp op) {
    if (!g_counting.load(std::memory_order_relaxed)) return false;
    int kind = static_cast<int>(op);
    const long count = ++g_counts[kind];
    return g_armed && (count == g_failAt[kind] || g_failAt[kind] == kEvery);
}

} // namespace IoFaults
