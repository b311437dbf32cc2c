#include "SourceScanner.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// What may follow the "<" of a chunk level tag: its first character, or "/"; with anyCase, the
// first character in both letter cases too.
CString Followers(const CStringList& tags, bool anyCase) {
    CString followers = "/";
    for (const CString& tag : tags) {
        followers += tag[0];
        if (!anyCase) continue;
        followers += static_cast<char>(std::tolower(static_cast<unsigned char>(tag[0])));
        followers += static_cast<char>(std::toupper(static_cast<unsigned char>(tag[0])));
    }
    return followers;
}

} // namespace

// Only the tags that are chunk level tags change what goes where; every other "<" is passed
// over. (Scanning an unfinished or other tag stops at the next "<" at the latest, so the next
// search finds the same tags either way.) Until the first chunk starts, tags that differ from
// a chunk level tag in letter case only are looked at too, so that a run that finds none can
// name one.
SourceScanner::SourceScanner(CStdioFile& source, const CStringList& levelTags, const std::atomic<bool>* stop)
    : m_window(source, stop), m_stop(stop), m_levelTags(levelTags), m_tagStarts(Followers(levelTags, false)),
      m_anyCaseStarts(Followers(levelTags, true)) {
    for (const CString& tag : levelTags) {
        m_shortest = std::min(m_shortest, tag.size());
        m_longest = std::max(m_longest, tag.size());
    }
}

// The declaration ends at the first ">"; a text without one is looked at up to a block.
std::string_view SourceScanner::Head() {
    SourceWindow& window = m_window;
    while (!window.Complete() && window.End() < SourceWindow::kBlock &&
           std::memchr(window.At(0), '>', static_cast<size_t>(window.End())) == nullptr)
        window.Extend(0);
    return std::string_view(window.At(0), static_cast<size_t>(window.End()));
}

bool SourceScanner::FirstLine(CString& line) {
    SourceWindow& window = m_window;
    for (uint64_t from = 0;;) {
        const void* lf = std::memchr(window.At(from), '\n', static_cast<size_t>(window.End() - from));
        if (lf != nullptr) {
            line.assign(window.At(0), static_cast<const char*>(lf) + 1);
            return true;
        }
        if (window.Complete()) {
            line.assign(window.At(0), window.At(window.End()));
            return !line.empty();
        }
        from = window.End();
        window.Extend(0);
    }
}

// The scan goes from one possible chunk level tag to the next. Whatever it has passed is handed
// out before the next block is read, so the window holds only what a decision still needs: the
// last character (a "<" may begin a tag), a tag not finished yet.
bool SourceScanner::Next(Event& event) {
    SourceWindow& window = m_window;
    for (;;) {
        if (m_bEventWaits) {
            m_bEventWaits = false;
            event.kind = m_waiting.kind;
            event.data = m_waiting.data;
            event.size = m_waiting.size;
            event.begin = m_waiting.begin;
            event.nameEnd = m_waiting.nameEnd;
            event.name.swap(m_waiting.name);
            return true;
        }
        if (m_readFrom != kNone) {
            const uint64_t keepFrom = m_readFrom;
            m_readFrom = kNone;
            event.kind = Stopping() ? Event::Stopped : Event::Block;
            if (event.kind == Event::Block) window.Extend(keepFrom);
            return true;
        }
        if (m_tagBegin != kNone) {
            const char* c = window.At(m_tagAt);
            const char* const end = window.At(window.End());
            for (; c < end && *c != '>' && *c != ' ' && *c != '<'; ++c)
                m_slashes += *c == '/';
            m_tagAt = window.OffsetOf(c);
            if (c == end && !window.Complete()) {
                // The tag goes on past the window. Once it is too long for a chunk level tag it is
                // plain text and need not be held.
                const bool plain = m_tagAt - m_tagBegin - 1 - m_slashes > m_longest;
                if (Read(plain ? m_tagAt : m_tagBegin, event)) return true;
                continue;
            }
            const uint64_t tagBegin = m_tagBegin, q = m_tagAt;
            m_tagBegin = kNone;
            m_searchFrom = q;
            if (q == window.End() || *c == '<') continue; // abandoned, or unfinished at the end
            m_searchFrom = q + 1;
            const uint64_t length = q - tagBegin - 1 - m_slashes;
            if (length < m_shortest || length > m_longest) continue;
            Event& tag = m_waiting;
            // Most tags hold no "/" but a closing tag's first: their name lies in the text whole,
            // and is copied only for a chunk level tag.
            const char* first = window.At(tagBegin + 1);
            if (m_slashes == 1 && *first == '/') ++first;
            const bool whole = m_slashes <= 1 && first + length == c;
            if (!whole) {
                tag.name.clear();
                for (const char* p = window.At(tagBegin + 1); p < c; ++p)
                    if (*p != '/') tag.name += *p;
            }
            const std::string_view name = whole ? std::string_view(first, static_cast<size_t>(length)) : tag.name;
            if (!IsLevelTag(name)) {
                if (!m_bChunkFound && m_strCaseVariant.empty()) NoteCaseVariant(name);
                continue;
            }
            if (whole) tag.name.assign(name);
            tag.kind = m_slashes == 0 ? Event::StartTag : Event::EndTag;
            tag.data = window.At(tagBegin);
            tag.size = static_cast<size_t>(q + 1 - tagBegin);
            tag.begin = tagBegin;
            tag.nameEnd = q;
            m_bChunkFound = m_bChunkFound || m_slashes == 0;
            m_bEventWaits = true;
            if (TakeText(tagBegin, event)) {
                m_handedTo = q + 1;
                return true;
            }
            m_handedTo = q + 1;
            continue;
        }
        if (m_bEnded) return false;
        if (Stopping()) {
            event.kind = Event::Stopped;
            return true;
        }
        if (m_searchFrom < m_stopsTo) {
            // Where a region's end was looked for, the tags that may matter are known already.
            while (m_nextStop < m_stops.size() && m_stops[m_nextStop] < m_searchFrom)
                ++m_nextStop;
            const uint64_t stop = m_nextStop < m_stops.size() ? m_stops[m_nextStop] : m_stopsTo;
            if (stop >= window.End() && !window.Complete()) {
                m_searchFrom = window.End();
                if (Read(m_searchFrom, event)) return true;
                continue;
            }
            if (stop < m_stopsTo) {
                m_tagBegin = stop;
                m_tagAt = stop + 1;
                m_slashes = 0;
                continue;
            }
            m_searchFrom = std::min(m_stopsTo, window.End());
        }
        const TagStartSearch& starts = m_bChunkFound ? m_tagStarts : m_anyCaseStarts;
        const char* found = starts.Find(window.At(m_searchFrom), window.At(window.End()));
        if (found == nullptr) {
            if (window.Complete()) {
                m_bEnded = true;
                if (TakeText(window.End(), event)) return true;
                return false;
            }
            // No tag begins before the last character held; it may begin one.
            m_searchFrom = std::max(m_searchFrom, window.End() - (window.End() > window.Begin() ? 1 : 0));
            if (Read(m_searchFrom, event)) return true;
            continue;
        }
        m_tagBegin = window.OffsetOf(found);
        m_tagAt = m_tagBegin + 1;
        m_slashes = 0;
    }
}

// Asks for the next block, to be read at the next call, keeping the text from keepFrom on; true
// when the text before it must be handed out first, as event.
bool SourceScanner::Read(uint64_t keepFrom, Event& event) {
    m_readFrom = keepFrom;
    return TakeText(keepFrom, event);
}

// The text not handed out yet up to to, as event; false when there is none.
bool SourceScanner::TakeText(uint64_t to, Event& event) {
    if (to <= m_handedTo) return false;
    event.kind = Event::Text;
    event.data = m_window.At(m_handedTo);
    event.size = static_cast<size_t>(to - m_handedTo);
    event.begin = m_handedTo;
    m_handedTo = to;
    return true;
}

bool SourceScanner::IsLevelTag(std::string_view name) const {
    for (const CString& tag : m_levelTags)
        if (tag == name) return true;
    return false;
}

// Keeps name when it is a chunk level tag in other letters' case (ASCII letters only).
void SourceScanner::NoteCaseVariant(std::string_view name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const CString& tag : m_levelTags)
        if (tag.size() == name.size() &&
            std::equal(tag.begin(), tag.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); })) {
            m_strCaseVariant = name;
            return;
        }
}

// True when the text at offset begins with text (read across pieces).
bool SourceScanner::TextIs(uint64_t offset, std::string_view text) {
    while (!text.empty()) {
        const char* data;
        const size_t size = std::min(Piece(offset, data), text.size());
        if (size == 0 || std::memcmp(data, text.data(), size) != 0) return false;
        text.remove_prefix(size);
        offset += size;
    }
    return true;
}

// The first occurrence of the pattern from from to the end of the text. During a scan these
// searches only move forward, so a result found earlier still answers a later search that starts
// at or before it, and a search that found nothing answers every later one: one pass in all.
uint64_t SourceScanner::FindAhead(PatternSearch& search, uint64_t from) {
    if (search.from != kNone && from >= search.from && (search.found == kNone || search.found >= from))
        return search.found;
    search.from = from;
    search.found = kNone;
    const CString& pattern = search.search.Pattern();
    for (uint64_t at = from;;) {
        const char* data;
        const size_t size = Piece(at, data);
        if (size == 0) return kNone;
        const char* found = search.search.Find(data, data + size);
        if (found != nullptr) return search.found = at + static_cast<uint64_t>(found - data);
        // An occurrence that begins in the piece's last characters and goes on in the next one.
        // (TextIs may read the next piece over this one, so the tail is looked at in a copy.)
        const uint64_t next = at + size;
        const CString tail(data + size - std::min(size, pattern.size() - 1), data + size);
        for (size_t i = 0; i < tail.size(); ++i)
            if (tail[i] == pattern[0] && TextIs(next - tail.size() + i, pattern))
                return search.found = next - tail.size() + i;
        at = next;
    }
}

// The region's end is a "<" that begins the tag's start or end. Where the scan holds no end of
// the tag, only a nested start shows that it is closed, which is looked up ahead. The places the
// scan must look at in the region (where any chunk level tag may begin) are kept for it, up to
// kStops of them, so that it need not look for them again.
uint64_t SourceScanner::RegionEnd(const CString& tag, uint64_t position) {
    constexpr size_t kStops = 4096;
    TagSearches& searches = m_regionSearches.try_emplace(tag, tag).first->second;
    const CString& start = searches.start;
    const CString& end = searches.close.search.Pattern();
    m_stops.clear();
    m_nextStop = 0;
    m_stopsTo = position;
    for (uint64_t at = position;;) {
        const char* data;
        const size_t size = Piece(at, data);
        if (size == 0) {
            if (m_stopsTo == at) m_stopsTo = StopSeen() ? position : kNone; // all is known to the end
            return position;
        }
        const char* less = m_tagStarts.Find(data, data + size);
        if (less == nullptr && data[size - 1] != '<') {
            if (m_stopsTo == at) m_stopsTo = at + size;
            at += size;
            continue;
        }
        // A "<" that ends a piece is kept as a stop whatever follows: one too many costs nothing.
        const uint64_t offset = less != nullptr ? at + static_cast<uint64_t>(less - data) : at + size - 1;
        if (m_stopsTo == at && m_stops.size() < kStops) {
            m_stops.push_back(offset);
            m_stopsTo = offset + 1;
        }
        if (TextIs(offset, end)) return offset;
        const char* after;
        if (TextIs(offset, start) && Piece(offset + start.size(), after) != 0 && (*after == '>' || *after == ' '))
            return FindAhead(searches.close, position) != kNone ? offset : position;
        at = offset + 1;
    }
}
