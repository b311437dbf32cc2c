// The command-line front end: parses the arguments, loads the profile as the application does,
// applies the options and runs one Process. The profile is never written.
#pragma once

#include "engine/Brevix.h"
#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"

#include <atomic>
#include <functional>
#include <ostream>

// Exit statuses. A run stopped by a signal exits with 128 and the signal's number (SIGINT, or
// Ctrl+C: 130), as a shell reports a process ended by it.
enum CliStatus { kCliDone = 0, kCliFailed = 1, kCliUsage = 2, kCliInterrupted = 130 };

// What the process around a run provides.
struct CliSurroundings {
    bool errIsTerminal = false;              // err shows on a terminal: progress unless --no-progress
    bool outIsTerminal = false;              // out shows on a terminal (the same one, as a rule)
    bool catchSignals = false;         // SIGINT, SIGTERM, SIGHUP and SIGQUIT stop the run (the process-wide handlers)
    std::atomic<bool>* stop = nullptr; // otherwise, a flag that stops the run once set
    std::function<void(const brevix::Progress&)> progressSeen; // also told each progress report
    std::function<size_t()> columns; // the width of err's terminal, asked at each redraw (none: no limit)
    bool finishFromStart = false;    // chunk files go to the finish threads from the first on
};

// Runs the program on args (without the program name); the log goes to out byte for byte, as the
// run makes it (with --quiet, only after a failure or an interrupt): flushed at every failure line,
// after each block of the source and otherwise at least every 100 ms; once out cannot take it the
// run stops as if interrupted, with a message on err and kCliFailed. Messages and the progress
// line go to err. profile is the stored profile, read unless --no-profile is given.
int RunCommandLine(const CStringList& args, const ProfileStore& profile, std::ostream& out, std::ostream& err,
                   const CliSurroundings& surroundings = CliSurroundings());
