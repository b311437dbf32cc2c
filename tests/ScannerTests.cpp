// The chunk run: which text goes into which chunk file, what the log says, its input checks and
// how it fails.
#include "TestSupport.h"

#include "platform/FileException.h"
#include "platform/IoFaults.h"

#include <regex>

namespace {

const CString P = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; // the default preamble

class Scanner : public EngineTest {
protected:
    void TearDown() override { IoFaults::Reset(); }
    // The log lines after the header and the input lines, with the output folder as "@" and
    // separators as "/".
    std::vector<CString> Events(const CString& log) {
        std::vector<CString> events = LogBody(log);
        events.erase(events.begin(), events.begin() + std::min<size_t>(4, events.size()));
        for (CString& line : events) {
            size_t at = line.find(m_out + kPathSeparator);
            if (at != CString::npos) line.replace(at, m_out.size() + 1, "@");
            std::replace(line.begin(), line.end(), kPathSeparator, '/');
        }
        return events;
    }
    // Every file below the output folder by its name there ("/" between folders) with its bytes.
    std::map<CString, CString> Files() {
        std::map<CString, CString> named;
        for (auto& [path, bytes] : FilesBelow(m_out)) {
            CString name = path.substr(m_out.size() + 1);
            std::replace(name.begin(), name.end(), kPathSeparator, '/');
            named[name] = bytes;
        }
        return named;
    }
};

TEST_F(Scanner, CopiesEachChunkIntoItsFileAndLogsIt) {
    const struct {
        const char* what;
        void (*setup)(TestSettings&);
        CString source;
        std::map<CString, CString> files;
        std::vector<CString> events;
    } cases[] = {
        {"nothing outside chunks", nullptr,
         "<?xml version=\"1.0\"?>\n<root>\n  <topic><title>A</title>x</topic>\n  <topic><title>B</title>y\n</topic>\n</root>\n",
         {{"A.xml", P + "<topic><title>A</title>x</topic>"}, {"B.xml", P + "<topic><title>B</title>y\n</topic>"}},
         {"@A.xml", "@B.xml"}},
        {"self-closing tag closes", nullptr, "<topic>a<topic/>b</topic>c", {{"0001.xml", P + "<topic>a<topic/>"}},
         {"@0001.xml"}},
        {"nested chunk cut out, logged first", nullptr,
         "<topic><title>Out</title>a<topic><title>In</title>b</topic>c</topic>",
         {{"Out.xml", P + "<topic><title>Out</title>ac</topic>"}, {"In.xml", P + "<topic><title>In</title>b</topic>"}},
         {"@In.xml", "@Out.xml"}},
        {"any closing level tag ends the innermost chunk", [](TestSettings& s) { s.levelTags = "topic section"; },
         "<topic>a<section>b</topic>c</section>d</section>",
         {{"0001.xml", P + "<topic>ac</section>"}, {"0002.xml", P + "<section>b</topic>"}}, {"@0002.xml", "@0001.xml"}},
        {"abandoned tag is text", nullptr, "<topic>x a<b<topic>y</topic>z</topic>",
         {{"0001.xml", P + "<topic>x a<bz</topic>"}, {"0002.xml", P + "<topic>y</topic>"}}, {"@0002.xml", "@0001.xml"}},
        {"NUL is a character", nullptr, Bytes("<topic>a\0b</topic>"), {{"0001.xml", P + Bytes("<topic>a\0b</topic>")}},
         {"@0001.xml"}},
        {"open at the end: no postamble", [](TestSettings& s) { s.m_bEmitPostamble = 1, s.m_strPostamble = "<!--e-->"; },
         "<topic>a<topic>b</topic>c\n",
         {{"0001.xml", P + "<topic>ac\n"}, {"0002.xml", P + "<topic>b</topic><!--e-->"}}, {"@0002.xml"}},
        {"own preamble and postamble",
         [](TestSettings& s) { s.m_bEmitPostamble = 1, s.m_strPostamble = "\n<!--e-->\n", s.m_strPreamble = "<?x?>"; },
         "<topic>a</topic>", {{"0001.xml", "<?x?><topic>a</topic>\n<!--e-->\n"}}, {"@0001.xml"}},
        {"line 1 is the preamble", [](TestSettings& s) { s.m_bUseLine1 = 1; },
         "<topic><title>One</title></topic>\n<topic>2</topic>",
         {{"One.xml", "<topic><title>One</title></topic>\n<topic><title>One</title></topic>"},
          {"0001.xml", "<topic><title>One</title></topic>\n<topic>2</topic>"}},
         {"@One.xml", "@0001.xml"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSettings();
        if (c.setup != nullptr) c.setup(Settings());
        std::filesystem::remove_all(m_out);
        CString log = Run(c.source);
        std::map<CString, CString> stored;
        for (const auto& [name, text] : c.files)
            stored[name] = Stored(text);
        EXPECT_EQ(Files(), stored);
        EXPECT_EQ(Events(log), c.events);
        EXPECT_FALSE(m_failed);
        EXPECT_EQ(LogBody(log)[1], "chunk level tag: " + Settings().levelTags);
    }
}

TEST_F(Scanner, LogHasAHeaderTheInputLinesAndSaysWhenNothingWasCut) {
    CString log = Run("");
    const CString E = kLineEnd;
    EXPECT_TRUE(std::regex_match(log, std::regex("Process Log - \\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d" + E + E +
                                                 "source: .*" + E + "chunk level tag: topic" + E +
                                                 "output folder: .*" + E + E + "No chunk level tag found: topic" + E)))
        << log;
}

TEST_F(Scanner, FailuresAreLoggedInsteadOfThePath) {
    const struct {
        IoOp op;
        long at;
        CString source;
        std::vector<CString> events;
    } faults[] = {{IoOp::Write, 3, "<topic>a</topic><topic>b</topic>", {"Unable to write file: @0001.xml", "@0002.xml"}},
                  {IoOp::Close, 2, "<topic>a</topic><topic>b</topic>", {"@0001.xml", "Unable to write file: @0002.xml"}},
                  {IoOp::Write, 3, "<topic>abc", {"Unable to write file: @0001.xml"}}};
    for (const auto& fault : faults) {
        std::filesystem::remove_all(m_out);
        IoFaults::FailAt(fault.op, fault.at); // preamble, start tag, then the chunk's text
        EXPECT_EQ(Events(Run(fault.source)), fault.events);
        EXPECT_TRUE(m_failed);
    }
    Settings().m_bSubfolders = 1;
    WriteBytes(OutPath("topic"), "a file in the way");
    EXPECT_EQ(Events(Run("<topic>a</topic>")),
              (std::vector<CString>{"Unable to create sub-folder: @topic", "", "Unable to open file: @topic/0001.xml"}));
    EXPECT_EQ(ReadBytes(OutPath("topic")), "a file in the way");
}

TEST_F(Scanner, SourceFailuresAreRaisedAndTheSameChunkerRunsAgain) {
    WriteBytes(m_source, "<topic>a</topic><topic><title>T</title></topic>");
    std::filesystem::create_directories(m_out);
    Chunker chunker = NewChunker();
    IoFaults::FailAt(IoOp::Read, 1);
    EXPECT_THROW(chunker.Process(m_source, m_out), CFileException);
    EXPECT_TRUE(ListFolder(m_out).empty());
    IoFaults::Reset();
    const CString again = m_scratch / "again";
    std::filesystem::create_directories(again);
    chunker.Process(m_source, m_out);
    chunker.Process(m_source, again); // numbers and names start afresh
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml", "T.xml"}));
    EXPECT_EQ(ListFolder(again), (std::vector<CString>{"0001.xml", "T.xml"}));
    EXPECT_EQ(ReadBytes(m_source), "<topic>a</topic><topic><title>T</title></topic>");
}

} // namespace
