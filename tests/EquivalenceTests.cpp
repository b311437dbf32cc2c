// The engine against the naive reference run on many generated sources and settings: the same
// chunk files with the same bytes, and the same log.
#include "TestSupport.h"

#include "engine/Chunker.h"
#include "reference/ReferenceChunker.h"

#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

CString RandomSource(std::mt19937& random) {
    // clang-format off
    static const char* const kPieces[] = {
        "<topic>", "</topic>", "<topic ", "<section>", "</section>", "<section ", "<topic/>", "<title>",
        "</title>", "title=\"T\"", " id=\"7\"", "Hi", "x", " ", "\n", "<", ">", "/", "<!--c-->", "<?p?>",
        "<b>", "</b>", "\t", "=", "\"", "0001", "CON", "<title>A</title>", "<title>a</title>", "<id>9</id>",
        "top", "ic", "<c>", "</c>", "<<?"};
    // clang-format on
    const size_t count = sizeof kPieces / sizeof kPieces[0];
    CString source;
    int pieces = random() % 40;
    for (int i = 0; i < pieces; ++i)
        source += kPieces[random() % count];
    return source;
}

TEST(Equivalence, EngineMatchesTheReferenceRun) {
    const unsigned kSeed = 1207;
    std::mt19937 random(kSeed);
    ScratchFolder scratch;
    CString sourcePath = scratch / "src.xml";
    const char* const kLevelTexts[] = {"topic", "topic section", ",section,,topic", "a,b,c,d,topic"};
    const char* const kKeyTexts[] = {"title", "title id", "", "id,title"};
    const char* more = std::getenv("BREVIX_EQUIVALENCE_ROUNDS"); // longer runs by hand
    const int rounds = more != nullptr ? std::atoi(more) : 400;
    for (int round = 0; round < rounds; ++round) {
        CString source = RandomSource(random);
        WriteBytes(sourcePath, source);
        ResetSettings(kLevelTexts[random() % 4], kKeyTexts[random() % 4]);
        TestSettings& settings = Settings();
        auto coin = [&random] { return static_cast<BOOL>(random() % 2); };
        settings.m_bOverwrite = coin();
        settings.m_bSubfolders = coin();
        settings.m_bEmitPrefix = coin();
        settings.m_bUseSource = coin();
        settings.m_bAppendTagname = coin();
        settings.m_strPrefix = coin() ? (coin() ? "p.x" : "nul.x") : "";
        settings.m_strExt = coin() ? "xml" : "";
        settings.m_bEmitPreamble = coin();
        settings.m_bUseLine1 = coin();
        settings.m_bEmitPostamble = coin();
        settings.m_strPostamble = coin() ? "\n<!--e-->" : "";

        CString out = scratch / ("out" + std::to_string(round));
        fs::create_directories(out);
        Chunker chunker = NewChunker();
        std::vector<CString> events = LogBody(chunker.Process(sourcePath, out));
        ASSERT_GE(events.size(), 4u) << "seed " << kSeed << " round " << round;
        events.erase(events.begin(), events.begin() + 4);

        reference::Options options;
        Chunker splitter = NewChunker();
        splitter.SetChunkLevelTags(settings.levelTags);
        splitter.SetChunkNameKeys(settings.nameKeys);
        options.levelTags = splitter.GetLevelTags();
        options.nameKeys = splitter.GetNameKeys();
        options.overwrite = settings.m_bOverwrite;
        options.subfolders = settings.m_bSubfolders;
        options.emitPrefix = settings.m_bEmitPrefix;
        options.useSource = settings.m_bUseSource;
        options.appendTagname = settings.m_bAppendTagname;
        options.prefix = settings.m_strPrefix;
        options.ext = settings.m_strExt;
        options.emitPreamble = settings.m_bEmitPreamble;
        options.useLine1 = settings.m_bUseLine1;
        options.preamble = settings.m_strPreamble;
        options.emitPostamble = settings.m_bEmitPostamble;
        options.postamble = settings.m_strPostamble;
        options.sourceFullPath = GetFullPath(sourcePath);
        options.sourceFileName = "src.xml";
        CString text = source;
        if (!text.empty() && text.back() != '\n') text += '\n';
        reference::Result expected = reference::RunChunks(options, out, text);

        std::map<CString, CString> files;
        std::set<CString> folders;
        CollectFiles(out, files, &folders);
        if (kPathSeparator == '\\') {
            // Windows drops the dot that an empty extension leaves at the end of a file name.
            std::map<CString, CString> stored;
            for (auto& [path, bytes] : expected.files) {
                CString name = path;
                while (!name.empty() && name.back() == '.')
                    name.pop_back();
                stored[name] = bytes;
            }
            expected.files.swap(stored);
        }
        std::vector<CString> expectedEvents(expected.events.begin(), expected.events.end());
        ASSERT_EQ(events, expectedEvents) << "seed " << kSeed << " round " << round << " source: " << source;
        ASSERT_EQ(files, expected.files) << "seed " << kSeed << " round " << round << " source: " << source;
        ASSERT_EQ(folders, expected.folders) << "seed " << kSeed << " round " << round;
        fs::remove_all(out);
    }
}

} // namespace
