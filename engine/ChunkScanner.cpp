// The chunk scanner: one pass over the source text that finds the chunks by their tags and
// copies each chunk's text into its own file.
#include "Chunker.h"

#include <algorithm>

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

// The text is read as plain text with tags:
//   tag      := "<" { "/" | name-char } end-char     end-char := ">" | " "
//   name     := the tag's characters other than "<", "/" and end-char
// A "/" anywhere in a tag makes it a closing tag. A "<" inside an unfinished tag abandons it: its
// text so far goes to the current chunk as ordinary text, and a new tag begins. Text outside
// tags, and tags whose name is not a chunk level tag, go to the innermost open chunk only.
// Since all of these are copied as they stand, the current chunk receives one run of source text
// from one chunk level tag to the next, and each run is written at once.
void Chunker::ScanText(const CString& outputFolder, const CString& preamble, const CString& text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::vector<ChunkFile> open; // the innermost (current) chunk last
    const char* run = p;         // the start of the text not yet given to the current chunk
    auto flush = [&open, &run](const char* to) {
        if (!open.empty() && to != run) open.back().stream.Write(run, to - run);
        run = to;
    };
    size_t shortest = CString::npos, longest = 0; // tags of other lengths are never spelled out
    CString followers = "/";                      // what may follow the "<" of a chunk level tag
    for (const CString& tag : m_levelTags) {
        shortest = std::min(shortest, tag.size());
        longest = std::max(longest, tag.size());
        followers += tag[0];
    }
    // Only the tags that are chunk level tags change what goes where; every other "<" is passed
    // over. (Scanning an unfinished or other tag stops at the next "<" at the latest, so the next
    // search finds the same tags either way.)
    const TagStartSearch tagStarts(followers);
    m_scanEnd = end;
    m_searches.clear();
    CString name;
    while (p < end) {
        if (StopRequested()) break;
        const char* tagBegin = tagStarts.Find(p, end);
        if (tagBegin == nullptr) break;
        size_t slashes = 0;
        const char* q = tagBegin + 1;
        for (; q < end && *q != '>' && *q != ' ' && *q != '<'; ++q)
            slashes += *q == '/';
        p = q;
        if (q == end || *q == '<') continue; // abandoned, or unfinished at the end: ordinary text
        ++p;
        size_t length = static_cast<size_t>(q - tagBegin - 1) - slashes;
        if (length < shortest || length > longest || !ReadLevelTagName(tagBegin + 1, q, name)) continue;
        bool closing = slashes != 0;
        flush(tagBegin);
        if (!closing)
            StartChunk(open, outputFolder, preamble, name, q, tagBegin, end);
        else
            EndChunk(open, tagBegin, p);
        run = p;
    }
    if (m_bInterrupted) {
        RemoveUnfinished(open);
        return;
    }
    flush(end);
    // Chunks still open at the end keep what they hold: no closing tag, postamble or log line.
    while (!open.empty()) {
        ChunkFile& chunk = open.back();
        if (chunk.stream.IsOpen() && !chunk.stream.Close()) LogFailure("Unable to write file: " + chunk.path);
        open.pop_back();
    }
    m_scanEnd = nullptr;
    m_searches.clear();
}

// Opens a chunk whose start tag [tagBegin, nameEnd] has just ended: its file, its sub-folder
// when asked, and the preamble and start tag written into it.
void Chunker::StartChunk(std::vector<ChunkFile>& open, const CString& folder, const CString& preamble,
                         const CString& name, const char* nameEnd, const char* tagBegin, const char* end) {
    open.emplace_back(CString());
    ChunkFile& chunk = open.back();
    const ChunkPath chunkPath = MakeChunkPath(folder, name, nameEnd, end);
    if (m_options.GetSubfolders()) {
        CString subfolder = FolderOf(chunkPath.path, false);
        if (!IsFolder(subfolder)) {
            // Another run may make the folder first: then it is there, as if it had been before.
            bool created = CreateFolder(subfolder);
            if (created || !IsFolder(subfolder)) {
                if (created)
                    LogLine("Created sub-folder: " + subfolder);
                else
                    LogFailure("Unable to create sub-folder: " + subfolder);
                LogLine();
            }
        }
    }
    chunk.path = OpenChunkFile(chunkPath, chunk.stream);
    if (!chunk.stream.IsOpen()) {
        LogFailure("Unable to open file: " + chunk.path);
        return;
    }
    if (m_options.GetEmitPreamble() && !preamble.empty()) chunk.stream.Write(preamble);
    chunk.stream.Write(tagBegin, nameEnd + 1 - tagBegin);
}

// Ends the innermost open chunk with the closing tag [tagBegin, tagEnd) and the postamble, and
// logs its path. A closing tag while no chunk is open is dropped like other text outside chunks.
void Chunker::EndChunk(std::vector<ChunkFile>& open, const char* tagBegin, const char* tagEnd) {
    if (open.empty()) return;
    ChunkFile& chunk = open.back();
    if (chunk.stream.IsOpen()) {
        chunk.stream.Write(tagBegin, tagEnd - tagBegin);
        if (m_options.GetEmitPostamble()) {
            CString postamble = m_options.GetPostamble();
            if (!postamble.empty()) chunk.stream.Write(postamble);
        }
        if (chunk.stream.Close()) {
            LogLine(chunk.path);
            ++m_progress.filesWritten;
        }
        else
            LogFailure("Unable to write file: " + chunk.path);
    }
    open.pop_back();
}

// Removes the files of the chunks still open, which are incomplete, outermost first, and ends
// the log of an interrupted run.
void Chunker::RemoveUnfinished(std::vector<ChunkFile>& open) {
    for (ChunkFile& chunk : open)
        if (chunk.stream.IsOpen() && chunk.stream.CloseAndRemove(chunk.path))
            LogLine("Removed unfinished file: " + chunk.path);
    open.clear();
    if (m_bInterrupted) LogLine("Process interrupted.");
}
