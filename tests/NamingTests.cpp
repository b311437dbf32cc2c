// Chunk naming: folder, prefix, key values, numbers and extension of each chunk file.
#include "TestSupport.h"

#include "engine/Chunker.h"
#include "settings/ChunkSettings.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class Naming : public EngineTest {
protected:
    ChunkSettings& Settings() { return *GetChunkSettings(); }
    // The chunk file names a run wrote, in the order they were logged.
    std::vector<CString> LoggedNames(const CString& log) {
        std::vector<CString> names;
        for (const CString& line : LogBody(log))
            if (line.compare(0, m_out.size(), m_out) == 0) names.push_back(line.substr(m_out.size() + 1));
        return names;
    }
};

TEST_F(Naming, PrefixTagKeyValuesAndDuplicatesMakeTheName) {
    ResetSettings("topic", "title id");
    Settings().m_bEmitPrefix = 1;
    Settings().m_strPrefix = "doc";
    Settings().m_bAppendTagname = 1;
    CString log = Run("<topic title=\"Intro\" id=\"7\">a</topic><topic title=\"Intro\" id=\"7\">b</topic>"
                      "<topic>c</topic><topic><id>9</id></topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"doc_topic_Intro_7.xml", "doc_topic_Intro_7(1).xml",
                                                      "doc_topic_0001.xml", "doc_topic_9.xml"}));
}

TEST_F(Naming, PrefixOptions) {
    struct {
        BOOL emit, useSource, append;
        const char* prefix;
        const char* name;
    } cases[] = {
        {0, 0, 1, "doc", "Intro.xml"}, // the tag name needs the prefix option
        {1, 0, 0, "", "Intro.xml"},
        {1, 0, 1, "", "topic_Intro.xml"},
        {1, 0, 0, "my doc.", "my doc._Intro.xml"}, // typed prefixes stay as typed
        {1, 1, 0, "doc", "src_xml_Intro.xml"},     // the source's name, dots replaced
        {1, 1, 1, "", "src_xml_topic_Intro.xml"},
    };
    for (const auto& c : cases) {
        ResetSettings();
        Settings().m_bEmitPrefix = c.emit;
        Settings().m_bUseSource = c.useSource;
        Settings().m_bAppendTagname = c.append;
        Settings().m_strPrefix = c.prefix;
        fs::remove_all(m_out);
        EXPECT_EQ(LoggedNames(Run("<topic title=\"Intro\">a</topic>")), (std::vector<CString>{c.name}))
            << c.emit << c.useSource << c.append << " '" << c.prefix << "'";
    }
}

TEST_F(Naming, OnlyKeysWithValuesJoinTheName) {
    ResetSettings("topic", "author,title,id");
    CString log = Run("<topic id=\"x-1\"><title>T</title></topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"T_x_1.xml"}));
}

TEST_F(Naming, RegionStopsAtANestedChunkOrTheEnd) {
    // The outer chunk's title comes after its nested chunk, so it is not its name.
    CString log = Run("<topic>a<topic><title>In</title></topic><title>Late</title></topic>"
                      "<topic>b</topic><title>After</title>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"In.xml", "0001.xml", "0002.xml"}));
}

TEST_F(Naming, UnclosedChunksAreNumberedInOrderOfAppearance) {
    Run("<topic><title>x</title>a<topic><title>y</title>b");
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml", "0002.xml"}));
    EXPECT_NE(OutFile("0001.xml").find("<title>x</title>a"), CString::npos);
}

TEST_F(Naming, ExtensionAndFolderAreTakenAsGiven) {
    Settings().m_strExt = "";
    CString log = Run("<topic><title>A</title></topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"A."}));

    // A folder that ends with a separator gets another one.
    Chunker chunker;
    chunker.SetChunkNameKeys("title");
    CString path = chunker.MakeChunkPath(m_out + kPathSeparator, "topic", "><title>B</title></topic>");
    EXPECT_EQ(path, m_out + kPathSeparator + kPathSeparator + "B.");
}

TEST_F(Naming, WithoutOverwriteExistingFilesGetNumberedVariants) {
    Settings().m_bOverwrite = 0;
    fs::create_directories(m_out);
    WriteBytes(OutPath("Intro.xml"), "old");
    WriteBytes(OutPath("Intro(1).xml"), "old 1");
    CString log = Run("<topic title=\"Intro\">a</topic><topic title=\"New\">b</topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"Intro(2).xml", "New.xml"}));
    EXPECT_EQ(OutFile("Intro.xml"), "old");
}

TEST_F(Naming, WithOverwriteAnEarlierRunsFileIsReplacedButNotThisRunsFiles) {
    fs::create_directories(m_out);
    WriteBytes(OutPath("Intro.xml"), "old");
    CString log = Run(
        "<topic title=\"Intro\">a</topic><topic title=\"Intro\">b</topic><topic title=\"Intro\">c</topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"Intro.xml", "Intro(1).xml", "Intro(2).xml"}));
    EXPECT_NE(OutFile("Intro.xml").find(">a</topic>"), CString::npos);
    EXPECT_NE(OutFile("Intro(2).xml").find(">c</topic>"), CString::npos);
}

TEST_F(Naming, SameNameUnderAnotherSubfolderIsADuplicateWithItsPlainForm) {
    ResetSettings("topic section", "title");
    Settings().m_bSubfolders = 1;
    Run("<topic title=\"A\">a</topic><section title=\"A\">b</section><section title=\"A\">c</section>");
    EXPECT_EQ(ListFolder(OutPath("topic")), (std::vector<CString>{"A.xml"}));
    EXPECT_EQ(ListFolder(OutPath("section")), (std::vector<CString>{"A(1).xml", "A.xml"}));
}

TEST_F(Naming, KeyValueEqualToASequenceNumberNeverReplacesThatFile) {
    CString log = Run("<topic>first</topic><topic><title>0001</title>second</topic>");
    EXPECT_EQ(LoggedNames(log), (std::vector<CString>{"0001.xml", "0001(1).xml"}));
    EXPECT_NE(OutFile("0001.xml").find("first"), CString::npos);
    EXPECT_NE(OutFile("0001(1).xml").find("second"), CString::npos);
}

TEST_F(Naming, NamesThatDifferInCaseShareAFileOnlyWhereTheFileSystemSaysSo) {
    CString log = Run("<topic title=\"Intro\">a</topic><topic title=\"intro\">b</topic>");
    bool caseBlind = PathCompareKey("A") == PathCompareKey("a");
    EXPECT_EQ(LoggedNames(log),
              (std::vector<CString>{"Intro.xml", caseBlind ? "intro(1).xml" : "intro.xml"}));
    EXPECT_NE(ReadBytes(OutPath("Intro.xml")).find(">a</topic>"), CString::npos);
}

TEST_F(Naming, SourceFileIsNeverAChunkFile) {
    const CString source = "<topic title=\"src\">chunk</topic>";
    fs::create_directories(m_out);
    CString inOut = OutPath("src.xml");
    WriteBytes(inOut, source);

    // The same spelling, a doubled separator, and (where names ignore case) another case.
    std::vector<CString> folders = {m_out, m_out + kPathSeparator};
    if (PathCompareKey("A") == PathCompareKey("a")) {
        CString upper = m_out;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        folders.push_back(upper);
    }
    for (const CString& folder : folders) {
        Chunker chunker;
        CString log = chunker.Process(inOut, folder);
        EXPECT_EQ(ReadBytes(inOut), source) << folder;
        EXPECT_NE(log.find("src(1).xml"), CString::npos) << log;
        fs::remove(OutPath("src(1).xml"));
    }

    // A relative spelling of the output folder.
    fs::path before = fs::current_path();
    fs::current_path(m_scratch.Path());
    Chunker chunker;
    CString log = chunker.Process(inOut, "out");
    fs::current_path(before);
    EXPECT_EQ(ReadBytes(inOut), source);
    EXPECT_NE(log.find(CString("out") + kPathSeparator + "src(1).xml"), CString::npos) << log;
}

TEST_F(Naming, ReservedDeviceNamesGetNumberedVariants) {
    CString log =
        Run("<topic title=\"CON\">a</topic><topic title=\"nul\">b</topic><topic title=\"Com1\">c</topic>"
            "<topic title=\"COM10\">d</topic><topic title=\"CONSOLE\">e</topic>");
    EXPECT_EQ(LoggedNames(log),
              (std::vector<CString>{"CON(1).xml", "nul(1).xml", "Com1(1).xml", "COM10.xml", "CONSOLE.xml"}));
    EXPECT_NE(OutFile("CON(1).xml").find(">a</topic>"), CString::npos);
    EXPECT_TRUE(IsReservedDeviceName(CString("x") + kPathSeparator + "lpt9.txt.xml"));
    EXPECT_FALSE(IsReservedDeviceName("LPT0.xml"));
}

TEST_F(Naming, WildcardsInTheCandidateMatchPatterns) {
    Settings().m_bOverwrite = 0;
    Settings().m_strExt = "x?l";
    fs::create_directories(m_out);
    WriteBytes(OutPath("Intro.xml"), "old");
    CString log = Run("<topic title=\"Intro\">a</topic>");
    EXPECT_NE(log.find(OutPath("Intro(1).x?l")), CString::npos) << log;
    EXPECT_EQ(OutFile("Intro.xml"), "old");
}

} // namespace
