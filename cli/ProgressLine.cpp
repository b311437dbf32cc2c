#include "ProgressLine.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kMegabyte = 1e6;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// seconds as "m:ss", or "h:mm:ss" from an hour on; "-:--" when not known.
CString FormatDuration(double seconds) {
    if (!(seconds >= 0) || seconds >= 100.0 * 3600) return "-:--";
    unsigned long whole = static_cast<unsigned long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lu:%02lu", whole / 60, whole % 60);
    return text;
}

} // namespace

CString ProgressLine::Describe(const brevix::Progress& progress, double seconds) {
    double bytes = static_cast<double>(progress.bytesRead);
    double rate = seconds > 0 ? bytes / seconds : 0; // bytes a second, 0 while not known
    char text[160];
    int length = 0;
    if (progress.sourceBytes != 0) {
        double size = static_cast<double>(progress.sourceBytes);
        int percent = static_cast<int>(std::min(100.0, bytes * 100 / size));
        double left = bytes >= size ? 0 : rate > 0 ? (size - bytes) / rate : -1;
        length = std::snprintf(text, sizeof text, "%3d%%  %.1f MB/s  %llu %s  %s left", percent,
                               rate / kMegabyte, static_cast<unsigned long long>(progress.filesWritten),
                               progress.filesWritten == 1 ? "file" : "files", FormatDuration(left).c_str());
    } else {
        length = std::snprintf(text, sizeof text, "%.1f MB read  %.1f MB/s  %llu %s", bytes / kMegabyte,
                               rate / kMegabyte, static_cast<unsigned long long>(progress.filesWritten),
                               progress.filesWritten == 1 ? "file" : "files");
    }
    return CString(text, static_cast<size_t>(std::max(0, length)));
}

CString ProgressLine::Summarize(const brevix::Progress& progress, double seconds) {
    char text[96];
    int length = std::snprintf(text, sizeof text, "%llu %s, %.1f MB in %s",
                               static_cast<unsigned long long>(progress.filesWritten),
                               progress.filesWritten == 1 ? "file" : "files",
                               static_cast<double>(progress.bytesRead) / kMegabyte, FormatDuration(seconds).c_str());
    return CString(text, static_cast<size_t>(std::max(0, length)));
}

CString ProgressLine::Redraw(const brevix::Progress& progress, Clock::time_point now, bool final, size_t columns) {
    if (m_finished || (!final && m_drawn && now - m_last < kRedrawInterval)) return CString();
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    CString status = final ? Summarize(progress, seconds) : Describe(progress, seconds);
    // The last column stays free: a character there would move some terminals to the next line.
    const size_t room = columns > 1 ? columns - 1 : CString::npos;
    status.resize(std::min(status.size(), room));
    m_width = std::min(m_width, room);
    CString line = "\r" + status;
    if (status.size() < m_width) line.append(m_width - status.size(), ' ');
    m_width = std::max(m_width, status.size());
    m_drawn = true;
    m_last = now;
    if (final) {
        m_finished = true;
        line += "\n";
    }
    return line;
}

CString ProgressLine::Erase() const {
    return IsOpen() ? "\r" + CString(m_width, ' ') + "\r" : CString();
}
