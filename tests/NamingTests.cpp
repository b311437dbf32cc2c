// Chunk naming: folder, prefix, key values, numbers and extension of each chunk file.
#include "TestSupport.h"

#include "engine/Chunker.h"
#include "platform/IoFaults.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <filesystem>
#include <functional>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class Naming : public EngineTest {
protected:
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
    Chunker chunker = NewChunker();
    log = chunker.Process(m_source, m_out + kPathSeparator);
    EXPECT_NE(log.find(m_out + kPathSeparator + kPathSeparator + "A.\r\n"), CString::npos) << log;
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
        Chunker chunker = NewChunker();
        CString log = chunker.Process(inOut, folder);
        EXPECT_EQ(ReadBytes(inOut), source) << folder;
        EXPECT_NE(log.find("src(1).xml"), CString::npos) << log;
        fs::remove(OutPath("src(1).xml"));
    }

    // A relative spelling of the output folder.
    fs::path before = fs::current_path();
    fs::current_path(m_scratch.Path());
    Chunker chunker = NewChunker();
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

    // A stem that stays a device name whatever follows it takes the number right after it.
    Settings().m_bEmitPrefix = 1;
    Settings().m_strPrefix = "nul.v2";
    EXPECT_EQ(LoggedNames(Run("<topic title=\"A\">a</topic><topic title=\"A\">b</topic>")),
              (std::vector<CString>{"nul(1).v2_A.xml", "nul(2).v2_A.xml"}));
    ResetSettings("nul.x", "title");
    Settings().m_bEmitPrefix = Settings().m_bAppendTagname = 1;
    EXPECT_EQ(LoggedNames(Run("<r><nul.x><title>A</title>a</nul.x></r>")),
              (std::vector<CString>{"nul(1).x_A.xml"}));
}

// Links, FIFOs and folders under chunk names, and an existence test that cannot see: the source
// and the files of earlier runs keep their bytes, no path is given twice, every failure is
// logged, and nothing hangs on a FIFO (the chunks are larger than a pipe holds).
TEST_F(Naming, HostileFileSystemNeverCostsAByte) {
    const CString chunk = "<topic><title>A</title>" + CString(70000, 'x') + "</topic>";
    const CString sourceText = chunk + "\n" + chunk + "\n";
    const CString src = m_source, linked = m_source + ".lnk", a = OutPath("A.xml");
    struct Case {
        const char* what;
        std::function<void()> prepare; // after the output folder was emptied
        BOOL overwrite;
        std::vector<CString> names; // the chunk files logged, in order; "!" + name: not opened
    };
    std::vector<Case> cases = {
        {"existence test blind, overwrite off", [&] { WriteBytes(a, "old"), IoFaults::FailEvery(IoOp::Find); },
         0, {"A(1).xml", "A(2).xml"}},
        {"folder", [&] { fs::create_directories(a); }, 1, {"!A.xml", "A(1).xml"}},
#if !defined(_WIN32)
        {"hard link", [&] { fs::create_hard_link(src, a); }, 1, {"A(1).xml", "A(2).xml"}},
        {"symbolic link", [&] { fs::create_symlink(src, a); }, 1, {"A(1).xml", "A(2).xml"}},
        {"links under numbered names",
         [&] { fs::create_symlink(src, OutPath("A(1).xml")), fs::create_hard_link(src, OutPath("A(2).xml")); }, 1,
         {"A.xml", "A(3).xml"}},
        {"source given through a link", [&] { fs::rename(src, a), fs::create_symlink(a, linked); }, 1,
         {"A(1).xml", "A(2).xml"}},
        {"FIFO", [&] { ASSERT_EQ(mkfifo(a.c_str(), 0666), 0); }, 1, {"!A.xml", "A(1).xml"}},
        {"link that leads nowhere", [&] { fs::create_symlink(m_scratch / "elsewhere", a); }, 1, {"!A.xml", "A(1).xml"}},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        WriteBytes(src, sourceText);
        c.prepare();
        Settings().m_bOverwrite = c.overwrite;
        const bool throughLink = fs::is_symlink(linked.c_str());
        Chunker chunker = NewChunker();
        CString log = chunker.Process(throughLink ? linked : src, m_out);
        IoFaults::Reset();
        std::vector<CString> names;
        for (CString line : LogBody(log)) {
            bool failed = line.compare(0, 21, "Unable to open file: ") == 0;
            if (failed) line.erase(0, 21);
            if (line.compare(0, m_out.size(), m_out) == 0) names.push_back((failed ? "!" : "") + line.substr(m_out.size() + 1));
        }
        EXPECT_EQ(names, c.names) << log;
        EXPECT_EQ(chunker.HadFailure(), c.names[0][0] == '!');
        EXPECT_EQ(ReadBytes(throughLink ? a : src), sourceText);
        if (!c.overwrite) {
            EXPECT_EQ(ReadBytes(a), "old");
        }
        for (const CString& name : names) {
            if (name[0] == '!') continue;
            EXPECT_EQ(OutFile(name), Crlf(Settings().GetPreamble() + chunk)) << name;
        }
        fs::remove(linked);
        for (const CString& name : ListFolder(m_scratch.Path())) // nothing written beside the folder
            EXPECT_TRUE(name == "out" || name == "src.xml") << name;
    }
}

#if !defined(_WIN32)
// Two runs at once into one folder with overwrite off: every chunk of both runs gets a file of its
// own, and no path appears in both logs.
TEST_F(Naming, ConcurrentRunsNeverShareAFile) {
    const int kChunks = 2000;
    CString source;
    for (int i = 0; i < kChunks; ++i)
        source += "<topic><title>T</title>" + std::to_string(i) + "</topic>\n";
    WriteBytes(m_source, source);
    fs::create_directories(m_out);
    Settings().m_bOverwrite = 0;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Chunker chunker = NewChunker();
        WriteBytes(m_scratch / "child.log", chunker.Process(m_source, m_out));
        _exit(0);
    }
    Chunker chunker = NewChunker();
    CString log = chunker.Process(m_source, m_out) + ReadBytes((waitpid(child, nullptr, 0), m_scratch / "child.log"));
    std::vector<CString> names = LoggedNames(log);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.size(), 2u * kChunks);
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    std::map<CString, int> contents; // each chunk's text, in two files
    for (const CString& name : ListFolder(m_out))
        ++contents[OutFile(name)];
    EXPECT_EQ(contents.size(), size_t(kChunks));
    for (const auto& content : contents)
        EXPECT_EQ(content.second, 2) << content.first;
}
#endif

#if defined(_WIN32)
// A folder whose paths the ANSI file functions cannot take (Wine's layer below may still take
// them): every chunk is a logged failure under a path of its own, and the source is untouched.
TEST_F(Naming, PathsTooLongForThePlatformAreLoggedFailures) {
    const CString folder = m_scratch / CString(120, 'a') + kPathSeparator + CString(120, 'b');
    std::error_code error;
    fs::create_directories(folder.c_str(), error);
    const CString source = folder + kPathSeparator + "A.xml";
    const CString text = "<topic><title>A</title>x</topic>\n<topic><title>A</title>y</topic>\n";
    WriteBytes(source, text);
    if (ReadBytes(source) != text) GTEST_SKIP() << "no file under a long path here";
    Chunker chunker = NewChunker();
    CString log = chunker.Process(source, folder);
    std::vector<CString> body = LogBody(log);
    ASSERT_EQ(body.size(), 6u) << log;
    EXPECT_EQ(body[4].substr(0, 21 + folder.size()), "Unable to open file: " + folder);
    EXPECT_EQ(body[5], "Unable to open file: " + folder + kPathSeparator + "A(1).xml");
    EXPECT_NE(body[4], body[5]);
    EXPECT_TRUE(chunker.HadFailure());
    EXPECT_EQ(ReadBytes(source), text);
}
#endif

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
