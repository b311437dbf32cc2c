// What brevix-cli asks of the process around it: whether standard error shows on a terminal,
// and the signals that stop a run.
#pragma once

#include <atomic>

// What stops a run, as the help names it: signals here, the console's keys on Windows.
extern const char kStopKeys[];

// True when standard error, or standard output, is a terminal (on Windows, a console).
bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();

// While one lives, SIGINT and SIGTERM (on Windows the console's Ctrl+C and Ctrl+Break) set its
// flag instead of ending the process; the earlier handling comes back when it is destroyed. A
// blocking read is not restarted after the signal. A signal the process was started with
// ignored stays ignored. One at a time.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    // The flag, set once a signal arrived; it lives as long as the process.
    const std::atomic<bool>& Flag() const;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};
