#include "TagReader.h"

#include "Chunker.h"

#include <algorithm>
#include <cstring>

bool RemoveConstruct(CString& text, const char* marker) {
    size_t start = text.find(marker);
    if (start == CString::npos) return false;
    size_t close = text.find('>', start);
    if (close == CString::npos) return false;
    text.erase(start, close + 1 - start);
    return true;
}

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
    if (m_flushLess == 0 && m_pending < 0 && m_heldLess == 0 && m_p != m_end && *m_p != '<') {
        // Outside every marker, characters other than "<" come out as they are.
        const void* less = std::memchr(m_p, '<', m_end - m_p);
        begin = m_p;
        end = less != nullptr ? static_cast<const char*>(less) : m_end;
        m_p = end;
        return true;
    }
    int c = Next();
    if (c < 0) return false;
    m_single = static_cast<char>(c);
    begin = &m_single;
    end = begin + 1;
    return true;
}

void TrimWhiteSpace(CString& text) {
    static const char kWhite[] = " \t\n\v\f\r";
    size_t first = text.find_first_not_of(kWhite);
    if (first == CString::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(kWhite) + 1);
    text.erase(0, first);
}

void SanitiseKeyValue(CString& text) {
    for (char& c : text) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!keep) c = '_';
    }
}

namespace {

// Tokens of a stripped text by the rules of strtok: runs of delimiters are skipped, a token is
// never empty, and the delimiter that ends a token is consumed with it. The stripped text comes
// in runs, and a token is appended a run at a time.
class Tokenizer {
public:
    // A delimiter set as a table of the 256 byte values.
    struct Delimiters {
        explicit Delimiters(const char* set) {
            for (const char* d = set; *d != '\0'; ++d)
                is[static_cast<unsigned char>(*d)] = true;
        }
        bool is[256] = {};
    };

    explicit Tokenizer(MarkupStripper& stripper) : m_stripper(stripper) {}

    bool Next(const Delimiters& delimiters, CString& token) {
        for (;;) { // skip delimiters
            while (m_begin != m_end && delimiters.is[static_cast<unsigned char>(*m_begin)])
                ++m_begin;
            if (m_begin != m_end) break;
            if (!m_stripper.NextRun(m_begin, m_end)) return false;
        }
        token.clear();
        for (;;) {
            const char* stop = m_begin;
            while (stop != m_end && !delimiters.is[static_cast<unsigned char>(*stop)])
                ++stop;
            token.append(m_begin, stop);
            if (stop != m_end) {
                m_begin = stop + 1;
                return true;
            }
            if (!m_stripper.NextRun(m_begin, m_end)) {
                m_begin = m_end = nullptr;
                return true;
            }
        }
    }

private:
    MarkupStripper& m_stripper;
    const char* m_begin = nullptr; // the part of the current run not read yet
    const char* m_end = nullptr;
};

const Tokenizer::Delimiters kTokenDelimiters("<=\">");
const Tokenizer::Delimiters kGreater(">");

} // namespace

CString Chunker::ReadKeyValue(const CString& text, const CString& key) {
    return ReadKeyValue(text.data(), text.data() + text.size(), key);
}

// Token walk:
//   token   := trimmed text between delimiters; empty ones are skipped
//   found   := a token began with key and a space (the rest of that start tag, up to its ">",
//              is then consumed as one token), or a token contains key
//   value   := the first non-empty token after found
CString Chunker::ReadKeyValue(const char* begin, const char* end, const CString& key) {
    MarkupStripper stripper(begin, end);
    Tokenizer tokens(stripper);
    CString token;
    bool found = false;
    for (bool more = tokens.Next(kTokenDelimiters, token); more;
         more = tokens.Next(kTokenDelimiters, token)) {
        TrimWhiteSpace(token);
        if (token.empty()) continue;
        if (found) {
            SanitiseKeyValue(token);
            return token;
        }
        if (token.size() > key.size() && token.compare(0, key.size(), key) == 0 && token[key.size()] == ' ') {
            CString rest;
            tokens.Next(kGreater, rest);
            found = true;
        } else if (token.find(key) != CString::npos) {
            found = true;
        }
    }
    return CString();
}
