// The status line brevix-cli keeps on standard error during a run: how much of the source is
// read, how fast, how many chunk files are written and how long the rest will take.
#pragma once

#include "engine/Brevix.h"
#include "platform/StringTypes.h"

#include <chrono>
#include <cstddef>

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // A line for a run that began at start.
    explicit ProgressLine(Clock::time_point start) : m_start(start) {}

    // The bytes that redraw the line in place for progress at now: "\r", the status and spaces
    // over the rest of a longer earlier status, all cut to fit columns (0: no limit) short of its
    // last column; when final, the summary instead of the status, and a newline. Empty when the
    // last redraw was less than a tenth of a second before now, or after the final one.
    CString Redraw(const brevix::Progress& progress, Clock::time_point now, bool final, size_t columns = 0);
    // The bytes that blank the line and put the cursor at its start, so that other text can be
    // written there; empty unless the line is open.
    CString Erase() const;
    // True once a redraw has been given and the line not yet finished.
    bool IsOpen() const { return m_drawn && !m_finished; }

    // The status for progress after seconds of the run: with the size known, percent read,
    // MB/s, files and time left; otherwise the megabytes read, MB/s and files.
    static CString Describe(const brevix::Progress& progress, double seconds);
    // The summary of a run that took seconds: files written, megabytes read and the time.
    static CString Summarize(const brevix::Progress& progress, double seconds);

private:
    Clock::time_point m_start;
    Clock::time_point m_last; // when the last redraw was given
    bool m_drawn = false;     // a redraw was given
    bool m_finished = false;  // the final redraw was given
    size_t m_width = 0;       // the widest status drawn so far
};
