// TextSearch: Horspool's search for one pattern, which moves on by up to the pattern's length
// after each look at the text.
#pragma once

#include "framework/StringTypes.h"

#include <cstddef>

class TextSearch {
public:
    explicit TextSearch(CString pattern);

    // The first occurrence of the pattern in [from, end), or null. The pattern must not be empty.
    const char* Find(const char* from, const char* end) const;
    const CString& Pattern() const { return m_pattern; }

private:
    CString m_pattern;
    size_t m_shift[256]; // how far the pattern may move on, by the text's byte under its last one
};
