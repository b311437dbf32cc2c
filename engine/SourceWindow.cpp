#include "SourceWindow.h"

#include "platform/IoFaults.h"

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
    // Room for a block and the LF that may end the text; the window only grows while a part that
    // must be seen whole does not fit.
    if (m_capacity < m_size + kBlock + 1) Reserve(std::max(m_size + kBlock + 1, m_capacity + m_capacity / 2));
    const size_t got = m_source.Read(m_data.get() + m_size, kBlock);
    if (got != 0) {
        m_size += got;
        m_last = m_data.get()[m_size - 1];
        return;
    }
    m_bComplete = true;
    if (m_last != '\n') m_data.get()[m_size++] = m_last = '\n';
}

// The search goes on in blocks read ahead, each after the last characters of the one before it
// that may begin an occurrence.
uint64_t SourceWindow::FindToEnd(const TextSearch& search, uint64_t from) {
    const char* found = search.Find(At(from), At(End()));
    if (found != nullptr) return OffsetOf(found);
    if (m_bComplete) return kNone;
    const size_t carry = static_cast<size_t>(std::min<uint64_t>(search.Pattern().size() - 1, End() - from));
    m_ahead.assign(At(End() - carry), At(End()));
    uint64_t aheadBase = End() - carry; // the offset of m_ahead's first character
    uint64_t position = m_source.GetPosition();
    char last = m_last;
    for (bool ended = false; !ended;) {
        const size_t have = m_ahead.size();
        m_ahead.resize(have + kBlock + 1);
        size_t got = m_source.ReadAhead(position, m_ahead.data() + have, kBlock, position);
        if (got != 0) {
            last = m_ahead[have + got - 1];
        } else {
            ended = true;
            if (last != '\n') m_ahead[have + got++] = '\n';
        }
        m_ahead.resize(have + got);
        found = search.Find(m_ahead.data(), m_ahead.data() + m_ahead.size());
        if (found != nullptr) return aheadBase + static_cast<uint64_t>(found - m_ahead.data());
        const size_t keep = std::min(search.Pattern().size() - 1, m_ahead.size());
        aheadBase += m_ahead.size() - keep;
        m_ahead.erase(m_ahead.begin(), m_ahead.end() - static_cast<ptrdiff_t>(keep));
    }
    return kNone;
}
