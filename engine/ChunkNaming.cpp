// Chunk naming: the full path of each chunk's file, from its folder, prefix, key values, number
// and extension, never replacing the source or a file given out earlier in the same run.
#include "Chunker.h"

#include "settings/ChunkSettings.h"

#include <cstdio>
#include <cstring>

namespace {

CString FormatNumber(const char* format, int number) {
    char text[32];
    int length = std::snprintf(text, sizeof text, format, number);
    return CString(text, length > 0 ? static_cast<size_t>(length) : 0);
}

bool EqualsIgnoringCase(const CString& text, const char* name) {
    if (text.size() != std::strlen(name)) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != name[i]) return false;
    }
    return true;
}

} // namespace

bool IsReservedDeviceName(const CString& path) {
    CString stem = GetFileNameOf(path);
    stem = stem.substr(0, stem.find('.'));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices)
        if (EqualsIgnoringCase(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        return EqualsIgnoringCase(stem.substr(0, 3), "COM") || EqualsIgnoringCase(stem.substr(0, 3), "LPT");
    return false;
}

// The first occurrence of pattern in [from, end), or null. During a scan, positions only move
// forward, so a result found earlier still answers a later search that starts at or before it,
// and a search that found nothing answers every later one: each pattern costs one pass in all.
const char* Chunker::FindPattern(const CString& pattern, const char* from, const char* end) {
    PatternSearch* search = nullptr;
    if (end == m_scanEnd) {
        search = &m_searches[pattern];
        if (search->from != nullptr && from >= search->from &&
            (search->found == nullptr || search->found >= from))
            return search->found;
    }
    const char* found = nullptr;
    const size_t size = pattern.size();
    for (const char* p = from; static_cast<size_t>(end - p) >= size;) {
        const void* first = std::memchr(p, pattern[0], end - p - size + 1);
        if (first == nullptr) break;
        p = static_cast<const char*>(first);
        if (std::memcmp(p, pattern.data(), size) == 0) {
            found = p;
            break;
        }
        ++p;
    }
    if (search != nullptr) *search = PatternSearch{from, found};
    return found;
}

// The region of the chunk's own content: from position up to the first nested start of the same
// tag or the first end of it, whichever comes first; empty (regionEnd == position) when the tag
// is never closed after position.
void Chunker::FindRegion(const CString& tag, const char* position, const char* end, const char*& regionEnd) {
    regionEnd = position;
    const char* close = FindPattern("</" + tag + ">", position, end);
    if (close == nullptr) return;
    const char* nested = FindPattern("<" + tag + ">", position, end);
    const char* spaced = FindPattern("<" + tag + " ", position, end);
    if (nested == nullptr || (spaced != nullptr && spaced < nested)) nested = spaced;
    regionEnd = (nested != nullptr && nested < close) ? nested : close;
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
        duplicate = !m_usedNames.insert(name).second;

    CString base = folderPart + MakePrefix(tag) + name;
    CString ext = settings.GetExt();
    CString candidate = base + "." + ext;
    if (NeedsNumberedVariant(candidate, duplicate)) candidate = FirstFreeVariant(base, ext);
    m_givenPaths.insert(PathCompareKey(candidate));
    return candidate;
}

// A plain candidate is kept only when overwriting is allowed, the name is new in this run, the
// path was not given out before in this run, and it is neither the source nor a device.
bool Chunker::NeedsNumberedVariant(const CString& candidate, bool duplicate) {
    return candidate == m_source.GetFilePath() || duplicate || !GetChunkSettings()->GetOverwrite() ||
           m_givenPaths.count(PathCompareKey(candidate)) != 0 || IsReservedDeviceName(candidate) ||
           IsSourceFile(candidate);
}

// True when candidate names the source file under another spelling.
bool Chunker::IsSourceFile(const CString& candidate) {
    FileIdentity identity;
    return m_bSourceIdentity && GetFileIdentity(candidate, identity) && identity == m_sourceIdentity;
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
