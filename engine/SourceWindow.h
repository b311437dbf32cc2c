// SourceWindow: the part of a source's text that a run needs at once. The text is read in blocks
// and dropped once the run has passed it; only a part that must be seen whole (a chunk's naming
// region, a tag, the first line) makes the window grow beyond a block. Offsets count characters
// of the converted text from its start and are 64-bit on every build.
//
// The text seen through the window is the source's text-mode text: where text mode converts,
// with a LF added after a last line that has none.
#pragma once

#include "TextSearch.h"
#include "platform/StdioFile.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

class SourceWindow {
public:
    static constexpr uint64_t kNone = UINT64_MAX; // no offset: nothing found
    static constexpr size_t kBlock = size_t(1) << 19;

    // A window on the text of source, which is open and not read yet, and which outlives it.
    // The first block's room is taken here (std::bad_alloc or std::length_error when it cannot be).
    explicit SourceWindow(CStdioFile& source) : m_source(source) { Reserve(kBlock + 1); }

    // The text held: [Begin(), End()). At(offset) is valid for Begin() <= offset <= End() until
    // the next Extend.
    uint64_t Begin() const { return m_base; }
    uint64_t End() const { return m_base + m_size; }
    const char* At(uint64_t offset) const { return m_data.get() + (offset - m_base); }
    uint64_t OffsetOf(const char* p) const { return m_base + static_cast<uint64_t>(p - m_data.get()); }
    // True when the text's end is held: End() is the end of the text.
    bool Complete() const { return m_bComplete; }

    // Drops the text before keepFrom (Begin() <= keepFrom <= End()) and reads the next block:
    // afterwards End() has grown or the window is Complete(). A read error throws CFileException;
    // a window too large for memory throws std::bad_alloc or std::length_error.
    void Extend(uint64_t keepFrom);

    // The first occurrence of the pattern that begins at or after from (Begin() <= from <= End()),
    // to the end of the text, or kNone. The text beyond the window is read ahead through the same
    // file and not held.
    uint64_t FindToEnd(const TextSearch& search, uint64_t from);

    SourceWindow(const SourceWindow&) = delete;
    SourceWindow& operator=(const SourceWindow&) = delete;

private:
    // Helpers
    void Reserve(size_t size);

    // Member variables
    CStdioFile& m_source;
    std::unique_ptr<char, void (*)(void*)> m_data{nullptr,
                                                  &std::free}; // [0, m_size) holds the text from m_base on
    size_t m_capacity = 0;
    size_t m_size = 0;
    uint64_t m_base = 0;
    char m_last = '\n'; // the last character read so far ("\n" while none is)
    bool m_bComplete = false;
    std::vector<char> m_ahead; // room for the text FindToEnd reads ahead: a block and a pattern
};
