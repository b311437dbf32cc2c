// Chunk naming: the full path of each chunk's file, from its folder, prefix, key values, number
// and extension, never replacing the source or a file given out earlier in the same run.
#include "Chunker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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
    // The digit: 1 to 9, or a superscript 1, 2 or 3 in the Windows code page or in UTF-8.
    auto superscript = [&name](size_t at) {
        const unsigned char c = static_cast<unsigned char>(name[at]);
        return c == 0xB9 || c == 0xB2 || c == 0xB3;
    };
    const bool digit = (length == 4 && ((name[3] >= '1' && name[3] <= '9') || superscript(3))) ||
                       (length == 5 && static_cast<unsigned char>(name[3]) == 0xC2 && superscript(4));
    return digit && (is("COM") || is("LPT"));
}

// The first occurrence of the pattern from from to the end of the text. During a scan these
// searches only move forward, so a result found earlier still answers a later search that starts
// at or before it, and a search that found nothing answers every later one: one pass in all.
uint64_t Chunker::FindToEnd(PatternSearch& search, uint64_t from) {
    const uint64_t none = SourceWindow::kNone;
    if (search.from == none || from < search.from || (search.found != none && search.found < from)) {
        search.from = from;
        // Most ends lie in the window or the next block, which the scan reads next anyway; beyond
        // it a file is read ahead without holding the text, a pipe only by holding it.
        uint64_t searched = from;
        search.found = FindHeld(search.search, searched, m_source.CanReadAhead() ? 1 : -1);
        if (search.found == kNotYet) search.found = m_window->FindToEnd(search.search, searched);
    }
    return search.found;
}

// The search in the window, read on into it (and held) at most reads blocks (-1: no limit); kNotYet
// when it stopped there, with from moved to where it must go on.
uint64_t Chunker::FindHeld(const TextSearch& search, uint64_t& from, int reads) {
    SourceWindow& window = *m_window;
    const uint64_t overlap = search.Pattern().size() - 1;
    for (;; --reads) {
        const char* found = search.Find(window.At(from), window.At(window.End()));
        if (found != nullptr) return window.OffsetOf(found);
        if (window.Complete()) return SourceWindow::kNone;
        if (window.End() - from > overlap) from = window.End() - overlap;
        if (reads == 0) return kNotYet;
        ReadMore(m_run);
    }
}

// The end of the region of the chunk's own content, which begins at position: the first nested
// start of the same tag ("<" tag ">" or "<" tag " ") or the first end of it ("</" tag ">"),
// whichever comes first; position itself (an empty region) when the tag is never closed after
// position. An end in the text held shows that it is closed; otherwise that is looked up ahead
// without holding the text, and only then is the region read into the window, up to the first
// occurrence of the tag's name that ends it.
uint64_t Chunker::FindRegion(const CString& tag, uint64_t position) {
    TagSearches& searches = m_searches.try_emplace(tag, tag).first->second;
    SourceWindow& window = *m_window;
    const size_t size = tag.size();
    bool closed = false; // an end of the tag lies after position
    auto lookAhead = [&] { return closed = FindToEnd(searches.close, position) != SourceWindow::kNone; };
    for (uint64_t at = position;;) {
        const char* found = searches.name.Find(window.At(at), window.At(window.End()));
        if (found == nullptr || window.End() - window.OffsetOf(found) <= size) {
            // The next occurrence, or the character after it, lies beyond the window, where the
            // end found ahead lies too; unless the file changed since the look-ahead.
            if (window.Complete()) return position;
            if (!closed) {
                if (!lookAhead()) return position;
                continue; // the look-ahead may have read on into the window
            }
            if (found != nullptr)
                at = window.OffsetOf(found);
            else if (window.End() - at >= size)
                at = window.End() - size + 1;
            ReadMore(m_run);
            continue;
        }
        const char* after = found + size;
        at = window.OffsetOf(found);
        if (at >= position + 2 && found[-2] == '<' && found[-1] == '/' && *after == '>') return at - 2;
        if (at > position && found[-1] == '<' && (*after == '>' || *after == ' '))
            return closed || lookAhead() ? at - 1 : position;
        ++at;
    }
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
                                          uint64_t position) {
    CString folderPart = outputFolder + kPathSeparator;
    if (m_options.GetSubfolders()) {
        // A tag that is a device name gets the folder of its first numbered form, as a file stem
        // would ("nul(1)"), the same for every chunk of the tag.
        CString folder = tag;
        if (IsReservedDeviceName(folder)) folder.insert(std::min(folder.find('.'), folder.size()), "(1)");
        folderPart += folder + kPathSeparator;
    }

    CString name;
    const uint64_t regionEnd = FindRegion(tag, position);
    if (regionEnd != position) {
        for (const CString& key : m_nameKeys) {
            CString value = ReadKeyValue(m_window->At(position), m_window->At(regionEnd), key, m_nameEncoding);
            if (value.empty()) continue;
            if (!name.empty()) name += '_';
            name += value;
        }
    }

    // A name the file system cannot take loses its end, at the start of a character, so that the
    // file name fits with room for a number "(nnnnnn)"; a prefix and extension too long for that
    // leave it as it is (its file then cannot be opened).
    const size_t fixed = MakePrefix(tag).size() + 1 + m_options.GetExt().size() + 8;
    if (fixed < kMaxFileNameBytes && name.size() > kMaxFileNameBytes - fixed) {
        size_t cut = kMaxFileNameBytes - fixed;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }

    bool duplicate = false;
    if (name.empty())
        name = FormatNumber("%04d", ++m_unnamedCount);
    else
        duplicate = !m_usedNames.Insert(name);

    ChunkPath chunkPath;
    chunkPath.base = folderPart + MakePrefix(tag) + name;
    chunkPath.ext = m_options.GetExt();
    chunkPath.path = chunkPath.base + "." + chunkPath.ext;
    chunkPath.numberAt = chunkPath.base.size();
    chunkPath.name = name;
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

// The plain path, unless a numbered variant is needed anyway or it was given out before in this
// run: created new when nothing is there (one exclusive create, the common case); when an earlier
// file or a link is there, the chunk goes to a file of its own that replaces the entry once the
// chunk is complete. The source (under any name or link) gets a numbered variant instead; any
// other entry (a folder, a FIFO, ...) is a failure to open.
CString Chunker::OpenChunkFile(const ChunkPath& chunkPath, TextOutStream& stream) {
    const CString& path = chunkPath.path;
    if (!chunkPath.numbered && GivePath(path)) {
        for (int attempt = 0; attempt < 2; ++attempt) { // once more when the entry goes meanwhile
            if (stream.Open(path) != OpenResult::Exists) return path;
            switch (InspectEntry(path, m_bSourceIdentity ? &m_sourceIdentity : nullptr)) {
            case EntryKind::Missing: continue;
            case EntryKind::Replaceable: OpenReplacement(path, stream); return path;
            case EntryKind::IsSpare: return CreateFreeVariant(chunkPath, stream);
            case EntryKind::Other: return path;
            }
        }
        return path;
    }
    return CreateFreeVariant(chunkPath, stream);
}

// The file that will replace the entry at path: "<name>.unfinished", or "<name>.unfinished-2" and
// on when that is taken, in the same folder (so the move is one step of the file system), created
// exclusively, and never a path that a chunk of this run was given or will be.
void Chunker::OpenReplacement(const CString& path, TextOutStream& stream) {
    for (int number = 1;; ++number) {
        CString temporary = path + ".unfinished" + (number > 1 ? "-" + std::to_string(number) : CString());
        if (GivePath(temporary) && stream.OpenReplacing(path, temporary) != OpenResult::Exists) return;
    }
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
// Only the names that needed a number are remembered, below the output folder.
CString Chunker::CreateFreeVariant(const ChunkPath& chunkPath, TextOutStream& stream) {
    const CString name = chunkPath.path.substr(m_folderLength);
    const auto known = m_nextNumber.find(name);
    for (int number = known != m_nextNumber.end() ? known->second : 0;; ++number) {
        CString candidate = NumberedVariant(chunkPath, number);
        if (FindExists(candidate) || IsReservedDeviceName(candidate) || !GivePath(candidate)) continue;
        if (stream.Open(candidate) != OpenResult::Exists) {
            if (number != 0) m_nextNumber[name] = number;
            return candidate;
        }
    }
}

// Every path of a run begins with the output folder and a separator, so only the rest is kept.
bool Chunker::GivePath(const CString& path) {
    return m_givenPaths.Insert(PathCompareKey(path.substr(m_folderLength)));
}
