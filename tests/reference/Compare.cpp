// The engine against the reference run on one source.
#include "Reference.h"

#include "engine/Chunker.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace reference {

CString FileBytes(const CString& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Collect(const CString& folder, Result& result) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        CString path = folder + kPathSeparator + entry.path().filename().string();
        if (entry.is_directory())
            result.folders.insert(path), Collect(path, result);
        else
            result.files[path] = FileBytes(path);
    }
}

namespace {

// The values a drawn text option takes, by its profile value name: dots and a device name in the
// prefix, no extension, a postamble with a line feed.
const std::map<CString, CStringList> kTextChoices = {
    {"prefix", {"", "p.x", "nul.x"}}, {"ext", {"xml", ""}}, {"postamble", {"", "\n<!--e-->"}}};

void Draw(BOOL& flag, const char*, const char*, const std::function<unsigned(unsigned)>& pick) {
    flag = pick(2) != 0;
}

void Draw(CString& text, const char* name, const char* stored,
          const std::function<unsigned(unsigned)>& pick) {
    const auto listed = kTextChoices.find(name);
    const CStringList choices = listed != kTextChoices.end() ? listed->second : CStringList{stored, ""};
    text = choices[pick(static_cast<unsigned>(choices.size()))];
}

CString Dump(const Result& result) {
    CString text;
    for (const CString& line : result.events)
        text += "log: " + line + "\n";
    for (const CString& folder : result.folders)
        text += "folder: " + folder + "\n";
    for (const auto& file : result.files)
        text += "file: " + file.first + "\n" + file.second + "\n";
    return text;
}

} // namespace

ChunkOptions DrawOptions(const std::function<unsigned(unsigned)>& pick) {
    ChunkOptions options;
#define BREVIX_DRAW_OPTION(kind, member, accessor, name, stored, help)                                       \
    Draw(options.member, name, stored, pick);
    BREVIX_CHUNK_OPTIONS(BREVIX_DRAW_OPTION)
#undef BREVIX_DRAW_OPTION
    return options;
}

CString CompareWithEngine(const ChunkOptions& options, const CString& levelText, const CString& keyText,
                          const CString& sourcePath, const CString& folder) {
    Chunker chunker(options, levelText, keyText);
    CString log = chunker.Process(sourcePath, folder);
    Result engine;
    Collect(folder, engine);
    // The events follow the header, its empty line, the three input lines and an empty line.
    const size_t step = CString(kLineEnd).size();
    for (size_t start = 0, line = 0, end; (end = log.find(kLineEnd, start)) != CString::npos; start = end + step)
        if (++line > 6) engine.events.push_back(log.substr(start, end - start));

    const CString bytes = FileBytes(sourcePath);
    CString text;
    bool bigEndian = false;
    const bool utf16 = FromUtf16(bytes, text, bigEndian);
    Result expected = RunChunks(options, levelText, keyText, GetFullPath(sourcePath), folder,
                                utf16 ? text : ReadAsText(bytes), utf16);
    for (auto& file : expected.files)
        if (utf16) file.second = ToUtf16(file.second, bigEndian);
    if (kPathSeparator == '\\') {
        // Windows drops the dots that an empty extension leaves at the end of a file name.
        std::map<CString, CString> stored;
        for (auto& [path, bytes] : expected.files)
            stored[path.substr(0, path.find_last_not_of('.') + 1)] = bytes;
        expected.files.swap(stored);
    }
    CString got = Dump(engine), want = Dump(expected);
    return got == want ? CString() : "engine:\n" + got + "reference:\n" + want;
}

} // namespace reference
