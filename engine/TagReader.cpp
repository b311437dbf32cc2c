#include "TagReader.h"

#include "Chunker.h"
#include "TextSearch.h"

#include <algorithm>
#include <cstring>
#include <string_view>

int StripMarkup(CString& text) {
    MarkupStripper stripper(text.data(), text.data() + text.size());
    CString stripped;
    stripped.reserve(text.size());
    for (int c = stripper.Next(); c >= 0; c = stripper.Next())
        stripped += static_cast<char>(c);
    text.swap(stripped);
    return stripper.Removed();
}

// The first ">" at or after from, or null. Once a search fails, later ones from further on
// fail at once, so that the searches of one text cost at most one pass over it.
const char* MarkupStripper::FindGreater(const char* from) {
    const char* limit = m_noGreaterFrom != nullptr ? m_noGreaterFrom : m_end;
    if (from < limit) {
        const void* found = std::memchr(from, '>', limit - from);
        if (found != nullptr) return static_cast<const char*>(found);
    }
    if (m_noGreaterFrom == nullptr || from < m_noGreaterFrom) m_noGreaterFrom = from;
    return nullptr;
}

// The first ">" at or after from that no "<?" removal from there on takes: where a "<!"
// construct whose content starts at from ends. Null when there is none.
const char* MarkupStripper::FindSurvivingGreater(const char* from) {
    // Most constructs hold no "?" before their first ">": that ">" is then the end.
    const char* greater = FindGreater(from);
    if (greater != nullptr && std::memchr(from, '?', greater - from) == nullptr) return greater;
    size_t held = 0; // "<" characters at the end of the construct's text so far
    int removed = 0;
    for (const char* r = from; r < m_end;) {
        char c = *r;
        if (c == '<') {
            ++held;
            ++r;
        } else if (c == '?' && held > 0) {
            const char* greater = FindGreater(r + 1);
            if (greater == nullptr) return nullptr;
            --held;
            ++removed;
            r = greater + 1;
        } else if (c == '>') {
            m_removed += removed;
            return r;
        } else {
            held = 0;
            ++r;
        }
    }
    return nullptr;
}

int MarkupStripper::Next() {
    for (;;) {
        if (m_flushLess > 0) {
            --m_flushLess;
            return '<';
        }
        if (m_pending >= 0) {
            int c = m_pending;
            m_pending = -1;
            return c;
        }
        if (m_p == m_end) {
            if (m_heldLess == 0) return -1;
            m_flushLess = m_heldLess;
            m_heldLess = 0;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(*m_p++);
        if (c == '<') {
            ++m_heldLess;
            continue;
        }
        const char* greater = nullptr;
        bool bang = c == '!';
        if (m_heldLess > 0 && (c == '?' || (bang && !m_bangDead))) {
            bool acrossBang = m_heldLess <= m_heldBeforeBang;
            greater = (bang || acrossBang) ? FindSurvivingGreater(m_p) : FindGreater(m_p);
            if (greater == nullptr && (bang || acrossBang)) m_bangDead = true;
        }
        if (greater != nullptr) {
            --m_heldLess;
            m_heldBeforeBang = bang ? m_heldLess : std::min(m_heldBeforeBang, m_heldLess);
            ++m_removed;
            m_p = greater + 1;
            continue;
        }
        if (m_heldLess == 0) return c;
        m_flushLess = m_heldLess;
        m_heldLess = m_heldBeforeBang = 0;
        m_pending = c;
    }
}

bool MarkupStripper::NextRun(const char*& begin, const char*& end) {
    if (m_flushLess == 0 && m_pending < 0 && m_heldLess == 0 && m_p != m_end) {
        // A marker may begin at a "<" followed by "<", "?" or "!"; the text before it comes out
        // as it stands.
        static constexpr TagStartSearch markerStarts("<?!");
        const char* marker = markerStarts.Find(m_p, m_end);
        if (marker == nullptr) marker = m_end;
        if (marker != m_p) {
            begin = m_p;
            end = m_p = marker;
            return true;
        }
    }
    int c = Next();
    if (c < 0) return false;
    m_single = static_cast<char>(c);
    begin = &m_single;
    end = begin + 1;
    return true;
}

namespace {

// Tokens of a stripped text by the rules of strtok: runs of delimiters are skipped, a token is
// never empty, and the delimiter that ends a token is consumed with it. The stripped text comes
// in runs, and a token is appended a run at a time.
class Tokenizer {
public:
    // A delimiter set as a table of the 256 byte values.
    struct Delimiters {
        constexpr explicit Delimiters(const char* set) {
            for (const char* d = set; *d != '\0'; ++d)
                is[static_cast<unsigned char>(*d)] = true;
        }
        bool is[256] = {};
    };

    // Tokens of the stripped form of the text [begin, end).
    Tokenizer(MarkupStripper& stripper, const char* begin, const char* end)
        : m_stripper(stripper), m_textBegin(begin), m_textEnd(end) {}

    // The next token, as a view into the text where it lies within one run of the stripped text,
    // else into a copy that lives until the next call.
    bool Next(const Delimiters& delimiters, std::string_view& token) {
        for (;;) { // skip delimiters
            while (m_begin != m_end && delimiters.is[static_cast<unsigned char>(*m_begin)])
                ++m_begin;
            if (m_begin != m_end) break;
            if (!m_stripper.NextRun(m_begin, m_end)) return false;
        }
        const char* start = m_begin;
        const char* stop = Scan(delimiters);
        if (stop != m_end) {
            token = std::string_view(start, stop - start);
            m_begin = stop + 1;
            return true;
        }
        // The token reaches the end of its run. Usually the next run begins with a delimiter (runs
        // end before a "<" that may open a marker), and the token can still be seen where it lies
        // in the text.
        bool inText = start >= m_textBegin && start < m_textEnd;
        m_copy.clear();
        if (!inText) AppendPart(start, stop); // a single character the next run may replace
        if (!m_stripper.NextRun(m_begin, m_end)) {
            m_begin = m_end = nullptr;
        } else if (inText && delimiters.is[static_cast<unsigned char>(*m_begin)]) {
            token = std::string_view(start, stop - start);
            ++m_begin;
            return true;
        }
        if (inText) AppendPart(start, stop);
        while (m_begin != nullptr) {
            stop = Scan(delimiters);
            AppendPart(m_begin, stop);
            if (stop != m_end) {
                m_begin = stop + 1;
                break;
            }
            if (!m_stripper.NextRun(m_begin, m_end)) m_begin = m_end = nullptr;
        }
        token = m_copy;
        return true;
    }

    // Skips every token that does not hold key and gives the first one that does, consumed as
    // Next would have consumed it; false when no token holds key. key must hold neither a
    // delimiter nor white space: each occurrence then lies inside one token, the first one inside
    // the first token that holds key, and the tokens before it need not be made. The key is looked
    // for in each run where it lies, and across the joint with the text kept from the runs before
    // it: what followed their last delimiter, the start of the token the joint is in.
    bool SkipToKey(const Delimiters& delimiters, const TextSearch& key, std::string_view& token) {
        const size_t size = key.Pattern().size();
        CString& seen = m_copy;
        seen.clear();
        CString joint;
        for (;;) {
            if (m_begin == m_end && !m_stripper.NextRun(m_begin, m_end)) return false;
            const char* run = m_begin;
            const char* runEnd = m_end;
            m_begin = m_end;
            if (!seen.empty() && size > 1) {
                // An occurrence that begins in the kept text and ends in this run.
                size_t kept = std::min(seen.size(), size - 1);
                joint.assign(seen, seen.size() - kept, kept);
                joint.append(run, std::min(static_cast<size_t>(runEnd - run), size - 1));
                const char* at = key.Find(joint.data(), joint.data() + joint.size());
                if (at != nullptr && static_cast<size_t>(at - joint.data()) < kept) {
                    size_t offset = seen.size() - kept + (at - joint.data());
                    seen.append(run, runEnd);
                    return TakeToken(delimiters, offset, size, token);
                }
            }
            const char* at = key.Find(run, runEnd);
            const char* start = at != nullptr ? at : runEnd; // back to the last delimiter before it
            while (start != run && !delimiters.is[static_cast<unsigned char>(start[-1])])
                --start;
            if (start != run) seen.clear();
            size_t offset = seen.size() + (at != nullptr ? at - start : 0);
            seen.append(start, runEnd);
            if (at != nullptr) return TakeToken(delimiters, offset, size, token);
        }
    }

private:
    // The token of m_copy that holds [at, at + size): from the last delimiter before it, up to the
    // next delimiter, which lies in the current run or later ones.
    bool TakeToken(const Delimiters& delimiters, size_t at, size_t size, std::string_view& token) {
        CString& seen = m_copy;
        size_t start = at;
        while (start > 0 && !delimiters.is[static_cast<unsigned char>(seen[start - 1])])
            --start;
        size_t stop = at + size;
        while (stop < seen.size() && !delimiters.is[static_cast<unsigned char>(seen[stop])])
            ++stop;
        // m_copy ends where the current run ends, at m_end in the text's terms.
        size_t unread = seen.size() - stop; // what follows the token in the current run
        seen.erase(stop);
        seen.erase(0, start);
        if (unread != 0) {
            m_begin = m_end - unread + 1; // just after the delimiter
        } else {
            for (;;) {
                if (!m_stripper.NextRun(m_begin, m_end)) {
                    m_begin = m_end = nullptr;
                    break;
                }
                const char* end = Scan(delimiters);
                seen.append(m_begin, end);
                if (end != m_end) {
                    m_begin = end + 1;
                    break;
                }
            }
        }
        token = seen;
        return true;
    }

    // Adds a part of a token that spans runs. White space that would lead the token is left out:
    // every use of a token trims it first.
    void AppendPart(const char* begin, const char* end) {
        if (m_copy.empty())
            while (begin != end && IsWhiteSpace(*begin))
                ++begin;
        m_copy.append(begin, end);
    }

    static bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // The first delimiter in the rest of the current run, or its end.
    const char* Scan(const Delimiters& delimiters) const {
        const char* stop = m_begin;
        while (stop != m_end && !delimiters.is[static_cast<unsigned char>(*stop)])
            ++stop;
        return stop;
    }

    MarkupStripper& m_stripper;
    const char* m_textBegin; // the text, which outlives every token seen in it
    const char* m_textEnd;
    const char* m_begin = nullptr; // the part of the current run not read yet
    const char* m_end = nullptr;
    CString m_copy; // a token that spans runs
};

// The token without white space at either end.
std::string_view Trimmed(std::string_view token) {
    static const char kWhite[] = " \t\n\v\f\r";
    size_t first = token.find_first_not_of(kWhite);
    if (first == std::string_view::npos) return std::string_view();
    return token.substr(first, token.find_last_not_of(kWhite) + 1 - first);
}

constexpr Tokenizer::Delimiters kTokenDelimiters("<=\">");
constexpr Tokenizer::Delimiters kGreater(">");

} // namespace

CString Chunker::ReadKeyValue(const CString& text, const CString& key, SourceEncoding encoding) {
    return ReadKeyValue(text.data(), text.data() + text.size(), key, encoding);
}

// Token walk:
//   token   := trimmed text between delimiters; empty ones are skipped
//   found   := a token began with key and a space (the rest of that start tag, up to its ">",
//              is then consumed as one token), or a token contains key
//   value   := the first non-empty token after found
CString Chunker::ReadKeyValue(const char* begin, const char* end, const CString& key, SourceEncoding encoding) {
    MarkupStripper stripper(begin, end);
    Tokenizer tokens(stripper, begin, end);
    std::string_view token;
    bool found = false;
    // A key of plain characters lets the tokens before the first one that holds it go unmade.
    bool plain = !key.empty() && key.find_first_of(" \t\n\v\f\r<=\">") == CString::npos;
    bool more = plain ? tokens.SkipToKey(kTokenDelimiters, TextSearch(key), token)
                      : tokens.Next(kTokenDelimiters, token);
    for (; more; more = tokens.Next(kTokenDelimiters, token)) {
        token = Trimmed(token);
        if (token.empty()) continue;
        if (found) {
            CString value(token);
            SanitiseKeyValue(value, encoding);
            return value;
        }
        if (token.size() > key.size() && token.compare(0, key.size(), key) == 0 && token[key.size()] == ' ') {
            tokens.Next(kGreater, token); // the rest of that start tag
            found = true;
        } else if (token.find(key) != std::string_view::npos) {
            found = true;
        }
    }
    return CString();
}
