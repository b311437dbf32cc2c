// The chunk run: which text goes into which chunk file, what the log says, its input checks and
// how it fails.
#include "TestSupport.h"

#include "platform/FileException.h"
#include "platform/IoFaults.h"

#include <regex>

namespace {

const CString P = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"; // the default preamble as stored

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
         {{"A.xml", P + "<topic><title>A</title>x</topic>"}, {"B.xml", P + "<topic><title>B</title>y\r\n</topic>"}},
         {"@A.xml", "@B.xml"}},
        {"attributes follow the space as text", nullptr, "<topic id=\"7\" title=\"Hi\">text</topic>",
         {{"Hi.xml", P + "<topic id=\"7\" title=\"Hi\">text</topic>"}}, {"@Hi.xml"}},
        {"tab or line end after the name", nullptr, "<topic\tid='1'>a</topic>\n<topic\n>b</topic>\n", {}, {}},
        {"self-closing tag closes", nullptr, "<topic>a<topic/>b</topic>c", {{"0001.xml", P + "<topic>a<topic/>"}},
         {"@0001.xml"}},
        {"self-closing tag with space opens", nullptr, "<topic />x</topic>", {{"0001.xml", P + "<topic />x</topic>"}},
         {"@0001.xml"}},
        {"closing tag ends at its space", nullptr, "<topic>a</topic >b", {{"0001.xml", P + "<topic>a</topic "}},
         {"@0001.xml"}},
        {"nested chunk cut out, logged first", nullptr,
         "<topic><title>Out</title>a<topic><title>In</title>b</topic>c</topic>",
         {{"Out.xml", P + "<topic><title>Out</title>ac</topic>"}, {"In.xml", P + "<topic><title>In</title>b</topic>"}},
         {"@In.xml", "@Out.xml"}},
        {"any closing level tag ends the innermost chunk", [](TestSettings& s) { s.levelTags = "topic section"; },
         "<topic>a<section>b</topic>c</section>d</section>",
         {{"0001.xml", P + "<topic>ac</section>"}, {"0002.xml", P + "<section>b</topic>"}}, {"@0002.xml", "@0001.xml"}},
        {"other markup copied as read", nullptr, "<topic><!-- a c --><?pi x?><b>t</b> <x/>\n</topic>",
         {{"0001.xml", P + "<topic><!-- a c --><?pi x?><b>t</b> <x/>\r\n</topic>"}}, {"@0001.xml"}},
        {"abandoned tag is text", nullptr, "<topic>x a<b<topic>y</topic>z</topic>",
         {{"0001.xml", P + "<topic>x a<bz</topic>"}, {"0002.xml", P + "<topic>y</topic>"}}, {"@0002.xml", "@0001.xml"}},
        {"unfinished tag at the end", nullptr, "<topic>abc<unfinished", {{"0001.xml", P + "<topic>abc<unfinished\r\n"}},
         {}},
        {"closing tag with nothing open", nullptr, "</topic>a<topic>b</topic>", {{"0001.xml", P + "<topic>b</topic>"}},
         {"@0001.xml"}},
        {"NUL is a character", nullptr, Bytes("<topic>a\0b</topic>"), {{"0001.xml", P + Bytes("<topic>a\0b</topic>")}},
         {"@0001.xml"}},
        {"text mode", nullptr, "<topic>\r\na\rb\r\r\nc", {{"0001.xml", P + "<topic>\r\na\rb\r\r\nc\r\n"}}, {}},
        {"Ctrl-Z ends the text", nullptr, "<topic>a\x1a</topic>", {{"0001.xml", P + "<topic>a\r\n"}}, {}},
        {"open at the end: no postamble", [](TestSettings& s) { s.m_bEmitPostamble = 1, s.m_strPostamble = "<!--e-->"; },
         "<topic>a<topic>b</topic>c\n",
         {{"0001.xml", P + "<topic>ac\r\n"}, {"0002.xml", P + "<topic>b</topic><!--e-->"}}, {"@0002.xml"}},
        {"own preamble and postamble",
         [](TestSettings& s) { s.m_bEmitPostamble = 1, s.m_strPostamble = "\n<!--e-->\n", s.m_strPreamble = "<?x?>"; },
         "<topic>a</topic>", {{"0001.xml", "<?x?><topic>a</topic>\r\n<!--e-->\r\n"}}, {"@0001.xml"}},
        {"preamble and postamble off",
         [](TestSettings& s) { s.m_bEmitPreamble = 0, s.m_strPostamble = "<!--e-->"; },
         "<topic>a</topic>", {{"0001.xml", "<topic>a</topic>"}}, {"@0001.xml"}},
        {"line 1 is the preamble", [](TestSettings& s) { s.m_bUseLine1 = 1; },
         "<topic><title>One</title></topic>\r\n<topic>2</topic>",
         {{"One.xml", "<topic><title>One</title></topic>\r\n<topic><title>One</title></topic>"},
          {"0001.xml", "<topic><title>One</title></topic>\r\n<topic>2</topic>"}},
         {"@One.xml", "@0001.xml"}},
        {"sub-folder made once", [](TestSettings& s) { s.m_bSubfolders = 1, s.m_bEmitPreamble = 0; },
         "<topic>a</topic><topic>b</topic>", {{"topic/0001.xml", "<topic>a</topic>"}, {"topic/0002.xml", "<topic>b</topic>"}},
         {"Created sub-folder: @topic", "", "@topic/0001.xml", "@topic/0002.xml"}},
        {"key texts split at spaces and commas", [](TestSettings& s) { s.levelTags = ",topic,,section ", s.nameKeys = " title ,id,"; },
         "<section><title>S</title></section><topic id=\"i\">t</topic>",
         {{"S.xml", P + "<section><title>S</title></section>"}, {"i.xml", P + "<topic id=\"i\">t</topic>"}},
         {"@S.xml", "@i.xml"}},
        {"empty source", nullptr, "", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSettings();
        if (c.setup != nullptr) c.setup(Settings());
        std::filesystem::remove_all(m_out);
        CString log = Run(c.source);
        EXPECT_EQ(Files(), c.files);
        EXPECT_EQ(Events(log), c.events);
        EXPECT_FALSE(m_failed);
        EXPECT_EQ(LogBody(log)[1], "chunk level tag: " + Settings().levelTags);
    }
}

TEST_F(Scanner, LogHasAHeaderTheInputLinesAndItsChecksInOrder) {
    CString log = Run("");
    EXPECT_TRUE(std::regex_match(log, std::regex("Process Log - \\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\r\n\r\n"
                                                 "source: .*\r\nchunk level tag: topic\r\noutput folder: .*\r\n\r\n")))
        << log;
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"source: " + m_source, "chunk level tag: topic",
                                                  "output folder: " + m_out, ""}));
    const CString missing = m_scratch / "missing.xml";
    const struct {
        CString tags, source, message;
    } checks[] = {{"  , ,", m_source, "chunk level tag is empty"},
                  {"  , ,", "", "source filename is empty"}, // the empty path first
                  {"topic", missing, "Unable to open file: " + missing}};
    for (const auto& check : checks) {
        ResetSettings(check.tags, "");
        Chunker chunker = NewChunker();
        EXPECT_EQ(LogBody(chunker.Process(check.source, m_out)), std::vector<CString>{check.message});
        EXPECT_TRUE(chunker.HadFailure());
    }
}

TEST_F(Scanner, FailuresAreLoggedInsteadOfThePath) {
    std::filesystem::create_directories(m_out + kPathSeparator + "Outer.xml"); // a folder in the way
    EXPECT_EQ(Events(Run("<topic><title>Outer</title>a<topic><title>In</title>b</topic>c</topic>")),
              (std::vector<CString>{"Unable to open file: @Outer.xml", "@In.xml"}));
    EXPECT_EQ(OutFile("In.xml"), P + "<topic><title>In</title>b</topic>");
    EXPECT_TRUE(m_failed);

    Settings().m_bSubfolders = 1;
    WriteBytes(OutPath("topic"), "a file in the way");
    EXPECT_EQ(Events(Run("<topic>a</topic>")),
              (std::vector<CString>{"Unable to create sub-folder: @topic", "", "Unable to open file: @topic/0001.xml"}));
    EXPECT_EQ(ReadBytes(OutPath("topic")), "a file in the way");
    ResetSettings();

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
}

TEST_F(Scanner, SourceFailuresAreRaisedAndTheSameChunkerRunsAgain) {
    IoFaults::FailAt(IoOp::Close, 3); // the two chunks' closes, then the source's
    EXPECT_THROW(Run("<topic>a</topic><topic><title>T</title></topic>"), CFileException);
    EXPECT_EQ(OutFile("T.xml"), P + "<topic><title>T</title></topic>");

    std::filesystem::remove_all(m_out);
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
