// Chunk naming: folder, prefix, key values, numbers and extension of each chunk file, and what
// the file system holds under those names.
#include "TestSupport.h"

#include "platform/IoFaults.h"

#include <atomic>
#include <functional>
#include <map>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class Naming : public EngineTest {
protected:
    // The chunk file names a run logged, in order, "/" between folders; "!" + name: not opened.
    std::vector<CString> LoggedNames(const CString& log) {
        std::vector<CString> names;
        for (CString line : LogBody(log)) {
            const bool failed = line.compare(0, 21, "Unable to open file: ") == 0;
            if (failed) line.erase(0, 21);
            if (PathCompareKey(line.substr(0, m_out.size() + 1)) != PathCompareKey(m_out + kPathSeparator))
                continue;
            line = (failed ? "!" : "") + line.substr(m_out.size() + 1);
            std::replace(line.begin(), line.end(), kPathSeparator, '/');
            names.push_back(line);
        }
        return names;
    }
    static CString Native(CString name) {
        std::replace(name.begin(), name.end(), '/', kPathSeparator);
        return name;
    }
};

TEST_F(Naming, NamesFollowTheOptionsKeysNumbersAndWhatExists) {
    const CString tooLong(300, 'n'), cut = CString(240, 'n') + "\xc3\xa9";
    const CString longTitle = cut + "\xc3\xa9\xc3\xa9\xc3\xa9"; // 248 bytes, 243 kept: one of them cut in half
    const CString onWindows = kPathSeparator == '\\' ? "!" : ""; // there the whole path is too long
    const struct {
        const char* what;
        void (*setup)(TestSettings&);
        std::vector<CString> existing; // files there before the run ("old~~~"), "/" between folders
        CString source;
        std::vector<CString> names;                     // as logged; "!" + name: not opened
        std::vector<std::pair<CString, CString>> holds; // a file and a text it holds afterwards
    } cases[] = {
        {"no overwrite: numbered past existing files",
         [](TestSettings& s) { s.m_bOverwrite = 0; },
         {"Intro.xml", "Intro(1).xml"},
         "<topic title=\"Intro\">a</topic><topic title=\"New\">b</topic>",
         {"Intro(2).xml", "New.xml"},
         {{"Intro.xml", "old"}, {"Intro(1).xml", "old"}}},
        {"overwrite: an earlier run's file, never this run's",
         nullptr,
         {"Intro.xml"},
         "<topic title=\"Intro\">a</topic><topic title=\"Intro\">b</topic><topic title=\"Intro\">c</topic>",
         {"Intro.xml", "Intro(1).xml", "Intro(2).xml"},
         {{"Intro.xml", ">a<"}, {"Intro(2).xml", ">c<"}}},
        {"a name used under another sub-folder is a duplicate",
         [](TestSettings& s) { s.levelTags = "topic section", s.m_bSubfolders = 1; },
         {"section/A.xml"},
         "<topic title=\"A\">a</topic><section title=\"A\">b</section><section title=\"A\">c</section>",
         {"topic/A.xml", "section/A(1).xml", "section/A(2).xml"},
         {{"section/A.xml", "old"}}},
        {"a key value equal to a number",
         nullptr,
         {},
         "<topic>first</topic><topic><title>0001</title>second</topic>",
         {"0001.xml", "0001(1).xml"},
         {{"0001.xml", "first"}, {"0001(1).xml", "second"}}},
        {"a prefix too long, twice: every failure under a path of its own",
         [](TestSettings& s) { s.m_bEmitPrefix = 1, s.m_strPrefix = CString(300, 'n'); },
         {},
         "<topic title=\"A\">a</topic><topic title=\"A\">b</topic>",
         {"!" + tooLong + "_A.xml", "!" + tooLong + "_A(1).xml"},
         {}},
        {"a name too long is cut at the start of a character, with room for a number",
         nullptr,
         {},
         "<topic title=\"" + longTitle + "\">a</topic><topic title=\"" + longTitle + "\">b</topic>",
         {onWindows + cut + ".xml", onWindows + cut + "(1).xml"},
         {}},
        {"reserved device names",
         nullptr,
         {},
         "<topic title=\"CON\">a</topic><topic title=\"nul\">b</topic><topic title=\"Com1\">c</topic>"
         "<topic title=\"COM10\">d</topic><topic title=\"CONSOLE\">e</topic><topic title=\"LPT0\">f</topic>",
         {"CON(1).xml", "nul(1).xml", "Com1(1).xml", "COM10.xml", "CONSOLE.xml", "LPT0.xml"},
         {{"CON(1).xml", ">a<"}}},
        {"tags that are device names (superscript digits in the code page and in UTF-8)",
         [](TestSettings& s) { s.levelTags = "nul.x COM\xB9.x LPT\xC2\xB2.x", s.m_bEmitPrefix = s.m_bAppendTagname = 1; },
         {},
         "<r><nul.x><title>A</title>a</nul.x><COM\xB9.x>b</COM\xB9.x><LPT\xC2\xB2.x>c</LPT\xC2\xB2.x></r>",
         {"nul(1).x_A.xml", "COM\xB9(1).x_0001.xml", "LPT\xC2\xB2(1).x_0002.xml"},
         {}},
        {"tags that are device names, as sub-folders",
         [](TestSettings& s) { s.levelTags = "nul com\xC2\xB3.x", s.m_bSubfolders = 1; },
         {},
         "<r><nul><title>A</title>a</nul><com\xC2\xB3.x>b</com\xC2\xB3.x></r>",
         {"nul(1)/A.xml", "com\xC2\xB3(1).x/0001.xml"},
         {{"nul(1)/A.xml", ">a<"}}},
        {"wildcards in the candidate",
         [](TestSettings& s) { s.m_bOverwrite = 0, s.m_strExt = "x?l"; },
         {"Intro.xml"},
         "<topic title=\"Intro\">a</topic>",
         {kPathSeparator == '/' ? "Intro(1).x?l" : "!Intro(1).x?l"},
         {{"Intro.xml", "old"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSettings();
        if (c.setup != nullptr) c.setup(Settings());
        fs::remove_all(m_out);
        for (const CString& name : c.existing) {
            fs::create_directories(fs::path(OutPath(Native(name))).parent_path());
            WriteBytes(OutPath(Native(name)), "old" + CString(2000, '~')); // longer than any chunk
        }
        const std::vector<CString> names = LoggedNames(Run(c.source));
        EXPECT_EQ(names, c.names);
        for (const CString& name : names) { // a file written is the chunk alone, nothing left of an old one
            if (name[0] == '!') continue;
            EXPECT_EQ(OutFile(Native(name)).find('~'), CString::npos) << name;
        }
        for (const auto& [name, text] : c.holds)
            EXPECT_NE(OutFile(Native(name)).find(text), CString::npos)
                << name << ": " << OutFile(Native(name));
    }
}

// Titles in every script (Latin, Japanese, Greek, Cyrillic, Arabic digits and letters, combining
// marks, superscripts, emoji, punctuation, invalid UTF-8) and from each supported encoding: letters,
// digits and combining marks stay (as UTF-8), every other character is one "_", an invalid byte
// one "_" each; an encoding of unknown name keeps only ASCII. The same names on every build.
TEST_F(Naming, NamesKeepLettersAndDigitsOfEveryScript) {
    const CString latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
    const struct {
        CString declaration;
        std::vector<std::pair<CString, CString>> titles; // the title's bytes and the name it gives
    } cases[] = {
        {"",
         {{"Café crème", "Café_crème"}, {"Überblick", "Überblick"}, {"日本語のトピック", "日本語のトピック"},
          {"Привет мир", "Привет_мир"}, {"Ελληνικά", "Ελληνικά"}, {"٣ أرقام", "٣_أرقام"}, {"x😀y", "x_y"},
          {"e\u0301t²", "e\u0301t²"}, {"a—b«引」。", "a_b_引__"}, {"Hello World", "Hello_World"},
          {"\xff\xc3(\xc0\xaf\xed\xa0\x80z\xe6\x97", "________z__"}}}, // invalid: one "_" a byte
        {"\xef\xbb\xbf" + latin1, {{"Café", "Café"}}},                   // the byte order mark wins
        {latin1, {{"Caf\xe9 cr\xe8me", "Café_crème"}, {"\xbd\xa4\xd7", "½__"}}},
        {"<?xml version='1.0' encoding='latin-9'?>", {{"\xbd\xa4\xe9", "œ_é"}}},
        {"<?xml version=\"1.0\" encoding = \"Windows-1252\"?>", {{"\x9c\x80\x81\xe9", "œ__é"}}},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", {{"Café", "Caf__"}}},
        {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>", {{"\xf0\xd2x", "__x"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declaration);
        CString source = c.declaration;
        std::vector<CString> names;
        for (const auto& [title, name] : c.titles) {
            source += "<topic><title>" + title + "</title></topic>\n";
            names.push_back(name + ".xml");
        }
        fs::remove_all(m_out);
        EXPECT_EQ(LoggedNames(Run(source)), names);
        for (const CString& name : names)
            EXPECT_NE(OutFile(name), "<missing>") << name;
    }
}

// The source, links, FIFOs and folders under chunk names, and an existence test that cannot see:
// the source and the files of earlier runs keep their bytes, no path is given twice, every
// failure is logged, and nothing hangs on a FIFO (the chunks are larger than a pipe holds; their
// line ends fall all over the chunk stream's blocks).
TEST_F(Naming, HostileFileSystemNeverCostsAByte) {
    CString chunk = "<topic><title>A</title>";
    for (int line = 0; line < 17000; ++line)
        chunk += CString(line % 13, 'x') + "\n";
    chunk += "</topic>";
    const CString sourceText = chunk + "\n" + chunk + "\n";
    const CString src = m_source, linked = m_source + ".lnk", a = OutPath("A.xml");
    CString source, folder; // what the run is given
    CString upper = m_out;  // another spelling where names ignore case
    for (char& c : upper)
        c = PathCompareKey("A") == PathCompareKey("a") && c >= 'a' && c <= 'z'
                ? static_cast<char>(c - 'a' + 'A')
                : c;
    struct Case {
        const char* what;
        std::function<void()> prepare; // after the output folder was emptied
        BOOL overwrite;
        std::vector<CString> names; // the chunk files logged, in order; "!" + name: not opened
    };
    std::vector<Case> cases = {
        {"existence test blind, overwrite off",
         [&] { WriteBytes(a, "old"), IoFaults::FailEvery(IoOp::Find); },
         0,
         {"A(1).xml", "A(2).xml"}},
        {"folder", [&] { fs::create_directories(a); }, 1, {"!A.xml", "A(1).xml"}},
        {"source, folder spelled with two separators",
         [&] { fs::rename(src, a), source = a, folder += kPathSeparator; },
         1,
         {"/A(1).xml", "/A(2).xml"}},
        {"source, folder spelled in another case",
         [&] { fs::rename(src, a), source = a, folder = upper; },
         1,
         {"A(1).xml", "A(2).xml"}},
#if !defined(_WIN32)
        {"hard link", [&] { fs::create_hard_link(src, a); }, 1, {"A(1).xml", "A(2).xml"}},
        {"symbolic link", [&] { fs::create_symlink(src, a); }, 1, {"A(1).xml", "A(2).xml"}},
        {"links under numbered names",
         [&] {
             fs::create_symlink(src, OutPath("A(1).xml")), fs::create_hard_link(src, OutPath("A(2).xml"));
         },
         1,
         {"A.xml", "A(3).xml"}},
        {"source given through a link",
         [&] { fs::rename(src, a), fs::create_symlink(a, linked), source = linked; },
         1,
         {"A(1).xml", "A(2).xml"}},
        {"FIFO", [&] { ASSERT_EQ(mkfifo(a.c_str(), 0666), 0); }, 1, {"!A.xml", "A(1).xml"}},
        {"link that leads nowhere: replaced, not followed",
         [&] { fs::create_symlink(m_scratch / "elsewhere", a); },
         1,
         {"A.xml", "A(1).xml"}},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        WriteBytes(src, sourceText);
        source = src, folder = m_out;
        c.prepare();
        Settings().m_bOverwrite = c.overwrite;
        Chunker chunker = NewChunker();
        CString log = chunker.Process(source, folder);
        IoFaults::Reset();
        std::vector<CString> names = LoggedNames(log);
        EXPECT_EQ(names, c.names) << log;
        EXPECT_EQ(chunker.HadFailure(), c.names[0][0] == '!');
        EXPECT_EQ(ReadBytes(source), sourceText);
        if (!c.overwrite) {
            EXPECT_EQ(ReadBytes(a), "old");
        }
        for (const CString& name : names) {
            if (name[0] == '!') continue;
            EXPECT_EQ(OutFile(name), Stored(Settings().GetPreamble() + chunk)) << name;
        }
        fs::remove(linked);
        for (const CString& name : ListFolder(m_scratch.Path())) // nothing written beside the folder
            EXPECT_TRUE(name == "out" || name == "src.xml") << name;
    }
}

// Entries already under the chunks' names (overwrite on): a file, a symbolic link and a hard link
// to files outside the output folder. Stopped while all three chunks are open, or with every
// replacing move failing, the run leaves every entry and every file as it was and nothing of its
// own; run to the end, it replaces the entries themselves and never writes through a link.
TEST_F(Naming, ReplacedEntriesAreWholeAfterAnInterruptAndLinksAreNeverWrittenThrough) {
    const CString old = "old", victim = m_scratch / "victim", other = m_scratch / "other";
    const CString text = "<topic title=\"Big\"><topic title=\"Soft\"><topic title=\"Hard\">" +
                         CString(200000, 'x') + "</topic></topic></topic>";
    const std::vector<CString> entries = {"Big.xml", "Hard.xml", "Soft.xml"};
    for (const char* how : {"interrupted", "moves failing", "to the end"}) {
        SCOPED_TRACE(how);
        const bool interrupt = how[0] == 'i', replaced = how[0] == 't';
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        WriteBytes(OutPath("Big.xml"), old);
        WriteBytes(victim, "victim");
        WriteBytes(other, "other");
#if !defined(_WIN32)
        fs::create_symlink(victim, OutPath("Soft.xml"));
        fs::create_hard_link(other, OutPath("Hard.xml"));
#else
        WriteBytes(OutPath("Soft.xml"), old), WriteBytes(OutPath("Hard.xml"), old);
#endif
        WriteBytes(m_source, text);
        std::atomic<bool> stop{false};
        Chunker chunker = NewChunker();
        chunker.SetStopFlag(&stop);
        IoFaults::SetReadBlockLimit(4096);
        chunker.SetProgressReport([&](const ChunkProgress& p) { stop = interrupt && p.bytesRead > 100000; });
        if (how[0] == 'm') IoFaults::FailEvery(IoOp::Rename);
        const CString log = chunker.Process(m_source, m_out);
        IoFaults::Reset();
        IoFaults::SetReadBlockLimit(0);
        EXPECT_EQ(chunker.WasInterrupted(), interrupt);
        EXPECT_EQ(chunker.HadFailure(), !interrupt && !replaced);
        EXPECT_EQ(ReadBytes(victim), "victim");
        EXPECT_EQ(ReadBytes(other), "other");
        EXPECT_EQ(ListFolder(m_out), entries) << log;
        EXPECT_EQ(log.find("Removed unfinished file: " + OutPath("Big.xml") + "\r"), CString::npos);
        if (!replaced) {
            EXPECT_EQ(OutFile("Big.xml"), old) << log;
#if !defined(_WIN32)
            EXPECT_TRUE(fs::is_symlink(OutPath("Soft.xml")));
            EXPECT_EQ(OutFile("Hard.xml"), "other");
#endif
        } else {
            EXPECT_EQ(OutFile("Big.xml"), Stored(Settings().GetPreamble()) + "<topic title=\"Big\"></topic>");
            EXPECT_EQ(OutFile("Soft.xml"),
                      Stored(Settings().GetPreamble()) + "<topic title=\"Soft\"></topic>");
            EXPECT_EQ(OutFile("Hard.xml").size(), Stored(Settings().GetPreamble()).size() + 20 + 200000 + 8);
        }
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
        WriteBytes(m_scratch / "child.log", NewChunker().Process(m_source, m_out));
        _exit(0);
    }
    CString log = NewChunker().Process(m_source, m_out);
    waitpid(child, nullptr, 0);
    std::vector<CString> names = LoggedNames(log + ReadBytes(m_scratch / "child.log"));
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
#else
// A folder whose paths the ANSI file functions cannot take (Wine's layer below may take them):
// every chunk is a logged failure under a path of its own, and the source keeps its bytes.
TEST_F(Naming, PathsTooLongForThePlatformAreLoggedFailures) {
    const CString folder = m_out + kPathSeparator + CString(120, 'a') + kPathSeparator + CString(120, 'b');
    std::error_code error;
    fs::create_directories(folder.c_str(), error);
    const CString source = folder + kPathSeparator + "A.xml", text = "<topic><title>A</title>x</topic>\n";
    WriteBytes(source, text + text);
    if (ReadBytes(source) != text + text) GTEST_SKIP() << "no file under a long path here";
    Chunker chunker = NewChunker();
    std::vector<CString> names = LoggedNames(chunker.Process(source, folder));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0][0] == '!' && names[1][0] == '!' && names[0] != names[1]);
    EXPECT_TRUE(chunker.HadFailure());
    EXPECT_EQ(ReadBytes(source), text + text);
}
#endif

} // namespace
