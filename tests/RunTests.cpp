// The chunk run: its log header, its input checks in order, and how the source is read.
#include "TestSupport.h"

#include "engine/Chunker.h"
#include "platform/FileException.h"
#include "platform/IoFaults.h"

#include <cctype>
#include <filesystem>

namespace {

const CString kPreamble = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

class Run : public EngineTest {
protected:
    void TearDown() override { IoFaults::Reset(); }
};

bool IsDigits(const CString& text, size_t at, size_t count) {
    for (size_t i = at; i < at + count; ++i)
        if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

TEST_F(Run, LogStartsWithTheDateAndTimeHeaderAndAnEmptyLine) {
    CString log = EngineTest::Run("");
    // "Process Log - " then "%x %X" in the C locale: MM/DD/YY HH:MM:SS
    const CString head = "Process Log - ";
    ASSERT_EQ(log.compare(0, head.size(), head), 0) << log;
    CString stamp = log.substr(head.size(), 17);
    EXPECT_TRUE(IsDigits(stamp, 0, 2) && stamp[2] == '/' && IsDigits(stamp, 3, 2) && stamp[5] == '/' &&
                IsDigits(stamp, 6, 2) && stamp[8] == ' ' && IsDigits(stamp, 9, 2) && stamp[11] == ':' &&
                IsDigits(stamp, 12, 2) && stamp[14] == ':' && IsDigits(stamp, 15, 2))
        << stamp;
    EXPECT_EQ(log.substr(head.size() + 17, 4), "\r\n\r\n");
}

TEST_F(Run, InputChecksLogOneLineInTheirOrder) {
    ResetSettings("  , ,", "title");
    Chunker chunker = NewChunker();
    CString log = chunker.Process(m_source, m_scratch.Path());
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"chunk level tag is empty"}));
    EXPECT_TRUE(chunker.HadFailure());

    log = chunker.Process("", m_scratch.Path()); // the empty path is reported first
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"source filename is empty"}));

    ResetSettings("topic", "");
    CString missing = m_scratch / "missing.xml";
    log = NewChunker().Process(missing, m_scratch.Path());
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"Unable to open file: " + missing}));
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(Run, KeyTextsAreSplitAtSpacesAndCommasAndLoggedAsTyped) {
    ResetSettings(",topic,,section ", " title ,id,");
    CString log = EngineTest::Run("<section><title>S</title></section>");
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"source: " + m_source, "chunk level tag: ,topic,,section ",
                                                  "output folder: " + m_out, "", OutPath("S.xml")}));
    Chunker chunker = NewChunker();
    chunker.SetChunkLevelTags("topic\tx, topic");
    EXPECT_EQ(chunker.GetLevelTags(), (CStringList{"topic\tx", "topic"}));
    chunker.SetChunkNameKeys("");
    EXPECT_TRUE(chunker.GetNameKeys().empty());
}

TEST_F(Run, EmptySourceLogsTheInputLinesAndNoChunk) {
    CString log = EngineTest::Run("");
    EXPECT_EQ(LogBody(log), (std::vector<CString>{"source: " + m_source, "chunk level tag: topic",
                                                  "output folder: " + m_out, ""}));
    EXPECT_TRUE(ListFolder(m_out).empty());
}

TEST_F(Run, FirstLineBecomesThePreambleAndIsAlsoScanned) {
    Settings().m_bUseLine1 = 1;
    EngineTest::Run("<topic><title>One</title></topic>\r\n<topic>2</topic>");
    EXPECT_EQ(OutFile("One.xml"), "<topic><title>One</title></topic>\r\n<topic><title>One</title></topic>");
    EXPECT_EQ(OutFile("0001.xml"), "<topic><title>One</title></topic>\r\n<topic>2</topic>");
}

TEST_F(Run, SourceIsReadInTextMode) {
    // CR LF reads as LF (written back as CR LF), a lone CR stays, the last line gets its LF,
    // and a Ctrl-Z ends the text.
    EngineTest::Run("<topic>\r\na\rb\r\r\nc");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>\r\na\rb\r\r\nc\r\n");
    EngineTest::Run("<topic>a\x1a</topic>");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>a\r\n");
}

TEST_F(Run, EveryRunNumbersUnnamedChunksFromOne) {
    Chunker chunker = NewChunker();
    WriteBytes(m_source, "<topic>a</topic><topic><title>T</title></topic>");
    CString first = m_scratch / "first";
    CString second = m_scratch / "second";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    chunker.Process(m_source, first);
    chunker.Process(m_source, second);
    EXPECT_EQ(ListFolder(first), (std::vector<CString>{"0001.xml", "T.xml"}));
    EXPECT_EQ(ListFolder(second), (std::vector<CString>{"0001.xml", "T.xml"}));
}

TEST_F(Run, ReadErrorIsRaisedBeforeAnyChunkFileExists) {
    WriteBytes(m_source, "<topic>a</topic>");
    std::filesystem::create_directories(m_out);
    Chunker chunker = NewChunker();
    IoFaults::FailAt(IoOp::Read, 1);
    EXPECT_THROW(chunker.Process(m_source, m_out), CFileException);
    EXPECT_TRUE(ListFolder(m_out).empty());
    IoFaults::Reset();
    chunker.Process(m_source, m_out); // the same object runs again
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml"}));
    EXPECT_EQ(ReadBytes(m_source), "<topic>a</topic>");
}

} // namespace
