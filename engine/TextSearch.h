// TextSearch: finds one pattern in a text. Where it scans in blocks (platform/ByteScan.h) it looks
// at 16 places at once, keeping those where the pattern's first and last characters both match;
// elsewhere, and for the last few places of a text, memchr finds the places that start with its
// first character.
#pragma once

#include "platform/ByteScan.h"
#include "platform/StringTypes.h"

#include <cstddef>

class TextSearch {
public:
    explicit TextSearch(CString pattern, ScanPath path = ScanPath::Blocks);

    // The first occurrence of the pattern in [from, end), or null. The pattern must not be empty.
    const char* Find(const char* from, const char* end) const;
    const CString& Pattern() const { return m_pattern; }

private:
    // Helpers
    const char* FindBlocks(const char* from, const char* end) const;
    const char* FindEach(const char* from, const char* end) const;

    // Member variables
    CString m_pattern;
    ScanPath m_path;
};

// TagStartSearch: finds the next "<" that is followed by one of given characters, so that the
// "<" of tags that cannot matter is passed over without a stop. A "/" among them is a follower
// only where one of the characters comes after it in turn (or the text ends there): the closing
// tags of other elements are passed over too. Without characters every "<" is a stop.
class TagStartSearch {
public:
    explicit TagStartSearch(const CString& followers, ScanPath path = ScanPath::Blocks);
    // The same for a set known when the program is built (not empty).
    constexpr explicit TagStartSearch(const char* followers, ScanPath path = ScanPath::Blocks) : m_path(path) {
        for (const char* c = followers; *c != '\0'; ++c)
            m_follows[static_cast<unsigned char>(*c)] = true;
    }

    // The first "<" in [from, end - 1) followed by one of the characters, or null.
    const char* Find(const char* from, const char* end) const;

private:
    // Helpers
    bool IsStop(const char* less, const char* end) const;
    const char* FindBlocks(const char* from, const char* end) const;
    const char* FindEach(const char* from, const char* end) const;

    // Member variables
    bool m_follows[256] = {};
    ScanPath m_path;
};
