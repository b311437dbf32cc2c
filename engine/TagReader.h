// The tag reader: the value of a chunk name key in a naming region, read from the region's text
// with processing instructions and declarations cut out. The region is read a piece at a time
// (TextPieces), so that a region of any size is read in the same small memory.
#pragma once

#include "SourceEncoding.h"
#include "TextPieces.h"
#include "platform/StringTypes.h"

#include <cstddef>
#include <cstdint>

// Removes the first construct that begins with marker, through the first ">" after the marker's
// start: true; false, with text unchanged, when there is no such construct. StripMarkup gives what
// repeating it gives, in one pass.
bool RemoveConstruct(CString& text, const char* marker);

// Removes every construct that begins with "<?" or "<!" (a "<?" always before any "<!", and a
// removal may join the text around it into a new marker); returns the number removed.
int StripMarkup(CString& text);

// The sanitised value of key in the text [begin, end) of text, read in encoding, or an empty
// string:
//   token   := trimmed text between the delimiters "<", "=", "\"" and ">"; empty ones are skipped
//   found   := a token began with key and a space (the rest of that start tag, up to its ">",
//              is then consumed as one token), or a token contains key
//   value   := the first non-empty token after found
CString ReadKeyValue(TextPieces& text, uint64_t begin, uint64_t end, const CString& key,
                     SourceEncoding encoding = SourceEncoding::Utf8);

// The text [begin, end) as StripMarkup would leave it, produced as it is read, so that a reader
// that stops early never pays for the rest of a long text.
//
// StripMarkup repeats "remove the first removable <? construct, else the first <! construct"
// until nothing changes. Read left to right, that is:
//   - a "<?" whose "<" and "?" meet in the text produced so far is removed through the next ">"
//     of the input, if there is one;
//   - a "<!" is removed through the first ">" that survives the "<?" removals after it (those
//     come first), if there is one; if there is none, no later "<!" can have one either;
//   - "<" characters are held back until the next character shows whether they open a marker,
//     because a removal can join a held "<" with the "?" or "!" after the removed construct.
//     A "<?" joined across a "<!" removal ends, like a "<!", at the first surviving ">": by the
//     time a "<!" goes, every "<?" after it has gone already.
class MarkupStripper {
public:
    MarkupStripper(TextPieces& text, uint64_t begin, uint64_t end) : m_text(text), m_p(begin), m_end(end) {}

    // The next character of the stripped text (0 to 255), or -1 at its end.
    int Next();
    // The next piece of the stripped text as [begin, end), valid until the next call: a run of
    // input characters up to the next "<" that may open a marker, else the single character Next
    // would give. False at the end.
    bool NextRun(const char*& begin, const char*& end);
    // How many constructs were removed so far.
    int Removed() const { return m_removed; }

private:
    static constexpr uint64_t kNone = UINT64_MAX;

    // Helpers
    void Fetch(uint64_t offset);
    unsigned char At(uint64_t offset) {
        if (offset < m_pieceBegin || offset >= m_pieceEnd) Fetch(offset);
        return static_cast<unsigned char>(m_piece[offset - m_pieceBegin]);
    }
    uint64_t FindByte(char c, uint64_t from, uint64_t limit);
    uint64_t FindGreater(uint64_t from);
    uint64_t FindSurvivingGreater(uint64_t from);

    // Member variables
    TextPieces& m_text;
    uint64_t m_p;
    const uint64_t m_end;
    const char* m_piece = nullptr; // the piece read last: the text [m_pieceBegin, m_pieceEnd)
    uint64_t m_pieceBegin = 0;
    uint64_t m_pieceEnd = 0;
    uint64_t m_noGreaterFrom = kNone; // no ">" at or after this point (kNone: not known yet)
    size_t m_heldLess = 0;            // "<" characters read but not given out yet
    size_t m_heldBeforeBang = 0;      // how many of them (the first ones) precede a "<!" removal
    size_t m_flushLess = 0;           // held "<" characters now being given out
    int m_pending = -1;               // the character to give out after them
    bool m_bangDead = false;          // a "<!" found no end, so no later one can
    int m_removed = 0;
    char m_single = 0; // the character NextRun gives out alone
};
