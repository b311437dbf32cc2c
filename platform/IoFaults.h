// A seam for tests: the platform's file operations ask here before they run, so that a test can
// make the N-th open, write, close, folder creation, read, read buffer growth or replacing move
// fail, or every existence test. Inactive unless a test arms it; nothing is counted before the
// first Reset or FailAt.
#pragma once

#include <cstddef>

// Grow: a buffer of the source's text grows; it fails as growing past the address space does.
// Spill: the temporary file that holds what is read ahead of a pipe is made.
enum class IoOp { Open, Write, Close, CreateFolder, Read, Grow, Find, Rename, Spill }; // Spill last (see IoFaults.cpp)

namespace IoFaults {
// From now on, the n-th operation of kind op fails (n counts from 1). Resets every count.
void FailAt(IoOp op, long n);
// From now on, every operation of kind op fails. Resets every count.
void FailEvery(IoOp op);
// Disarms every fault and resets the counts.
void Reset();
// Caps every read of a source at bytes (0: no cap), so that a test can put block boundaries
// anywhere in a small file. Not changed by Reset.
void SetReadBlockLimit(size_t bytes);
size_t ReadBlockLimit();
// While hold is set, every close of a written file waits until it is cleared, as on a file
// system whose closes are slow, for as long as a test needs. Not changed by Reset.
void HoldCloses(bool hold);
// Waits as HoldCloses asks, before a close.
void DelayClose();
// How many operations of kind op ran since the last FailAt or Reset.
long Count(IoOp op);
// Counts one operation of kind op; true when it is the one to fail.
bool ShouldFail(IoOp op);
} // namespace IoFaults
