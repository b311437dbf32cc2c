#include "ReferenceChunker.h"

#include "ReferenceTagReader.h"
#include "engine/Chunker.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace reference {

namespace {

struct Model {
    const Options& options;
    CString folder;
    Result result;
    CStringList usedNames;
    CStringList givenKeys;
    int unnamedCount = 0;

    bool Contains(const CStringList& list, const CString& s) const {
        return std::find(list.begin(), list.end(), s) != list.end();
    }
    // What a find-first-file search finds, with the file system's view of letter case.
    bool Exists(const CString& path) const {
        CString key = PathCompareKey(path);
        for (const auto& file : result.files)
            if (PathCompareKey(file.first) == key) return true;
        for (const CString& sub : result.folders)
            if (PathCompareKey(sub) == key) return true;
        return false;
    }

    CString MakeChunkPath(const CString& tag, const char* position) {
        CString folderPart = folder + kPathSeparator;
        if (options.subfolders) folderPart += tag + kPathSeparator;
        CString prefix;
        if (options.emitPrefix) {
            if (options.useSource) {
                prefix = options.sourceFileName;
                std::replace(prefix.begin(), prefix.end(), '.', '_');
            } else {
                prefix = options.prefix;
            }
            if (options.appendTagname) {
                if (!prefix.empty()) prefix += "_";
                prefix += tag;
            }
        }
        if (!prefix.empty()) prefix += "_";

        CString rest = position;
        size_t nested = std::min(rest.find("<" + tag + ">"), rest.find("<" + tag + " "));
        size_t end = rest.find("</" + tag + ">");
        CString region;
        if (end != CString::npos) region = rest.substr(0, nested != CString::npos && nested < end ? nested : end);

        CString name;
        if (!region.empty()) {
            for (const CString& key : options.nameKeys) {
                CString value = ReadKeyValue(region, key);
                if (value.empty()) continue;
                if (!name.empty()) name += "_";
                name += value;
            }
        }
        bool duplicate = false;
        if (!name.empty()) {
            duplicate = Contains(usedNames, name);
            if (!duplicate) usedNames.push_back(name);
        } else {
            char number[16];
            std::snprintf(number, sizeof number, "%04d", ++unnamedCount);
            name = number;
        }
        CString candidate = folderPart + prefix + name + "." + options.ext;
        if (candidate == options.sourceFullPath || duplicate || !options.overwrite ||
            Contains(givenKeys, PathCompareKey(candidate)) || IsReservedDeviceName(candidate)) {
            // The number follows the name, or a device name that would stay one whatever follows.
            CString file = prefix + name, before = file, after;
            size_t slash = file.rfind(kPathSeparator);
            size_t dot = file.find('.', slash == CString::npos ? 0 : slash + 1);
            if (IsReservedDeviceName(candidate) && dot != CString::npos)
                before = file.substr(0, dot), after = file.substr(dot);
            for (int n = 1; Exists(candidate) || IsReservedDeviceName(candidate) ||
                            Contains(givenKeys, PathCompareKey(candidate));
                 ++n)
                candidate = folderPart + before + "(" + std::to_string(n) + ")" + after + "." + options.ext;
        }
        givenKeys.push_back(PathCompareKey(candidate));
        return candidate;
    }
};

struct ChunkFile {
    CString path;
    bool open;
};

void WriteText(Result& result, const ChunkFile& chunk, const CString& text) {
    CString& bytes = result.files[chunk.path];
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
}

} // namespace

Result RunChunks(const Options& options, const CString& folder, const CString& text) {
    Model model{options, folder, {}, {}, {}, 0};
    Result& result = model.result;
    CString preamble = options.preamble;
    if (options.useLine1 && !text.empty()) preamble = text.substr(0, text.find('\n') + 1);

    std::vector<ChunkFile> open;
    bool inTag = false, closingTag = false;
    CString tagText, tagName;
    auto write = [&](const CString& s) {
        if (!open.empty() && open.back().open) WriteText(result, open.back(), s);
    };
    const char* source = text.c_str();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '<') {
            if (inTag) write(tagText); // the abandoned tag stays in the chunk as text
            tagName.clear();
            inTag = true;
            closingTag = false;
            tagText = "<";
            continue;
        }
        if (inTag && c == '/') {
            closingTag = true;
            tagText += c;
            continue;
        }
        if (inTag && (c == '>' || c == ' ')) {
            tagText += c;
            inTag = false;
            bool found = model.Contains(options.levelTags, tagName);
            if (!closingTag && found) {
                open.push_back({"", false});
                open.back().path = model.MakeChunkPath(tagName, source + i);
                ChunkFile& chunk = open.back();
                if (options.subfolders) {
                    CString sub = FolderOf(chunk.path, false);
                    if (result.folders.count(sub) == 0) {
                        result.folders.insert(sub);
                        result.events.push_back("Created sub-folder: " + sub);
                        result.events.push_back("");
                    }
                }
                chunk.open = result.folders.count(chunk.path) == 0;
                if (chunk.open) {
                    result.files[chunk.path].clear();
                    if (options.emitPreamble && !preamble.empty()) WriteText(result, chunk, preamble);
                    WriteText(result, chunk, tagText);
                } else {
                    result.events.push_back("Unable to open file: " + chunk.path);
                }
            } else if (closingTag && found) {
                if (!open.empty()) {
                    ChunkFile chunk = open.back();
                    open.pop_back();
                    if (chunk.open) {
                        WriteText(result, chunk, tagText);
                        if (options.emitPostamble && !options.postamble.empty())
                            WriteText(result, chunk, options.postamble);
                        result.events.push_back(chunk.path);
                    }
                }
            } else {
                write(tagText);
            }
            tagText.clear();
            tagName.clear();
            continue;
        }
        if (inTag) {
            tagText += c;
            tagName += c;
            continue;
        }
        write(CString(1, c));
    }
    if (inTag) write(tagText);
    return result;
}

} // namespace reference
