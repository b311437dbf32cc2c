#include "TextSearch.h"

#include <cstring>
#include <utility>

TextSearch::TextSearch(CString pattern) : m_pattern(std::move(pattern)) {
    const size_t size = m_pattern.size();
    for (size_t& shift : m_shift)
        shift = size;
    for (size_t i = 0; i + 1 < size; ++i)
        m_shift[static_cast<unsigned char>(m_pattern[i])] = size - 1 - i;
}

const char* TextSearch::Find(const char* from, const char* end) const {
    const size_t size = m_pattern.size();
    const size_t last = size - 1;
    const char tail = m_pattern[last];
    for (const char* p = from; static_cast<size_t>(end - p) >= size;
         p += m_shift[static_cast<unsigned char>(p[last])])
        if (p[last] == tail && std::memcmp(p, m_pattern.data(), last) == 0) return p;
    return nullptr;
}
