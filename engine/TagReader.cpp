#include "TagReader.h"

#include "TextSearch.h"

#include <algorithm>
#include <cstring>
#include <string_view>

bool RemoveConstruct(CString& text, const char* marker) {
    const size_t at = text.find(marker);
    const size_t greater = at == CString::npos ? CString::npos : text.find('>', at);
    if (greater == CString::npos) return false;
    text.erase(at, greater + 1 - at);
    return true;
}

int StripMarkup(CString& text) {
    HeldText held(text.data(), text.data() + text.size());
    MarkupStripper stripper(held, 0, text.size());
    CString stripped;
    stripped.reserve(text.size());
    for (int c = stripper.Next(); c >= 0; c = stripper.Next())
        stripped += static_cast<char>(c);
    text.swap(stripped);
    return stripper.Removed();
}

// Makes the piece at offset (before m_end) the one read last, cut at m_end.
void MarkupStripper::Fetch(uint64_t offset) {
    const size_t size = m_text.Piece(offset, m_piece);
    m_pieceBegin = offset;
    m_pieceEnd = offset + std::min<uint64_t>(size, m_end - offset);
}

// The first c in [from, limit), or kNone.
uint64_t MarkupStripper::FindByte(char c, uint64_t from, uint64_t limit) {
    while (from < limit) {
        Fetch(from);
        if (m_pieceEnd == from) break; // the text ended early
        const uint64_t stop = std::min(limit, m_pieceEnd);
        const char* piece = m_piece + (from - m_pieceBegin);
        const void* found = std::memchr(piece, c, static_cast<size_t>(stop - from));
        if (found != nullptr) return from + static_cast<uint64_t>(static_cast<const char*>(found) - piece);
        from = stop;
    }
    return kNone;
}

// The first ">" at or after from, or kNone. Once a search fails, later ones from further on
// fail at once, so that the searches of one text cost at most one pass over it.
uint64_t MarkupStripper::FindGreater(uint64_t from) {
    const uint64_t limit = std::min(m_noGreaterFrom, m_end);
    if (from < limit) {
        const uint64_t found = FindByte('>', from, limit);
        if (found != kNone) return found;
    }
    if (from < m_noGreaterFrom) m_noGreaterFrom = from;
    return kNone;
}

// The first ">" at or after from that no "<?" removal from there on takes: where a "<!"
// construct whose content starts at from ends. kNone when there is none.
uint64_t MarkupStripper::FindSurvivingGreater(uint64_t from) {
    // Most constructs hold no "?" before their first ">": that ">" is then the end.
    const uint64_t greater = FindGreater(from);
    if (greater != kNone && FindByte('?', from, greater) == kNone) return greater;
    size_t held = 0; // "<" characters at the end of the construct's text so far
    int removed = 0;
    for (uint64_t r = from; r < m_end;) {
        const unsigned char c = At(r);
        if (c == '<') {
            ++held;
            ++r;
        } else if (c == '?' && held > 0) {
            const uint64_t end = FindGreater(r + 1);
            if (end == kNone) return kNone;
            --held;
            ++removed;
            r = end + 1;
        } else if (c == '>') {
            m_removed += removed;
            return r;
        } else {
            held = 0;
            ++r;
        }
    }
    return kNone;
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
        const unsigned char c = At(m_p++);
        if (c == '<') {
            ++m_heldLess;
            continue;
        }
        uint64_t greater = kNone;
        const bool bang = c == '!';
        if (m_heldLess > 0 && (c == '?' || (bang && !m_bangDead))) {
            const bool acrossBang = m_heldLess <= m_heldBeforeBang;
            greater = (bang || acrossBang) ? FindSurvivingGreater(m_p) : FindGreater(m_p);
            if (greater == kNone && (bang || acrossBang)) m_bangDead = true;
        }
        if (greater != kNone) {
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
        // as it stands. A "<" that ends a piece may begin one with the next piece's first character.
        // A run is kept short, as a reader may need only the first few tokens of a long text.
        static constexpr TagStartSearch markerStarts("<?!");
        constexpr uint64_t kRun = 512;
        if (m_p < m_pieceBegin || m_p >= m_pieceEnd) Fetch(m_p);
        const uint64_t stop = std::min(m_pieceEnd, m_p + kRun);
        const char* const from = m_piece + (m_p - m_pieceBegin);
        const char* const to = from + (stop - m_p);
        const char* marker = markerStarts.Find(from, to);
        if (marker == nullptr) marker = stop < m_end && to[-1] == '<' ? to - 1 : to;
        if (marker != from) {
            begin = from;
            end = marker;
            m_p += static_cast<uint64_t>(marker - from);
            return true;
        }
    }
    const int c = Next();
    if (c < 0) return false;
    m_single = static_cast<char>(c);
    begin = &m_single;
    end = begin + 1;
    return true;
}

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The token without white space at either end.
std::string_view Trimmed(std::string_view token) {
    static constexpr char kWhite[] = " \t\n\v\f\r";
    const size_t first = token.find_first_not_of(kWhite);
    if (first == std::string_view::npos) return std::string_view();
    return token.substr(first, token.find_last_not_of(kWhite) + 1 - first);
}

// A delimiter set as a table of the 256 byte values.
struct Delimiters {
    constexpr explicit Delimiters(const char* set) {
        for (const char* d = set; *d != '\0'; ++d)
            is[static_cast<unsigned char>(*d)] = true;
    }
    bool is[256] = {};
};
constexpr Delimiters kTokenDelimiters("<=\">");
constexpr Delimiters kGreater(">");

// One token, gathered from the runs of the stripped text. Only its first kKept characters are
// kept (far more than any file name takes); of the rest it is only known whether it holds the key
// and anything but white space.
class Token {
public:
    static constexpr size_t kKept = size_t(1) << 16;

    explicit Token(const CString& key) : m_key(key) {}

    void Clear() {
        m_text.clear();
        m_bCut = m_bMoreText = m_bHasKey = false;
    }

    // Adds a part. White space that would lead the token is left out: it is trimmed anyway.
    void Append(const char* begin, const char* end) {
        if (m_text.empty())
            while (begin != end && IsWhiteSpace(*begin))
                ++begin;
        if (!m_bCut) {
            const size_t room = kKept - m_text.size();
            if (static_cast<size_t>(end - begin) <= room) {
                m_text.append(begin, end);
                return;
            }
            m_text.append(begin, room);
            begin += room;
            m_bCut = true;
            m_bHasKey = m_text.find(m_key) != CString::npos;
            m_tail.assign(m_text, m_text.size() - std::min(m_text.size(), m_key.size()), CString::npos);
        }
        m_bMoreText = m_bMoreText || std::find_if_not(begin, end, IsWhiteSpace) != end;
        if (!m_bHasKey) { // an occurrence may begin in the part seen before this one
            m_tail.append(begin, end);
            m_bHasKey = m_tail.find(m_key) != CString::npos;
            m_tail.erase(0, m_tail.size() - std::min(m_tail.size(), m_key.size()));
        }
    }

    // The token as trimmed (its kept part, when it was cut).
    std::string_view Text() const {
        if (m_bCut && m_bMoreText) return m_text;
        return Trimmed(m_text);
    }
    bool HasKey() const { return m_bCut ? m_bHasKey : Text().find(m_key) != std::string_view::npos; }

private:
    const CString& m_key;
    CString m_text;
    CString m_tail;          // the last characters of a cut token, as long as the key
    bool m_bCut = false;     // characters beyond kKept were not kept
    bool m_bMoreText = false; // ... and some were not white space
    bool m_bHasKey = false;  // a cut token holds the key
};

// Tokens of the stripped text by the rules of strtok: runs of delimiters are skipped, a token is
// never empty, and the delimiter that ends a token is consumed with it.
class Tokenizer {
public:
    explicit Tokenizer(MarkupStripper& stripper) : m_stripper(stripper) {}

    bool Next(const Delimiters& delimiters, Token& token) {
        for (;;) { // skip delimiters
            while (m_begin != m_end && delimiters.is[static_cast<unsigned char>(*m_begin)])
                ++m_begin;
            if (m_begin != m_end) break;
            if (!m_stripper.NextRun(m_begin, m_end)) return false;
        }
        token.Clear();
        Gather(delimiters, token);
        return true;
    }

    // Skips every token that does not hold key and gives the first one that does, as Next would
    // have given it; false when no token holds key. key holds neither a delimiter nor white space:
    // each occurrence then lies inside one token, and the first one inside the first token that
    // holds key, so the tokens before it need not be made. The key is looked for in each run, and
    // across the joint with the runs before it.
    bool SkipToKey(const TextSearch& key, Token& token) {
        const size_t size = key.Pattern().size();
        CString tail; // the last characters since the last delimiter, fewer than the key's
        token.Clear();
        for (;;) {
            if (m_begin == m_end && !m_stripper.NextRun(m_begin, m_end)) return false;
            const char* const run = m_begin;
            if (!tail.empty()) {
                CString joint = tail;
                joint.append(run, std::min(static_cast<size_t>(m_end - run), size - 1));
                const char* at = key.Find(joint.data(), joint.data() + joint.size());
                if (at != nullptr && static_cast<size_t>(at - joint.data()) < tail.size()) {
                    Gather(kTokenDelimiters, token); // the token goes on in this run
                    return true;
                }
            }
            const char* at = key.Find(run, m_end);
            const char* start = at != nullptr ? at : m_end; // back to the last delimiter before it
            while (start != run && !kTokenDelimiters.is[static_cast<unsigned char>(start[-1])])
                --start;
            if (start != run) {
                token.Clear();
                tail.clear();
            }
            if (at != nullptr) {
                token.Append(start, at);
                m_begin = at;
                Gather(kTokenDelimiters, token);
                return true;
            }
            token.Append(start, m_end);
            if (static_cast<size_t>(m_end - start) >= size - 1) tail.clear();
            tail.append(m_end - std::min(static_cast<size_t>(m_end - start), size - 1), m_end);
            tail.erase(0, tail.size() - std::min(tail.size(), size - 1));
            m_begin = m_end;
        }
    }

private:
    // Adds to token up to the next delimiter, which is consumed, or the end of the text.
    void Gather(const Delimiters& delimiters, Token& token) {
        for (;;) {
            const char* stop = m_begin;
            while (stop != m_end && !delimiters.is[static_cast<unsigned char>(*stop)])
                ++stop;
            token.Append(m_begin, stop);
            if (stop != m_end) {
                m_begin = stop + 1;
                return;
            }
            if (!m_stripper.NextRun(m_begin, m_end)) {
                m_begin = m_end = nullptr;
                return;
            }
        }
    }

    MarkupStripper& m_stripper;
    const char* m_begin = nullptr; // the part of the current run not read yet
    const char* m_end = nullptr;
};

} // namespace

CString ReadKeyValue(TextPieces& text, uint64_t begin, uint64_t end, const CString& key, SourceEncoding encoding) {
    MarkupStripper stripper(text, begin, end);
    Tokenizer tokens(stripper);
    Token token(key);
    bool found = false;
    // A key of plain characters lets the tokens before the first one that holds it go unmade.
    const bool plain = !key.empty() && key.find_first_of(" \t\n\v\f\r<=\">") == CString::npos;
    for (bool more = plain ? tokens.SkipToKey(TextSearch(key), token) : tokens.Next(kTokenDelimiters, token); more;
         more = tokens.Next(kTokenDelimiters, token)) {
        const std::string_view trimmed = token.Text();
        if (trimmed.empty()) continue;
        if (found) {
            CString value(trimmed);
            SanitiseKeyValue(value, encoding);
            return value;
        }
        if (trimmed.size() > key.size() && trimmed.compare(0, key.size(), key) == 0 && trimmed[key.size()] == ' ') {
            tokens.Next(kGreater, token); // the rest of that start tag
            found = true;
        } else if (token.HasKey()) {
            found = true;
        }
    }
    return CString();
}
