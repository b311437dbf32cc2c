// HeldLog: the log of a --quiet run, printed only after a failure or an interrupt. It is held in
// memory up to 64 KB (about 1,500 lines), the rest in a temporary file (in memory after all when
// no file can be made or written), so that a long run does not hold its log: the memory a run
// takes then grows only with what it must remember of each chunk file.
#pragma once

#include "platform/StringTypes.h"

#include <cstdint>
#include <cstdio>
#include <ostream>

class HeldLog {
public:
    explicit HeldLog(size_t memoryLimit = size_t(1) << 16) : m_memoryLimit(memoryLimit) {}
    ~HeldLog();

    // Adds lines at the end of the log.
    void Add(const CString& lines);
    // Writes the whole log to out.
    void WriteTo(std::ostream& out);

    HeldLog(const HeldLog&) = delete;
    HeldLog& operator=(const HeldLog&) = delete;

private:
    const size_t m_memoryLimit;
    CString m_text;              // the log after what the file holds
    std::FILE* m_file = nullptr; // the temporary file, once made
    uint64_t m_spilled = 0;      // bytes of the log in the file
    bool m_bNoFile = false;      // the file failed: what it holds up to m_spilled stays good
};
