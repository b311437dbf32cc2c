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
    explicit TagStartSearch(const CString& followers, ScanPath path = ScanPath::Blocks) : m_path(path) {
        for (char c : followers)
            Follow(c);
        if (!followers.empty()) return;
        m_bEvery = true;
        for (bool& follows : m_follows)
            follows = true;
    }
    // The same for a set known when the program is built (not empty).
    constexpr explicit TagStartSearch(const char* followers, ScanPath path = ScanPath::Blocks) : m_path(path) {
        for (const char* c = followers; *c != '\0'; ++c)
            Follow(*c);
    }

    // The first "<" in [from, end - 1) followed by one of the characters, or null.
    const char* Find(const char* from, const char* end) const;

private:
    // The followers (other than "/") that the block scan tests for itself, 16 places at once;
    // with more, it finds each "<" and asks IsStop.
    static constexpr size_t kBlockFollowers = 4;

    // Helpers
    constexpr void Follow(char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (m_follows[byte]) return;
        m_follows[byte] = true;
        if (c == '/')
            m_bSlash = true;
        else if (m_blockCount < kBlockFollowers)
            m_blockFollowers[m_blockCount++] = c;
        else
            m_bManyFollowers = true;
    }
    bool IsStop(const char* less, const char* end) const;
    const char* FindBlocks(const char* from, const char* end) const;
    const char* FindBlocksEachLess(const char* from, const char* end) const;
    const char* FindEach(const char* from, const char* end) const;

    // Member variables
    bool m_follows[256] = {};
    ScanPath m_path;
    bool m_bEvery = false;         // every "<" is a stop
    bool m_bSlash = false;         // "/" is a follower
    bool m_bManyFollowers = false; // more than kBlockFollowers besides "/"
    size_t m_blockCount = 0;       // followers besides "/", up to kBlockFollowers of them
    char m_blockFollowers[kBlockFollowers] = {};
};
