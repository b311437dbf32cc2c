// Fuzz target for the scanner with chunk naming: one Process over a generated source into a fresh
// output folder. The first byte picks the options and the key texts, the rest is the source.
//
// Checked after every run:
//   - every chunk file, sub-folder and logged path lies inside the output folder, and nothing else
//     appears next to the source;
//   - the source file is unchanged;
//   - every source byte inside a chunk reaches exactly one chunk file: the chunk files' texts
//     (preamble removed, CR LF read back as LF) are, as a multiset, the chunk texts of a literal
//     model of the scanner, less one per "Unable to open file: " line of the log.
#include "FuzzSupport.h"

#include "engine/Chunker.h"
#include "platform/FileException.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// The source text as the engine reads it: up to the first Ctrl-Z, CR LF as LF, and one LF added
// after a last line that has none.
std::string ReadAsText(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == 0x1A) break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += c;
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

// A literal model of the scanner's copying: the text that each chunk's file receives between
// the preamble and the postamble, for every chunk, in no particular order.
std::vector<std::string> ModelChunkTexts(const std::string& text, const std::vector<std::string>& levelTags) {
    std::vector<std::string> done, open;
    bool inTag = false, closing = false;
    std::string tagText, tagName;
    auto isLevel = [&](const std::string& name) {
        return std::find(levelTags.begin(), levelTags.end(), name) != levelTags.end();
    };
    for (char c : text) {
        if (c == '<') {
            if (inTag && !open.empty()) open.back() += tagText; // an unfinished tag is text
            inTag = true;
            closing = false;
            tagText = "<";
            tagName.clear();
        } else if (inTag && c == '/') {
            closing = true;
            tagText += c;
        } else if (inTag && (c == '>' || c == ' ')) {
            tagText += c;
            inTag = false;
            if (isLevel(tagName) && !closing) {
                open.push_back(tagText);
            } else if (isLevel(tagName)) {
                if (!open.empty()) {
                    done.push_back(open.back() + tagText);
                    open.pop_back();
                }
            } else if (!open.empty()) {
                open.back() += tagText;
            }
            tagText.clear();
            tagName.clear();
        } else if (inTag) {
            tagText += c;
            tagName += c;
        } else if (!open.empty()) {
            open.back() += c;
        }
    }
    if (inTag && !open.empty()) open.back() += tagText;
    done.insert(done.end(), open.begin(), open.end());
    return done;
}

// A chunk file's bytes with each CR LF that the text mode wrote read back as LF.
std::string FromTextMode(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
    return text;
}

struct Options {
    const char* tags;
    const char* keys;
};
const Options kKeyTexts[] = {
    {"topic", "title"}, {"topic", "title id"}, {"topic section", "title"}, {"a", "b"}, {"topic,,t", "t,title"},
    {"x", ""},          {"p", "title"},        {"topic", "topic"},         {"t", "t"}, {"section topic", "id"},
    {"a b c d topic", "title"}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned choice = data[0];
    const std::string source(reinterpret_cast<const char*>(data + 1), size - 1);

    FuzzSandbox box;
    const std::string sourcePath = box.Root() + "/source.xml";
    const std::string outFolder = box.Root() + "/out";
    WriteFileBytes(sourcePath, source);
    MakeFolder(outFolder);

    const Options& keyText = kKeyTexts[choice % (sizeof kKeyTexts / sizeof kKeyTexts[0])];
    ChunkOptions settings = ChunkOptions::Defaults();
    settings.m_bSubfolders = (choice >> 4) & 1;
    settings.m_bOverwrite = (choice >> 5) & 1;
    settings.m_bEmitPreamble = (choice >> 6) & 1;
    settings.m_bUseLine1 = (choice >> 7) & 1;
    settings.m_bEmitPostamble = 0;

    Chunker chunker(settings, keyText.tags, keyText.keys);
    std::string log;
    try {
        log = chunker.Process(sourcePath, outFolder);
    } catch (const CFileException& e) {
        FuzzFail("Process threw: " + std::string(e.what()));
    }

    if (ReadFileBytes(sourcePath) != source) FuzzFail("the source file changed");
    std::vector<std::string> top = ListFolder(box.Root());
    if (top != std::vector<std::string>{"out", "source.xml"}) FuzzFail("something was written next to the source");

    // Every path the log names lies inside the output folder.
    // Chunk paths stand alone on a line or follow one of these texts.
    const std::string inside = outFolder + "/";
    const std::string unableToOpen = "Unable to open file: ";
    size_t unopened = 0;
    for (const std::string& line : SplitLogLines(log)) {
        std::string path = line;
        for (const std::string& lead : {unableToOpen, std::string("Unable to write file: "),
                                       std::string("Created sub-folder: "), std::string("Unable to create sub-folder: ")})
            if (line.compare(0, lead.size(), lead) == 0) path = line.substr(lead.size());
        if (path.empty() || path[0] != '/') continue; // the header and input lines
        if (path.compare(0, inside.size(), inside) != 0) FuzzFail("a logged path lies outside the output folder: " + line);
        if (line.compare(0, unableToOpen.size(), unableToOpen) == 0) ++unopened;
    }

    // The chunk files' texts against the model's.
    const std::string text = ReadAsText(source);
    std::string preamble;
    if (settings.m_bEmitPreamble)
        preamble = settings.m_bUseLine1 && !text.empty() ? text.substr(0, text.find('\n') + 1) : settings.m_strPreamble;
    std::map<std::string, long> expected;
    for (const std::string& chunk : ModelChunkTexts(text, chunker.GetLevelTags())) ++expected[chunk];
    size_t files = 0;
    for (const std::string& path : ListFilesRecursively(outFolder)) {
        ++files;
        std::string body = FromTextMode(ReadFileBytes(path));
        if (body.compare(0, preamble.size(), preamble) != 0) FuzzFail("a chunk file lacks the preamble: " + path);
        body.erase(0, preamble.size());
        if (--expected[body] < 0) FuzzFail("a chunk file holds text that no chunk has: " + path);
    }
    size_t chunks = files;
    for (const auto& entry : expected) chunks += static_cast<size_t>(entry.second);
    if (chunks != files + unopened)
        FuzzFail("chunks " + std::to_string(chunks) + ", files " + std::to_string(files) + ", logged unopened " +
                 std::to_string(unopened));
    return 0;
}
