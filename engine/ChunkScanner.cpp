// The chunk scanner: one pass over the source text that finds the chunks by their tags and
// copies each chunk's text into its own file.
#include "Chunker.h"

#include <algorithm>
#include <cctype>

namespace {
// Files handed to the pool and not finished that a run lets wait before it waits for the oldest:
// enough to keep the pool's threads busy, few enough for their streams' buffers. Together with
// the chunks open the run holds no more streams than this, so that where the system's limit
// of open files decides which chunk files open, the pool does not change it.
constexpr size_t kFilesInHand = 32;
// A finish slower than this (a scanner looking at each file, a share that flushes; a file system
// in memory takes a few microseconds, a local disk tens), kSlowFinishes times in a row, and the
// run's later files go to its finish threads.
constexpr auto kSlowFinish = std::chrono::microseconds(250);
constexpr int kSlowFinishes = 3;
} // namespace

CString FolderOf(const CString& path, bool keepSeparator) {
    size_t separator = path.rfind(kPathSeparator);
    if (separator == CString::npos) return path;
    return path.substr(0, keepSeparator ? separator + 1 : separator);
}

// The name of the tag whose characters after its "<" are [begin, end), into name; true when it
// is a chunk level tag.
bool Chunker::ReadLevelTagName(const char* begin, const char* end, CString& name) const {
    name.clear();
    for (const char* q = begin; q < end; ++q)
        if (*q != '/') name += *q;
    return IsLevelTag(name);
}

bool Chunker::IsLevelTag(const CString& name) const {
    for (const CString& tag : m_levelTags)
        if (tag == name) return true;
    return false;
}

// Keeps name when it is a chunk level tag in other letters' case (ASCII letters only).
void Chunker::NoteCaseVariant(const CString& name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const CString& tag : m_levelTags)
        if (tag.size() == name.size() &&
            std::equal(tag.begin(), tag.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); })) {
            m_strCaseVariant = name;
            return;
        }
}

// The text is read as plain text with tags:
//   tag      := "<" { "/" | name-char } end-char     end-char := ">" | " "
//   name     := the tag's characters other than "<", "/" and end-char
// A "/" anywhere in a tag makes it a closing tag. A "<" inside an unfinished tag abandons it: its
// text so far goes to the current chunk as ordinary text, and a new tag begins. Text outside
// tags, and tags whose name is not a chunk level tag, go to the innermost open chunk only.
// Since all of these are copied as they stand, the current chunk receives one run of source text
// from one chunk level tag to the next, written as it is read.
//
// The text comes through the window a block at a time. Whatever the scan has passed is given to
// the current chunk before the next block is read, so the window holds only what a decision
// still needs: the last character (a "<" may begin a tag), a tag not finished yet, a region.
void Chunker::ScanText(const CString& outputFolder, const CString& preamble) {
    SourceWindow& window = *m_window;
    m_open.clear();
    m_run = 0;
    size_t shortest = CString::npos, longest = 0; // tags of other lengths are never spelled out
    CString followers = "/", anyCase = "/";       // what may follow the "<" of a chunk level tag
    for (const CString& tag : m_levelTags) {
        shortest = std::min(shortest, tag.size());
        longest = std::max(longest, tag.size());
        followers += tag[0];
        anyCase += static_cast<char>(std::tolower(static_cast<unsigned char>(tag[0])));
        anyCase += static_cast<char>(std::toupper(static_cast<unsigned char>(tag[0])));
    }
    // Only the tags that are chunk level tags change what goes where; every other "<" is passed
    // over. (Scanning an unfinished or other tag stops at the next "<" at the latest, so the next
    // search finds the same tags either way.) Until the first chunk starts, tags that differ from
    // a chunk level tag in letter case only are looked at too, so that a run that finds none can
    // name one.
    const TagStartSearch tagStarts(followers), anyCaseStarts(anyCase);
    m_searches.clear();
    CString name;
    for (uint64_t p = 0;;) {
        if (StopRequested()) throw Interrupted();
        const TagStartSearch& starts = m_bChunkFound ? tagStarts : anyCaseStarts;
        const char* found = starts.Find(window.At(p), window.At(window.End()));
        if (found == nullptr) {
            if (window.Complete()) break;
            // No tag begins before the last character held; it may begin one.
            p = std::max(p, window.End() - (window.End() > window.Begin() ? 1 : 0));
            ReadMore(p);
            continue;
        }
        const uint64_t tagBegin = window.OffsetOf(found);
        uint64_t q = tagBegin + 1;
        size_t slashes = 0;
        for (;;) {
            const char* c = window.At(q);
            const char* const end = window.At(window.End());
            for (; c < end && *c != '>' && *c != ' ' && *c != '<'; ++c)
                slashes += *c == '/';
            q = window.OffsetOf(c);
            if (c < end || window.Complete()) break;
            // The tag goes on past the window. Once it is too long for a chunk level tag it is
            // ordinary text and need not be held.
            const bool ordinary = q - tagBegin - 1 - slashes > longest;
            ReadMore(ordinary ? q : tagBegin);
        }
        p = q;
        if (q == window.End() || *window.At(q) == '<') continue; // abandoned, or unfinished at the end
        ++p;
        const uint64_t length = q - tagBegin - 1 - slashes;
        if (length < shortest || length > longest) continue;
        if (!ReadLevelTagName(window.At(tagBegin + 1), window.At(q), name)) {
            if (!m_bChunkFound && m_strCaseVariant.empty()) NoteCaseVariant(name);
            continue;
        }
        GiveText(tagBegin);
        if (slashes == 0)
            StartChunk(outputFolder, preamble, name, tagBegin, q);
        else
            EndChunk(tagBegin, p);
        m_run = p;
    }
    GiveText(window.End());
    if (m_pool) LogFinished(0);
    // Chunks still open at the end keep what they hold: no closing tag, postamble or log line.
    while (!m_open.empty()) {
        ChunkFile& chunk = m_open.back();
        if (chunk.stream.IsOpen()) {
            if (!chunk.stream.Finish())
                LogFileFailure(FailureKind::FileNotWritten, chunk.path, chunk.stream.GetErrorText());
            else if (m_chunkReport)
                m_chunkReport(RecordOf(chunk, window.End(), false));
        }
        m_open.pop_back();
    }
    m_searches.clear();
    if (m_report) m_report(m_progress);
}

// Gives the text from m_run up to to to the current chunk (none: it is dropped).
void Chunker::GiveText(uint64_t to) {
    if (to <= m_run) return;
    if (!m_open.empty()) m_open.back().stream.Write(m_window->At(m_run), static_cast<size_t>(to - m_run));
    m_run = to;
}

// Reads the next block of the source into the window, which keeps the text from keepFrom on:
// the text before it is given to the current chunk first (it is past deciding). The stop flag is
// looked at first and the progress reported after.
void Chunker::ReadMore(uint64_t keepFrom) {
    if (StopRequested()) throw Interrupted();
    GiveText(keepFrom);
    m_window->Extend(keepFrom);
    if (m_pool) {
        m_pool->Wake(); // files need not wait longer than a block for the next chunk's end
        LogFinished(kFilesInHand);
    }
    m_progress.bytesRead = m_source.GetPosition();
    if (m_report) m_report(m_progress);
}

// Opens a chunk whose start tag [tagBegin, nameEnd] has just ended: its file, its sub-folder
// when asked, and the preamble and start tag written into it.
void Chunker::StartChunk(const CString& folder, const CString& preamble, const CString& name,
                         uint64_t tagBegin, uint64_t nameEnd) {
    m_bChunkFound = true;
    const ChunkPath chunkPath = MakeChunkPath(folder, name, nameEnd);
    m_open.emplace_back(CString());
    ChunkFile& chunk = m_open.back();
    chunk.tag = name;
    chunk.name = chunkPath.name;
    chunk.begin = tagBegin;
    if (m_options.GetSubfolders()) {
        CString subfolder = FolderOf(chunkPath.path, false);
        if (!IsFolder(subfolder)) {
            // Another run may make the folder first: then it is there, as if it had been before.
            ClearSystemError();
            bool created = CreateFolder(subfolder);
            const CString reason = created ? CString() : SystemErrorText();
            if (created || !IsFolder(subfolder)) {
                if (created)
                    LogLine("Created sub-folder: " + subfolder);
                else
                    LogFileFailure(FailureKind::FolderNotCreated, subfolder, reason);
                LogLine();
            }
        }
    }
    if (m_pool) LogFinished(kFilesInHand - std::min(kFilesInHand, m_open.size()));
    chunk.path = OpenChunkFile(chunkPath, chunk.stream);
    if (!chunk.stream.IsOpen()) {
        LogFileFailure(FailureKind::FileNotOpened, chunk.path, chunk.stream.GetErrorText());
        return;
    }
    if (m_utf16 != Utf16Order::None) chunk.stream.EncodeAsUtf16(m_utf16);
    if (m_options.GetEmitPreamble() && !preamble.empty()) chunk.stream.Write(preamble);
    chunk.stream.Write(m_window->At(tagBegin), static_cast<size_t>(nameEnd + 1 - tagBegin));
}

// Ends the innermost open chunk with the closing tag [tagBegin, tagEnd) and the postamble, and
// logs its path. A closing tag while no chunk is open is dropped like other text outside chunks.
void Chunker::EndChunk(uint64_t tagBegin, uint64_t tagEnd) {
    if (m_open.empty()) return;
    ChunkFile& chunk = m_open.back();
    if (chunk.stream.IsOpen()) {
        chunk.stream.Write(m_window->At(tagBegin), static_cast<size_t>(tagEnd - tagBegin));
        if (m_options.GetEmitPostamble()) {
            CString postamble = m_options.GetPostamble();
            if (!postamble.empty()) chunk.stream.Write(postamble);
        }
        if (m_pool) {
            ChunkRecord record = RecordOf(chunk, tagEnd, true);
            m_pool->Add(std::move(chunk.stream));
            m_waiting.push_back({WaitingLine::Finished, std::move(chunk.path)});
            m_waiting.back().record = std::move(record);
            LogFinished(kFilesInHand);
        } else if (FinishTimed(chunk.stream)) {
            LogLine(chunk.path);
            ++m_progress.filesWritten;
            if (m_chunkReport) m_chunkReport(RecordOf(chunk, tagEnd, true));
        } else {
            LogFileFailure(FailureKind::FileNotWritten, chunk.path, chunk.stream.GetErrorText());
        }
    }
    m_open.pop_back();
}

// Finishes a file in turn; with finish threads asked for, the time it took counts towards
// handing the later files to them.
bool Chunker::FinishTimed(TextOutStream& stream) {
    if (m_finishThreads == 0) return stream.Finish();
    const auto begun = std::chrono::steady_clock::now();
    const bool finished = stream.Finish();
    if (std::chrono::steady_clock::now() - begun < kSlowFinish)
        m_slowFinishes = 0;
    else if (++m_slowFinishes == kSlowFinishes)
        m_pool = std::make_unique<FinishPool>(m_finishThreads);
    return finished;
}

// Removes the files of the chunks still open, which are incomplete, outermost first (a replace's
// own file: the entry it was to replace stays as it was); after an interrupt the log then ends
// with "Process interrupted.".
void Chunker::RemoveUnfinished() {
    for (ChunkFile& chunk : m_open)
        if (chunk.stream.IsOpen() && chunk.stream.CloseAndRemove())
            LogLine("Removed unfinished file: " + chunk.stream.WrittenPath());
    m_open.clear();
    if (m_bInterrupted) LogLine("Process interrupted.");
}
