// SourceScanner: the first stage of a run. It reads the source's text through the window and
// hands out, in order, what the text holds for a run: plain text, and the start and end tags of
// the chunk level tags. It also answers the questions that look ahead of the scan: where a
// chunk's naming region ends, and the region's text, piece by piece, without holding it.
//
// The text is read as plain text with tags:
//   tag      := "<" { "/" | name-char } end-char     end-char := ">" | " "
//   name     := the tag's characters other than "<", "/" and end-char
// A "/" anywhere in a tag makes it a closing tag. A "<" inside an unfinished tag abandons it: its
// text so far is plain text, and a new tag begins. Everything that is not a chunk level tag is
// plain text, handed out as it stands.
#pragma once

#include "SourceWindow.h"
#include "TextPieces.h"
#include "TextSearch.h"
#include "platform/StdioFile.h"
#include "platform/StringTypes.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class SourceScanner final : public TextPieces {
public:
    static constexpr uint64_t kNone = SourceWindow::kNone;

    struct Event {
        enum Kind {
            Text,     // text of the source, data and size
            StartTag, // a chunk level start tag through its end character: data and size; its name
            EndTag,   // a chunk level closing tag: data and size; its name
            Block,    // the next block of the source was read
            Stopped   // the stop flag was seen
        } kind = Text;
        const char* data = nullptr; // valid until the next call of Next, or of Piece or RegionEnd
        size_t size = 0;
        uint64_t begin = 0;   // the offset of data in the text
        uint64_t nameEnd = 0; // of a start tag: where its name ends (its end character), the region's start
        CString name;         // of a tag
    };

    // A scanner of the text of source (open, not read yet) for the chunk level tags (not empty).
    SourceScanner(CStdioFile& source, const CStringList& levelTags, const std::atomic<bool>* stop);

    // Before the scan. The text's start, at least to its first ">" or a block (all of a shorter text).
    std::string_view Head();
    // The text's first line with its LF (all of a text without one); false for an empty text.
    bool FirstLine(CString& line);

    // The next event; false at the end of the text, after its last text.
    bool Next(Event& event);
    // The offset of the text's end, once Next has given false; before, of what is held.
    uint64_t TextEnd() const { return m_window.End(); }
    // A tag of the text that differs from a chunk level tag in letter case only, when the scan met
    // one before its first start tag; else empty.
    const CString& CaseVariant() const { return m_strCaseVariant; }

    // The end of the naming region of a chunk of tag whose start tag's name ended at position: the
    // first nested start of the same tag ("<" tag ">" or "<" tag " ") or the first end of it ("</"
    // tag ">"), whichever comes first; position itself (an empty region) when the tag is never
    // closed after position. The text is read ahead, not held.
    uint64_t RegionEnd(const CString& tag, uint64_t position);
    // The text from offset (at or after the last event's start), piece by piece, read ahead of the
    // scan where it must be; valid until the next call or the next event.
    size_t Piece(uint64_t offset, const char*& data) override { return m_window.Piece(offset, data); }
    // True when a read ahead saw the stop flag (and so gave less than the text holds).
    bool StopSeen() const { return m_window.StopSeen(); }

    SourceScanner(const SourceScanner&) = delete;
    SourceScanner& operator=(const SourceScanner&) = delete;

private:
    // A pattern, and its last search to the end of the text during a scan.
    struct PatternSearch {
        explicit PatternSearch(CString text) : search(std::move(text)) {}
        TextSearch search;
        uint64_t from = kNone;  // where the last search to the end began (none yet)
        uint64_t found = kNone; // what it found
    };
    // What the region of a chunk of one tag is looked for with.
    struct TagSearches {
        explicit TagSearches(const CString& tag) : start("<" + tag), close("</" + tag + ">") {}
        CString start;       // a nested start, when a ">" or " " follows
        PatternSearch close; // the chunk's end
    };

    // Helpers
    bool Stopping() const { return m_stop != nullptr && m_stop->load(std::memory_order_relaxed); }
    bool Read(uint64_t keepFrom, Event& event);
    bool TakeText(uint64_t to, Event& event);
    bool IsLevelTag(std::string_view name) const;
    void NoteCaseVariant(std::string_view name);
    bool TextIs(uint64_t offset, std::string_view text);
    uint64_t FindAhead(PatternSearch& search, uint64_t from);

    // Member variables
    SourceWindow m_window;
    const std::atomic<bool>* m_stop;
    const CStringList& m_levelTags;
    size_t m_shortest = CString::npos, m_longest = 0; // tags of other lengths are never spelled out
    TagStartSearch m_tagStarts, m_anyCaseStarts; // where a chunk level tag may begin; in any case
    bool m_bChunkFound = false;                  // a start tag was handed out
    CString m_strCaseVariant;
    uint64_t m_searchFrom = 0;  // the search for tags goes on here
    uint64_t m_handedTo = 0;    // the text before this was handed out
    uint64_t m_tagBegin = kNone; // a tag being read: its "<", where its reading goes on, its "/"s
    uint64_t m_tagAt = 0;
    size_t m_slashes = 0;
    uint64_t m_readFrom = kNone; // a read to do first, keeping the text from here on
    bool m_bEventWaits = false;  // m_waiting is the next event
    Event m_waiting;
    bool m_bEnded = false;
    // The places the scan stops at in [position, m_stopsTo) of the last region looked at (kNone:
    // to the end of the text), from m_nextStop on.
    std::vector<uint64_t> m_stops;
    size_t m_nextStop = 0;
    uint64_t m_stopsTo = 0;
    std::unordered_map<CString, TagSearches> m_regionSearches;
};
