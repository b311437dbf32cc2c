// What brevix-cli asks of the process around it: whether standard error shows on a terminal,
// and the signals that stop a run.
#pragma once

#include <atomic>
#include <cstddef>

// What stops a run, as the help names it: signals here (with the exit statuses of those but
// SIGINT), the console's keys on Windows.
extern const char kStopKeys[];

// What asks for help besides -h and --help: "/?" on Windows, nothing elsewhere.
extern const char kHelpSwitch[];

// True when standard error, or standard output, is a terminal (on Windows, a console).
bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();
// The width of the terminal that standard error shows on, in columns; 0 when not known.
size_t StandardErrorColumns();

// Makes a write to a pipe that nobody reads any more fail (EPIPE) instead of ending the process
// (SIGPIPE ignored); nothing on Windows, where such a write only fails.
void IgnoreBrokenPipes();

// While one lives, text written to a Windows console is read as UTF-8 (the console's own code
// page comes back when it is destroyed); elsewhere it does nothing, the terminal takes UTF-8.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();

    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    unsigned m_oldCodePage = 0; // 0: not changed
};

// While one lives, SIGINT, SIGTERM, SIGHUP and SIGQUIT (on Windows the console's Ctrl+C and
// Ctrl+Break) set its flag instead of ending the process; the earlier handling comes back when it
// is destroyed. A blocking read is not restarted after the signal. A signal the process was
// started with ignored stays ignored. One at a time.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    // The flag, set once a signal arrived (or by the program itself); it lives as long as the process.
    std::atomic<bool>& Flag() const;
    // The number of the first signal that set the flag (SIGINT for Ctrl+C and Ctrl+Break); 0 when none did.
    int Signal() const;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};
