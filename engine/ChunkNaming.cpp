// Chunk naming: the full path of each chunk's file, from its folder, prefix, key values, number
// and extension, never replacing the source or a file given out earlier in the same run.
#include "Chunker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

CString FormatNumber(const char* format, int number) {
    char text[32];
    int length = std::snprintf(text, sizeof text, format, number);
    return CString(text, length > 0 ? static_cast<size_t>(length) : 0);
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool IsReservedDeviceName(const CString& path) {
    const CString name = GetFileNameOf(path);
    const size_t length = std::min(name.find('.'), name.size());
    auto is = [&name](const char* device) {
        return UpperAscii(name[0]) == device[0] && UpperAscii(name[1]) == device[1] &&
               UpperAscii(name[2]) == device[2];
    };
    if (length == 3) return is("CON") || is("PRN") || is("AUX") || is("NUL");
    return length == 4 && name[3] >= '1' && name[3] <= '9' && (is("COM") || is("LPT"));
}

// The first occurrence of the pattern from from to the end of the text. During a scan these
// searches only move forward, so a result found earlier still answers a later search that starts
// at or before it, and a search that found nothing answers every later one: one pass in all.
const char* Chunker::FindToEnd(PatternSearch& search, const char* from, const char* end) const {
    if (end != m_scanEnd) return search.search.Find(from, end);
    if (search.from == nullptr || from < search.from || (search.found != nullptr && search.found < from)) {
        search.from = from;
        search.found = search.search.Find(from, end);
    }
    return search.found;
}

// The region of the chunk's own content: from position up to the first nested start of the same
// tag ("<" tag ">" or "<" tag " ") or the first end of it ("</" tag ">"), whichever comes first;
// empty (regionEnd == position) when the tag is never closed after position. One pass over the
// occurrences of the tag's name finds whichever comes first; only a nested start needs the end
// to be looked for further on, and that search is remembered for the chunks nested in this one.
void Chunker::FindRegion(const CString& tag, const char* position, const char* end, const char*& regionEnd) {
    std::optional<TagSearches> local;
    const bool scanning = end == m_scanEnd;
    TagSearches& searches = !scanning ? local.emplace(tag) : m_searches.try_emplace(tag, tag).first->second;
    regionEnd = position;
    const size_t size = tag.size();
    for (const char* at = position; (at = searches.name.Find(at, end)) != nullptr; ++at) {
        const char* after = at + size;
        if (after == end) break;
        if (at > position && at[-1] == '<' && (*after == '>' || *after == ' ')) {
            if (FindToEnd(searches.close, position, end) != nullptr) regionEnd = at - 1;
            return;
        }
        if (at >= position + 2 && at[-2] == '<' && at[-1] == '/' && *after == '>') {
            regionEnd = at - 2;
            if (scanning) searches.close.from = position, searches.close.found = regionEnd;
            return;
        }
    }
    if (scanning) searches.close.from = position, searches.close.found = nullptr;
}

CString Chunker::MakePrefix(const CString& tag) const {
    CString prefix;
    if (m_options.GetEmitPrefix()) {
        if (m_options.GetUseSource()) {
            prefix = m_source.GetFileName();
            for (char& c : prefix)
                if (c == '.') c = '_';
        } else {
            prefix = m_options.GetPrefix();
        }
        if (m_options.GetAppendTagname()) {
            if (!prefix.empty()) prefix += '_';
            prefix += tag;
        }
    }
    if (!prefix.empty()) prefix += '_';
    return prefix;
}

Chunker::ChunkPath Chunker::MakeChunkPath(const CString& outputFolder, const CString& tag,
                                          const char* position, const char* end) {
    CString folderPart = outputFolder + kPathSeparator;
    if (m_options.GetSubfolders()) folderPart += tag + kPathSeparator;

    CString name;
    const char* regionEnd = position;
    FindRegion(tag, position, end, regionEnd);
    if (regionEnd != position) {
        for (const CString& key : m_nameKeys) {
            CString value = ReadKeyValue(position, regionEnd, key);
            if (value.empty()) continue;
            if (!name.empty()) name += '_';
            name += value;
        }
    }

    bool duplicate = false;
    if (name.empty())
        name = FormatNumber("%04d", ++m_unnamedCount);
    else
        duplicate = !m_usedNames.insert(name).second;

    ChunkPath chunkPath;
    chunkPath.base = folderPart + MakePrefix(tag) + name;
    chunkPath.ext = m_options.GetExt();
    chunkPath.path = chunkPath.base + "." + chunkPath.ext;
    chunkPath.numberAt = chunkPath.base.size();
    // A device name before the first "." of the file name stays one whatever number follows the
    // name: there the number goes right after the device name instead ("nul(1).v2_A.xml").
    const bool device = IsReservedDeviceName(chunkPath.path);
    const size_t nameAt = chunkPath.base.size() - GetFileNameOf(chunkPath.base).size();
    const size_t dot = chunkPath.base.find('.', nameAt);
    if (device && dot != CString::npos) chunkPath.numberAt = dot;
    chunkPath.numbered =
        chunkPath.path == m_source.GetFilePath() || duplicate || !m_options.GetOverwrite() || device;
    return chunkPath;
}

// The plain path is opened for replacing unless a numbered variant is needed anyway, it was given
// out before in this run, or the open finds the source there (under any name or link).
CString Chunker::OpenChunkFile(const ChunkPath& chunkPath, TextOutStream& stream) {
    if (!chunkPath.numbered && m_givenPaths.insert(PathCompareKey(chunkPath.path)).second) {
        OpenResult result =
            stream.Open(chunkPath.path, WriteOpen::Replace, m_bSourceIdentity ? &m_sourceIdentity : nullptr);
        if (result != OpenResult::IsSpare) return chunkPath.path;
    }
    return CreateFreeVariant(chunkPath, stream);
}

// Number 0 is the plain form; the others put "(number)" where the chunk path says.
CString Chunker::NumberedVariant(const ChunkPath& chunkPath, int number) const {
    if (number == 0) return chunkPath.path;
    const CString& base = chunkPath.base;
    return base.substr(0, chunkPath.numberAt) + "(" + std::to_string(number) + ")" +
           base.substr(chunkPath.numberAt) + "." + chunkPath.ext;
}

// Creates the plain form when nothing of that name exists, else the first numbered form that the
// existence test finds free and an exclusive create confirms. A path given out before in this run
// is never given again, whatever the existence test says; an entry that appears between the test
// and the create (another run, say) moves the search on; any other failure ends it, and the path
// is logged as not opened. Numbers found taken stay taken for the run (files are only ever added),
// so the search for one name resumes where it stopped last time instead of starting over.
CString Chunker::CreateFreeVariant(const ChunkPath& chunkPath, TextOutStream& stream) {
    int& number = m_nextNumber[chunkPath.path];
    for (;; ++number) {
        CString candidate = NumberedVariant(chunkPath, number);
        if (FindExists(candidate) || IsReservedDeviceName(candidate) ||
            !m_givenPaths.insert(PathCompareKey(candidate)).second)
            continue;
        if (stream.Open(candidate, WriteOpen::CreateNew) != OpenResult::Exists) return candidate;
    }
}
