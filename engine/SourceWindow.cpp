#include "SourceWindow.h"

#include "platform/IoFaults.h"
#include "platform/TextMode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

// Grown in place where the system can (a large block is remapped, not copied) and never filled:
// only the part that text is read into is ever touched. The fault seam stands for a window larger
// than the address space allows.
void SourceWindow::Reserve(size_t size) {
    if (IoFaults::ShouldFail(IoOp::Grow)) throw std::length_error("the source window");
    char* grown = static_cast<char*>(std::realloc(m_data.get(), size));
    if (grown == nullptr) throw std::bad_alloc();
    m_data.release();
    m_data.reset(grown);
    m_capacity = size;
}

void SourceWindow::Extend(uint64_t keepFrom) {
    if (m_bComplete) return;
    const size_t drop = static_cast<size_t>(keepFrom - m_base);
    if (drop != 0) {
        std::memmove(m_data.get(), m_data.get() + drop, m_size - drop);
        m_size -= drop;
        m_base = keepFrom;
    }
    // Room for a block and the LF that text mode may add at the end; the window only grows while a part that
    // must be seen whole does not fit.
    if (m_capacity < m_size + kBlock + 1) Reserve(std::max(m_size + kBlock + 1, m_capacity + m_capacity / 2));
    const size_t got = m_source.Read(m_data.get() + m_size, kBlock);
    if (got != 0) {
        m_size += got;
        m_last = m_data.get()[m_size - 1];
        return;
    }
    m_bComplete = true;
    if (kTextModeConverts && m_last != '\n') m_data.get()[m_size++] = m_last = '\n';
}

size_t SourceWindow::Piece(uint64_t offset, const char*& data) {
    if (offset < End()) {
        data = At(offset);
        return static_cast<size_t>(End() - offset);
    }
    if (m_bComplete || m_bStopSeen) return 0;
    if (!m_source.CanReadAhead()) {
        // A pipe with no room for its text elsewhere: the window holds what is read ahead.
        while (offset >= End() && !m_bComplete)
            Extend(m_base);
        if (offset >= End()) return 0;
        data = At(offset);
        return static_cast<size_t>(End() - offset);
    }
    if (m_aheadFrom != End()) { // the window moved: what was read ahead is its own now
        m_aheadFrom = End();
        m_aheadBlocks.assign(1, {End(), m_source.GetPosition()});
        m_aheadLast = m_last;
        m_textEnd = kNone;
        m_aheadBegin = m_aheadEnd = 0;
    }
    if (offset >= m_textEnd) return 0;
    if (offset < m_aheadBegin || offset >= m_aheadEnd) {
        // The block that holds offset: a known one, else the ones after the last known, in turn.
        size_t block = static_cast<size_t>(
            std::upper_bound(m_aheadBlocks.begin(), m_aheadBlocks.end(), offset,
                             [](uint64_t at, const AheadBlock& each) { return at < each.offset; }) -
            m_aheadBlocks.begin() - 1);
        for (;; ++block)
            if (ReadAhead(block) == 0 || offset < m_aheadEnd || m_textEnd != kNone) break;
        if (offset >= m_aheadEnd) return 0;
    }
    data = m_ahead.data() + (offset - m_aheadBegin);
    return static_cast<size_t>(m_aheadEnd - offset);
}

// Reads the block read ahead at index block (the last one known: the one after it becomes known)
// into m_ahead; 0 at the text's end or when the stop flag is set.
size_t SourceWindow::ReadAhead(size_t block) {
    if (m_stop != nullptr && m_stop->load(std::memory_order_relaxed)) {
        m_bStopSeen = true;
        return 0;
    }
    // Most regions end a little after the window, and the window reads the same text again when
    // it gets there: the first blocks ahead are small (16 KB, then twice as large each).
    const size_t size = std::min(kBlock, kFirstAhead << std::min<size_t>(block, 8));
    if (m_ahead.empty()) m_ahead.resize(kBlock + 1); // room for the largest block and a LF
    const AheadBlock at = m_aheadBlocks[block];
    const bool last = block + 1 == m_aheadBlocks.size();
    uint64_t next = 0;
    size_t got = m_source.ReadAhead(at.position, m_ahead.data(), size, next);
    m_aheadBegin = at.offset;
    if (got == 0) {
        // The end, with the LF text mode adds after a last line without one.
        if (kTextModeConverts && m_aheadLast != '\n') m_ahead[got++] = '\n';
        m_aheadEnd = at.offset + got;
        m_textEnd = m_aheadEnd;
        return got;
    }
    m_aheadEnd = at.offset + got;
    if (last) {
        m_aheadBlocks.push_back({m_aheadEnd, next});
        m_aheadLast = m_ahead[got - 1];
    }
    return got;
}
