// The engine against the naive reference run on many generated sources and settings: the same
// chunk files with the same bytes, and the same log, with the source read in blocks of a few
// bytes as well as whole, so that every tag, key, CR LF and end falls across a block boundary;
// some sources are UTF-16.
#include "TestSupport.h"

#include "reference/Reference.h"
#include "platform/IoFaults.h"

#include <cstdlib>
#include <random>

namespace {

TEST(Equivalence, EngineMatchesTheReferenceRun) {
    // clang-format off
    static const char* const kPieces[] = {
        "<topic>", "<Topic>", "</topic>", "<topic ", "<section>", "</section>", "<section ", "<topic/>",
        "<title>", "</title>", "title=\"T\"", " id=\"7\"", "Hi", "x", " ", "\n", "<", ">", "/", "<!--c-->",
        "<?p?>", "<b>", "</b>", "\t", "=", "\"", "0001", "CON", "<title>A</title>", "<title>a</title>",
        "<id>9</id>", "top", "ic", "<c>", "</c>", "<<?", "\r\n", "\r", "\x1a",
        "\xc3\xa9\xe6\x97\xa5\xcc\x81", "\xf0\x9f\x98\x9c\xbd"};
    // clang-format on
    // The source's first line: none, a byte order mark, or a declaration of each kind of encoding.
    const char* const kStarts[] = {"", "\xef\xbb\xbf", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\n",
                                   "<?xml encoding='windows-1252'?>", "<?xml version=\"1.0\" encoding=\"x\"?>"};
    const char* const kLevelTexts[] = {"topic", "topic section", ",section,,topic", "a,b,c,d,topic"};
    const char* const kKeyTexts[] = {"title", "title id", "", "id,title"};
    const unsigned kSeed = 1207;
    std::mt19937 random(kSeed);
    ScratchFolder scratch;
    const CString source = scratch / "src.xml";
    const char* more = std::getenv("BREVIX_EQUIVALENCE_ROUNDS"); // longer runs by hand
    const int rounds = more != nullptr ? std::atoi(more) : 400;
    const size_t blocks[] = {1, 2, 3, 7, 64, 0};
    for (int round = 0; round < rounds; ++round) {
        IoFaults::SetReadBlockLimit(blocks[round % 6]);
        CString text = kStarts[random() % 5];
        for (int i = random() % 40; i > 0; --i)
            text += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
        // Every third source of no declaration goes as UTF-16 of either byte order.
        WriteBytes(source, round % 3 == 2 && text.find("<?xml") == CString::npos
                               ? reference::ToUtf16(text, round % 2 != 0)
                               : text);
        const CString levelText = kLevelTexts[random() % 4], keyText = kKeyTexts[random() % 4];
        const ChunkOptions options = reference::DrawOptions([&random](unsigned n) { return random() % n; });
        const CString out = scratch / ("out" + std::to_string(round));
        std::filesystem::create_directories(out);
        ASSERT_EQ(reference::CompareWithEngine(options, levelText, keyText, source, out), "")
            << "seed " << kSeed << " round " << round << " source: " << text;
    }
    IoFaults::SetReadBlockLimit(0);
}

// Every sequence of up to four of a few tokens (three under Windows, where a run costs more), with
// the chunk level tags a and b, the name key t and the default options; those of one token fewer
// also with sub-folders, tag names appended and no extension.
TEST(Equivalence, EngineMatchesTheReferenceOnEveryShortSequence) {
    const std::vector<CString> tokens = {"<a>", "</a>", "<b ", ">", "<t>x</t>", "<!--", "-->", "<?", "<"};
    ChunkOptions other = ChunkOptions::Defaults();
    other.m_bSubfolders = other.m_bAppendTagname = 1;
    other.m_strExt = "";
    ScratchFolder scratch;
    const CString source = scratch / "src.xml", out = scratch / "out";
    const size_t most = kPathSeparator == '/' ? 4 : 3;
    for (const auto& [options, length] : {std::make_pair(ChunkOptions::Defaults(), most), {other, most - 1}})
        ForEachSequence(tokens, length, [&, &options = options](const CString& text) {
            if (::testing::Test::HasFatalFailure()) return;
            WriteBytes(source, text);
            std::filesystem::remove_all(out);
            std::filesystem::create_directory(out);
            ASSERT_EQ(reference::CompareWithEngine(options, "a b", "t", source, out), "")
                << "source: " << text;
        });
}

} // namespace
