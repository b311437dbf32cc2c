// SourceWindow: the part of a source's text that a run holds, and a view of the text after it.
// The text is read in blocks and dropped once the run has passed it; only a part that must be
// seen whole (a tag, the first line) makes the window grow beyond a block. The text after the
// window can be read piece by piece without being held: blocks read ahead through the same file,
// which the window reads again when it gets there. Offsets count characters of the converted text
// from its start and are 64-bit on every build.
//
// The text seen through the window is the source's text-mode text: where text mode converts,
// with a LF added after a last line that has none.
#pragma once

#include "TextPieces.h"
#include "platform/StdioFile.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

class SourceWindow final : public TextPieces {
public:
    static constexpr uint64_t kNone = UINT64_MAX; // no offset: nothing found
    static constexpr size_t kBlock = size_t(1) << 19;
    static constexpr size_t kFirstAhead = size_t(1) << 14; // the first block read ahead

    // A window on the text of source, which is open and not read yet, and which outlives it.
    // stop, when given, ends a read ahead (as if the text ended there) once set.
    // The first block's room is taken here (std::bad_alloc or std::length_error when it cannot be).
    SourceWindow(CStdioFile& source, const std::atomic<bool>* stop)
        : m_source(source), m_stop(stop) { Reserve(kBlock + 1); }

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

    // The text from offset (at or after Begin()): in the window, its held part; beyond it, the
    // rest of a block read ahead (where the source cannot be read ahead, the window grows to hold
    // it instead, so pointers into the window are then stale). A read error throws CFileException;
    // a read ahead that sees the stop flag gives nothing, and StopSeen() tells so.
    size_t Piece(uint64_t offset, const char*& data) override;
    bool StopSeen() const { return m_bStopSeen; }

    SourceWindow(const SourceWindow&) = delete;
    SourceWindow& operator=(const SourceWindow&) = delete;

private:
    // A block read ahead: where it begins in the text, and in the file as stored.
    struct AheadBlock {
        uint64_t offset, position;
    };

    // Helpers
    void Reserve(size_t size);
    size_t ReadAhead(size_t block);

    // Member variables
    CStdioFile& m_source;
    const std::atomic<bool>* m_stop;
    std::unique_ptr<char, void (*)(void*)> m_data{nullptr,
                                                  &std::free}; // [0, m_size) holds the text from m_base on
    size_t m_capacity = 0;
    size_t m_size = 0;
    uint64_t m_base = 0;
    char m_last = '\n'; // the last character read so far ("\n" while none is)
    bool m_bComplete = false;
    bool m_bStopSeen = false;
    // The blocks after the window known so far (the last one's end is where reading ahead goes
    // on), for the window's end m_aheadFrom; the one in m_ahead is [m_aheadBegin, m_aheadEnd).
    std::vector<AheadBlock> m_aheadBlocks;
    uint64_t m_aheadFrom = kNone;
    char m_aheadLast = '\n';        // the last character of the last block known
    uint64_t m_textEnd = kNone;     // the text's end, once a read ahead met it
    std::vector<char> m_ahead;
    uint64_t m_aheadBegin = 0, m_aheadEnd = 0;
};
