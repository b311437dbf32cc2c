// The chunk scanner: which text goes into which chunk file, and what the log says about it.
#include "TestSupport.h"

#include "platform/FileException.h"
#include "platform/IoFaults.h"

#include <filesystem>

namespace {

const CString kPreamble = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

class Scanner : public EngineTest {
protected:
    void TearDown() override { IoFaults::Reset(); }
    // The log lines after the header and the three input lines and their empty line.
    std::vector<CString> Events(const CString& log) {
        std::vector<CString> body = LogBody(log);
        if (body.size() >= 4) body.erase(body.begin(), body.begin() + 4);
        return body;
    }
};

TEST_F(Scanner, WritesEachChunkFramedByThePreambleAndNothingOutsideChunks) {
    CString log = Run("<?xml version=\"1.0\"?>\n<root>\n  <topic><title>A</title>x</topic>\n"
                      "  <topic><title>B</title>y\n</topic>\n</root>\n");
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"A.xml", "B.xml"}));
    EXPECT_EQ(OutFile("A.xml"), kPreamble + "<topic><title>A</title>x</topic>");
    EXPECT_EQ(OutFile("B.xml"), kPreamble + "<topic><title>B</title>y\r\n</topic>");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("A.xml"), OutPath("B.xml")}));
}

TEST_F(Scanner, StartTagEndsAtTheFirstSpaceAndItsAttributesFollowAsText) {
    Run("<topic id=\"7\" title=\"Hi\">text</topic>");
    EXPECT_EQ(OutFile("Hi.xml"), kPreamble + "<topic id=\"7\" title=\"Hi\">text</topic>");
}

TEST_F(Scanner, NameFollowedByTabOrLineEndIsNotAChunkLevelTag) {
    CString log = Run("<topic\tid='1'>a</topic>\n<topic\n>b</topic>\n");
    EXPECT_TRUE(ListFolder(m_out).empty());
    EXPECT_TRUE(Events(log).empty());
}

TEST_F(Scanner, SelfClosingTagWithoutSpaceEndsTheInnermostChunk) {
    // "<topic/>" is a closing tag; the "</topic>" after it finds no chunk open and is dropped.
    CString log = Run("<topic>a<topic/>b</topic>c");
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml"}));
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>a<topic/>");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("0001.xml")}));
}

TEST_F(Scanner, SelfClosingTagWithSpaceStartsAChunkThatStaysOpen) {
    Run("<topic />x</topic>");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic />x</topic>");
}

TEST_F(Scanner, ClosingTagWithSpaceEndsTheChunkAtTheSpace) {
    CString log = Run("<topic>a</topic >b");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>a</topic ");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("0001.xml")}));
}

TEST_F(Scanner, NestedChunkIsCutOutOfTheEnclosingOneAndLoggedFirst) {
    CString log = Run("<topic><title>Out</title>a<topic><title>In</title>b</topic>c</topic>");
    EXPECT_EQ(OutFile("Out.xml"), kPreamble + "<topic><title>Out</title>ac</topic>");
    EXPECT_EQ(OutFile("In.xml"), kPreamble + "<topic><title>In</title>b</topic>");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("In.xml"), OutPath("Out.xml")}));
}

TEST_F(Scanner, AnyClosingChunkLevelTagEndsTheInnermostChunk) {
    ResetSettings("topic section", "title");
    Run("<topic>a<section>b</topic>c</section>d</section>");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>ac</section>");
    EXPECT_EQ(OutFile("0002.xml"), kPreamble + "<section>b</topic>");
}

TEST_F(Scanner, OtherTagsCommentsAndInstructionsAreCopiedAsRead) {
    const CString body = "<topic><!-- a c --><?pi x?><b>t</b> <x/>\n</topic>";
    Run(body);
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + Crlf(body));
}

TEST_F(Scanner, UnfinishedTagBeforeANewTagGoesToTheChunkAsText) {
    // "<b" is abandoned at the next "<": its text stays in the outer chunk, and "<topic>" still
    // starts a nested chunk.
    CString log = Run("<topic>x a<b<topic>y</topic>z</topic>");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>x a<bz</topic>");
    EXPECT_EQ(OutFile("0002.xml"), kPreamble + "<topic>y</topic>");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("0002.xml"), OutPath("0001.xml")}));
}

TEST_F(Scanner, UnfinishedTagAtTheEndGoesToTheOpenChunk) {
    CString log = Run("<topic>abc<unfinished");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>abc<unfinished\r\n");
    EXPECT_TRUE(Events(log).empty());
}

TEST_F(Scanner, ChunkOpenAtTheEndKeepsItsTextWithoutClosingTagOrLogLine) {
    Settings().m_bEmitPostamble = 1;
    Settings().m_strPostamble = "<!-- end -->";
    CString log = Run("<topic>a<topic>b</topic>c\n");
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>ac\r\n");
    EXPECT_EQ(OutFile("0002.xml"), kPreamble + "<topic>b</topic><!-- end -->");
    EXPECT_EQ(Events(log), (std::vector<CString>{OutPath("0002.xml")}));
}

TEST_F(Scanner, PreambleAndPostambleFollowTheirOptions) {
    TestSettings& settings = Settings();
    settings.m_bEmitPostamble = 1;
    settings.m_strPostamble = "\n<!-- end -->\n";
    settings.m_strPreamble = "<?xml?>";
    Run("<topic>a</topic>");
    EXPECT_EQ(OutFile("0001.xml"), "<?xml?><topic>a</topic>\r\n<!-- end -->\r\n");

    settings.m_bEmitPreamble = 0;
    settings.m_bEmitPostamble = 0;
    Run("<topic>a</topic>");
    EXPECT_EQ(OutFile("0001.xml"), "<topic>a</topic>");

    settings.m_bEmitPreamble = 1;
    settings.m_strPreamble.clear();
    settings.m_bEmitPostamble = 1;
    settings.m_strPostamble.clear();
    Run("<topic>a</topic>");
    EXPECT_EQ(OutFile("0001.xml"), "<topic>a</topic>");
}

TEST_F(Scanner, ClosingTagWithNoChunkOpenIsDropped) {
    Run("</topic>a<topic>b</topic>");
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml"}));
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + "<topic>b</topic>");
}

TEST_F(Scanner, NulBytesAreCopiedLikeAnyOtherCharacter) {
    Run(Bytes("<topic>a\0b</topic>"));
    EXPECT_EQ(OutFile("0001.xml"), kPreamble + Bytes("<topic>a\0b</topic>"));
}

TEST_F(Scanner, SubfolderIsCreatedOnceAndLogged) {
    Settings().m_bSubfolders = 1;
    CString log = Run("<topic>a</topic><topic>b</topic>");
    CString folder = OutPath("topic");
    EXPECT_EQ(Events(log),
              (std::vector<CString>{"Created sub-folder: " + folder, "", folder + kPathSeparator + "0001.xml",
                                    folder + kPathSeparator + "0002.xml"}));
    EXPECT_EQ(ListFolder(folder), (std::vector<CString>{"0001.xml", "0002.xml"}));
}

TEST_F(Scanner, SubfolderThatCannotBeCreatedIsLoggedAndTheOpenFails) {
    Settings().m_bSubfolders = 1;
    std::filesystem::create_directories(m_out);
    WriteBytes(OutPath("topic"), "a file in the way");
    CString log = Run("<topic>a</topic>");
    CString path = OutPath("topic") + kPathSeparator + "0001.xml";
    EXPECT_EQ(Events(log), (std::vector<CString>{"Unable to create sub-folder: " + OutPath("topic"), "",
                                                 "Unable to open file: " + path}));
    EXPECT_EQ(ReadBytes(OutPath("topic")), "a file in the way");
}

TEST_F(Scanner, ChunkWhoseFileCannotOpenDropsItsTextButNotItsNestedChunks) {
    std::filesystem::create_directories(OutPath("Outer.xml")); // a folder where the file should go
    CString log = Run("<topic><title>Outer</title>a<topic><title>In</title>b</topic>c</topic>");
    EXPECT_EQ(Events(log),
              (std::vector<CString>{"Unable to open file: " + OutPath("Outer.xml"), OutPath("In.xml")}));
    EXPECT_EQ(OutFile("In.xml"), kPreamble + "<topic><title>In</title>b</topic>");
}

TEST_F(Scanner, FailedWriteOrCloseIsLoggedInsteadOfThePath) {
    IoFaults::FailAt(IoOp::Write, 3); // preamble, start tag, then the chunk's text
    CString log = Run("<topic>a</topic><topic>b</topic>");
    EXPECT_EQ(Events(log),
              (std::vector<CString>{"Unable to write file: " + OutPath("0001.xml"), OutPath("0002.xml")}));

    IoFaults::FailAt(IoOp::Close, 2);
    log = Run("<topic>a</topic><topic>b</topic>");
    EXPECT_EQ(Events(log),
              (std::vector<CString>{OutPath("0001.xml"), "Unable to write file: " + OutPath("0002.xml")}));
}

TEST_F(Scanner, FailedCloseOfTheSourceIsRaisedAfterTheChunksAreWritten) {
    IoFaults::FailAt(IoOp::Close, 3); // the two chunks' closes, then the source's
    EXPECT_THROW(Run("<topic>a</topic><topic>b</topic>"), CFileException);
    EXPECT_EQ(OutFile("0002.xml"), kPreamble + "<topic>b</topic>");
}

TEST_F(Scanner, FailedWriteOfAChunkOpenAtTheEndIsLogged) {
    IoFaults::FailAt(IoOp::Write, 3);
    CString log = Run("<topic>abc");
    EXPECT_EQ(Events(log), (std::vector<CString>{"Unable to write file: " + OutPath("0001.xml")}));
}

} // namespace
