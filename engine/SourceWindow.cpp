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

// The search goes on in blocks read ahead, each after the last characters of the one before it
// that may begin an occurrence.
uint64_t SourceWindow::FindToEnd(const TextSearch& search, uint64_t from) {
    const char* found = search.Find(At(from), At(End()));
    if (found != nullptr) return OffsetOf(found);
    if (m_bComplete) return kNone;
    const size_t overlap = search.Pattern().size() - 1;
    if (m_ahead.size() < overlap + kBlock + 1) m_ahead.resize(overlap + kBlock + 1);
    char* const ahead = m_ahead.data();
    size_t have = static_cast<size_t>(std::min<uint64_t>(overlap, End() - from));
    std::memcpy(ahead, At(End() - have), have);
    uint64_t aheadBase = End() - have; // the offset of ahead[0]
    uint64_t position = m_source.GetPosition();
    char last = m_last;
    for (bool ended = false; !ended;) {
        size_t got = m_source.ReadAhead(position, ahead + have, kBlock, position);
        if (got != 0) {
            last = ahead[have + got - 1];
        } else {
            ended = true;
            if (kTextModeConverts && last != '\n') ahead[have + got++] = '\n';
        }
        have += got;
        found = search.Find(ahead, ahead + have);
        if (found != nullptr) return aheadBase + static_cast<uint64_t>(found - ahead);
        const size_t keep = std::min(overlap, have);
        aheadBase += have - keep;
        std::memmove(ahead, ahead + have - keep, keep);
        have = keep;
    }
    return kNone;
}
