// Chunk naming: the full path of each chunk's file, from its folder, prefix, key values, number
// and extension, never replacing the source or a file given out earlier in the same run.
#include "Chunker.h"

#include "settings/ChunkSettings.h"

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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
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
    const ChunkSettings& settings = *GetChunkSettings();
    CString prefix;
    if (settings.GetEmitPrefix()) {
        if (settings.GetUseSource()) {
            prefix = m_source.GetFileName();
            for (char& c : prefix)
                if (c == '.') c = '_';
        } else {
            prefix = settings.GetPrefix();
        }
        if (settings.GetAppendTagname()) {
            if (!prefix.empty()) prefix += '_';
            prefix += tag;
        }
    }
    if (!prefix.empty()) prefix += '_';
    return prefix;
}

CString Chunker::MakeChunkPath(const CString& outputFolder, const CString& tag, const char* position) {
    return MakeChunkPath(outputFolder, tag, position, position + std::strlen(position));
}

CString Chunker::MakeChunkPath(const CString& outputFolder, const CString& tag, const char* position,
                               const char* end) {
    const ChunkSettings& settings = *GetChunkSettings();
    CString folderPart = outputFolder + kPathSeparator;
    if (settings.GetSubfolders()) folderPart += tag + kPathSeparator;

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
        duplicate = !m_usedNames.Insert(name);

    CString base = folderPart + MakePrefix(tag) + name;
    CString ext = settings.GetExt();
    CString candidate = base + "." + ext;
    // The plain candidate is recorded as given out by the same look-up that finds it new.
    if (NeedsNumberedVariant(candidate, duplicate) || !m_givenPaths.Insert(PathCompareKey(candidate))) {
        candidate = FirstFreeVariant(base, ext);
        m_givenPaths.Insert(PathCompareKey(candidate));
    }
    return candidate;
}

// A plain candidate needs a numbered variant unless overwriting is allowed, the name is new in
// this run, and it is neither the source nor a device. (A path given out before in this run
// needs one too; MakeChunkPath asks that last.)
bool Chunker::NeedsNumberedVariant(const CString& candidate, bool duplicate) {
    return candidate == m_source.GetFilePath() || duplicate || !GetChunkSettings()->GetOverwrite() ||
           IsReservedDeviceName(candidate) || IsSourceFile(candidate);
}

// True when candidate names the source file under another spelling of its folder or letter case.
// Only a candidate with the source's file name (in any case) is asked of the file system, so that
// the check costs nothing for the other chunks.
bool Chunker::IsSourceFile(const CString& candidate) {
    if (!m_bSourceIdentity || candidate.size() < m_sourceName.size() ||
        !EqualsIgnoringCase(std::string_view(candidate).substr(candidate.size() - m_sourceName.size()),
                            m_sourceName) ||
        !EqualsIgnoringCase(GetFileNameOf(candidate), m_sourceName))
        return false;
    FileIdentity identity;
    return GetFileIdentity(candidate, identity) && identity == m_sourceIdentity;
}

// The plain form when nothing of that name exists, else the first numbered form "base(n).ext"
// that finds nothing. Numbers found taken stay taken for the run (files are only ever added), so
// the probing of one name resumes where it stopped last time instead of starting over.
CString Chunker::FirstFreeVariant(const CString& base, const CString& ext) {
    CString plain = base + "." + ext;
    int& number = m_nextNumber[plain];
    CString candidate = number == 0 ? plain : base + "(" + std::to_string(number) + ")." + ext;
    while (FindExists(candidate) || IsReservedDeviceName(candidate)) {
        ++number;
        candidate = base + "(" + std::to_string(number) + ")." + ext;
    }
    return candidate;
}
