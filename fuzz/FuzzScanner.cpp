// Fuzz target for the scanner with chunk naming: one Process over a generated source into a fresh
// output folder, against the reference run: the same chunk files, bytes, sub-folders and log
// lines; the source unchanged and nothing written beside it. The first byte picks the key texts,
// the last two the options (drawn from the option table), the bytes between are the source.
#include "FuzzSupport.h"

#include "reference/Reference.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/IoFaults.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace {

const char* const kKeyTexts[][2] = {{"topic", "title"},
                                    {"topic", "title id"},
                                    {"topic section", "title"},
                                    {"a", "b"},
                                    {"topic,,t", "t,title"},
                                    {"x", ""},
                                    {"p", "title"},
                                    {"topic", "topic"},
                                    {"t", "t"},
                                    {"section topic", "id"},
                                    {"a b c d topic", "title"}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const unsigned choice = data[0];
    unsigned optionBits = data[size - 2] | data[size - 1] << 8;
    const std::string source(reinterpret_cast<const char*>(data + 1), size - 3);

    FuzzSandbox box;
    const std::string sourcePath = box.Root() + "/source.xml", outFolder = box.Root() + "/out";
    WriteFileBytes(sourcePath, source);
    std::filesystem::create_directory(outFolder);

    const auto& keyText = kKeyTexts[choice % (sizeof kKeyTexts / sizeof kKeyTexts[0])];
    const ChunkOptions options = reference::DrawOptions([&optionBits](unsigned n) {
        const unsigned picked = optionBits % n;
        optionBits /= n;
        return picked;
    });
    // Small read blocks put every tag, key, CR LF and end across a block boundary.
    const size_t blocks[] = {1, 2, 3, 7, 64};
    IoFaults::SetReadBlockLimit(blocks[size % 5]);
    try {
        std::string differences =
            reference::CompareWithEngine(options, keyText[0], keyText[1], sourcePath, outFolder);
        if (!differences.empty()) FuzzFail("the run differs from the reference run\n" + differences);
    } catch (const CFileException& e) {
        FuzzFail("Process threw: " + std::string(e.what()));
    }
    if (reference::FileBytes(sourcePath) != source) FuzzFail("the source file changed");
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(box.Root()))
        entries += entry.path() == sourcePath || entry.path() == outFolder ? 1 : 100;
    if (entries != 2) FuzzFail("something was written next to the source");
    return 0;
}
