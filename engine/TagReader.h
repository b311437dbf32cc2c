// The tag reader's helpers: cutting processing instructions and declarations out of a text, and
// the lazily stripped character stream that ReadKeyValue tokenizes.
#pragma once

#include "SourceEncoding.h"
#include "platform/StringTypes.h"

#include <cstddef>

// Removes every construct that begins with "<?" or "<!" (a "<?" always before any "<!", and a
// removal may join the text around it into a new marker); returns the number removed.
int StripMarkup(CString& text);

// The text [begin, end) as StripMarkup would leave it, produced one character at a time, so that
// a reader that stops early never pays for the rest of a long text.
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
    MarkupStripper(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    // The next character of the stripped text (0 to 255), or -1 at its end.
    int Next();
    // The next piece of the stripped text as [begin, end): a run of input characters up to the
    // next "<" that may open a marker when one comes next, else the single character Next would
    // give. False at the end.
    bool NextRun(const char*& begin, const char*& end);
    // How many constructs were removed so far.
    int Removed() const { return m_removed; }

private:
    // Helpers
    const char* FindGreater(const char* from);
    const char* FindSurvivingGreater(const char* from);

    // Member variables
    const char* m_p;
    const char* m_end;
    const char* m_noGreaterFrom = nullptr; // no ">" at or after this point (null: not known yet)
    size_t m_heldLess = 0;                 // "<" characters read but not given out yet
    size_t m_heldBeforeBang = 0;           // how many of them (the first ones) precede a "<!" removal
    size_t m_flushLess = 0;                // held "<" characters now being given out
    int m_pending = -1;                    // the character to give out after them
    bool m_bangDead = false;               // a "<!" found no end, so no later one can
    int m_removed = 0;
    char m_single = 0; // the character NextRun gives out alone
};
