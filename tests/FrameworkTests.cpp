// The platform services: text-mode files, chunk streams, the existence test and the profile.
#include "TestSupport.h"

#include "reference/Reference.h"
#include "platform/FileException.h"
#include "platform/IoFaults.h"
#include "platform/ProfileStore.h"
#include "platform/StdioFile.h"
#include "platform/TextOutStream.h"

#ifdef _WIN32
#include "platform/Win32.h"
#endif

#include <filesystem>
#include <random>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

// Text-mode reads by table, with reads of every size from 1 to 4 bytes and of any size, so that
// CR LF pairs, lone CRs and Ctrl-Z fall on every block boundary.
TEST(StdioFile, ReadsWithWindowsTextModeRulesAcrossBlockBoundaries) {
    const struct {
        CString bytes, text;
        CStringList lines;
    } cases[] = {
        {Bytes("a\r\nb\rc\r\r\nd\0e\nlast\x1a" "after"), Bytes("a\nb\rc\r\nd\0e\nlast\n"), {"a", "b\rc\r", Bytes("d\0e"), "last"}},
        {"\r\n\r\n", "\n\n", {"", ""}},
        {"x\r", "x\r\n", {"x\r"}},
        {"\r\r\r\nz", "\r\r\nz\n", {"\r\r", "z"}},
        {"ab\r\x1a\r\n", "ab\r\n", {"ab\r"}},
        {"\x1a", "", {}},
        {"", "", {}},
    };
    ScratchFolder scratch;
    const CString path = scratch / "t.txt";
    for (size_t block : {1, 2, 3, 4, 0}) {
        CStdioFile::SetReadBlockLimit(block);
        for (const auto& c : cases) {
            WriteBytes(path, c.bytes);
            CStdioFile file;
            ASSERT_TRUE(file.Open(path));
            CString line;
            CStringList lines;
            while (file.ReadString(line))
                lines.push_back(line);
            EXPECT_EQ(lines, c.lines) << "block " << block << ": " << c.bytes;
            file.Close();
            ASSERT_TRUE(file.Open(path));
            EXPECT_EQ(file.ReadText(), c.text) << "block " << block << ": " << c.bytes;
        }
    }
    // Random texts of CR, LF, Ctrl-Z and letters, shorter and longer than the reads, against the
    // reference's rules.
    const unsigned kSeed = 26;
    std::mt19937 random(kSeed);
    for (int round = 0; round < 60; ++round) {
        CStdioFile::SetReadBlockLimit(round % 3 == 0 ? 0 : 1 + random() % 7);
        CString bytes(round % 3 == 0 ? random() % 200000 : random() % 100, 'a');
        for (char& c : bytes) {
            unsigned pick = random() % 40;
            c = pick == 0 && round % 2 ? '\x1a' : pick < 5 ? '\r' : pick < 9 ? '\n' : static_cast<char>('a' + pick);
        }
        WriteBytes(path, bytes);
        CStdioFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_TRUE(file.ReadText() == reference::ReadAsText(bytes)) << "seed " << kSeed << " round " << round;
    }
    CStdioFile::SetReadBlockLimit(0);
}

TEST(StdioFile, OpenFailsQuietlyNamesAreKeptAndErrorsAreRaised) {
    ScratchFolder scratch;
    CStdioFile file;
    EXPECT_FALSE(file.Open(scratch / "missing.txt"));
    EXPECT_FALSE(file.Open(scratch.Path()));
    WriteBytes(scratch / "name.ext.xml", "abc");
    ASSERT_TRUE(file.Open(scratch / "name.ext.xml"));
    EXPECT_EQ(file.GetFileName(), "name.ext.xml");
    EXPECT_EQ(file.GetFilePath(), GetFullPath(scratch / "name.ext.xml"));
    IoFaults::FailAt(IoOp::Read, 1);
    EXPECT_THROW(file.ReadText(), CFileException);
    IoFaults::FailAt(IoOp::Close, 1);
    EXPECT_THROW(file.Close(), CFileException);
    IoFaults::Reset();
    EXPECT_FALSE(file.IsOpen());
}

// Texts of lines of random lengths (empty ones and long runs of them among them), written whole,
// in short pieces with line ends at every position and every pair of positions, and with line
// ends around the stream's block boundaries: every LF arrives as CR LF, every other byte as is.
TEST(TextOutStream, StoresEveryLineFeedAsCarriageReturnLineFeed) {
    const unsigned kSeed = 16384;
    std::mt19937 random(kSeed);
    CString text = Bytes("a\nb\r\n\n\0\n") + CString(20000, '\n');
    while (text.size() < (1u << 20)) {
        int pick = random() % 10;
        text += CString(pick < 3 ? 0 : pick < 9 ? random() % 300 : random() % 40000, 'x') + "\n";
    }
    CStringList pieces = {text};
    for (size_t length = 1; length <= 40; ++length)
        for (size_t first = 0; first < length; ++first)
            for (size_t second = first; second < length; ++second) {
                pieces.push_back(CString(length, static_cast<char>('a' + length % 26)));
                pieces.back()[first] = pieces.back()[second] = '\n';
            }
    for (size_t length = 16370; length < 16400; ++length)
        pieces.push_back(CString(length, 'y') + "\nab\n\n" + CString(length, 'z') + "\ncd");
    ScratchFolder scratch;
    TextOutStream stream;
    ASSERT_EQ(stream.Open(scratch / "c.xml", WriteOpen::Replace), OpenResult::Opened);
    for (const CString& piece : pieces)
        stream.Write(piece);
    EXPECT_TRUE(stream.Close());
    CString all;
    for (const CString& piece : pieces)
        all += piece;
    EXPECT_TRUE(ReadBytes(scratch / "c.xml") == Crlf(all)) << "seed " << kSeed;
}

// What each open finds and does: nothing but a regular file other than the one to spare is ever
// emptied, nothing that exists is created over, and nothing is waited on.
TEST(TextOutStream, OpensCheckWhatTheyFind) {
    ScratchFolder scratch;
    const CString file = scratch / "c.xml", folder = scratch / "dir", source = scratch / "src.xml";
    fs::create_directories(folder);
    WriteBytes(source, "source");
    FileIdentity spare;
    {
        CStdioFile opened;
        ASSERT_TRUE(opened.Open(source));
        ASSERT_TRUE(opened.GetIdentity(spare));
    }
    struct Case {
        CString path;
        WriteOpen how;
        OpenResult expected;
    };
    std::vector<Case> cases = {
        {scratch / "new.xml", WriteOpen::CreateNew, OpenResult::Opened},
        {file, WriteOpen::CreateNew, OpenResult::Exists},
        {file, WriteOpen::Replace, OpenResult::Opened},
        {folder, WriteOpen::CreateNew, OpenResult::Exists},
        {folder, WriteOpen::Replace, OpenResult::Failed},
        {source, WriteOpen::Replace, OpenResult::IsSpare},
        {source, WriteOpen::CreateNew, OpenResult::Exists},
        {scratch / "no" + CString(1, kPathSeparator) + "c.xml", WriteOpen::Replace, OpenResult::Failed},
#if !defined(_WIN32)
        {scratch / "hard.xml", WriteOpen::Replace, OpenResult::IsSpare},
        {scratch / "soft.xml", WriteOpen::Replace, OpenResult::IsSpare},
        {scratch / "fifo.xml", WriteOpen::Replace, OpenResult::Failed},
        {scratch / "fifo.xml", WriteOpen::CreateNew, OpenResult::Exists},
    };
    fs::create_hard_link(source, scratch / "hard.xml");
    fs::create_symlink("src.xml", scratch / "soft.xml");
    ASSERT_EQ(mkfifo((scratch / "fifo.xml").c_str(), 0666), 0);
#else
        // A path the ANSI functions cannot take is refused, even where the layer below would take it.
        {scratch / CString(300, 'n') + ".xml", WriteOpen::CreateNew, OpenResult::Failed},
    };
#endif
    for (const Case& c : cases) {
        WriteBytes(file, "old");
        TextOutStream stream;
        EXPECT_EQ(stream.Open(c.path, c.how, &spare), c.expected) << c.path << " " << int(c.how);
        EXPECT_EQ(stream.IsOpen(), c.expected == OpenResult::Opened);
        EXPECT_TRUE(stream.Close());
        EXPECT_EQ(ReadBytes(file), c.path == file && c.expected == OpenResult::Opened ? "" : "old") << c.path;
    }
    EXPECT_EQ(ReadBytes(source), "source");
    EXPECT_EQ(ReadBytes(scratch / "new.xml"), "");
    EXPECT_EQ(ListFolder(scratch.Path()).size(), kPathSeparator == '/' ? 7u : 4u);

    IoFaults::FailAt(IoOp::Write, 1);
    TextOutStream stream;
    ASSERT_EQ(stream.Open(file, WriteOpen::Replace), OpenResult::Opened);
    stream.Write("x");
    stream.Write("y");
    EXPECT_FALSE(stream.Close());
    IoFaults::Reset();
    EXPECT_EQ(ReadBytes(file), "y");
}

TEST(FileSystem, ExistenceTestFollowsFindFirstFileAndFoldersAreMadeOneLevelAtATime) {
    ScratchFolder scratch;
    WriteBytes(scratch / "a(1).xml", "");
    fs::create_directories(scratch.Path() + kPathSeparator + "dir");
    EXPECT_TRUE(FindExists(scratch / "a(1).xml"));
    EXPECT_TRUE(FindExists(scratch / "dir"));
    EXPECT_FALSE(FindExists(scratch / "a.xml"));
    EXPECT_TRUE(FindExists(scratch / "a(?).x*"));
    EXPECT_TRUE(FindExists(scratch / "*"));
    EXPECT_FALSE(FindExists(scratch / "b*"));
    EXPECT_FALSE(FindExists(scratch / "dir" + kPathSeparator));
    EXPECT_TRUE(IsFolder(scratch / "dir"));
    EXPECT_FALSE(IsFolder(scratch / "a(1).xml"));
    EXPECT_FALSE(IsFolder(scratch / "none"));
    EXPECT_TRUE(FolderExists(scratch / "dir" + kPathSeparator));
    EXPECT_TRUE(CreateFolder(scratch / "one"));
    EXPECT_FALSE(CreateFolder(scratch / "one"));
    EXPECT_FALSE(CreateFolder(scratch / "two" + kPathSeparator + "three"));
    EXPECT_TRUE(IsFolder(scratch / "one"));
    EXPECT_FALSE(FindExists(scratch / "two"));
}

TEST(Profile, ValuesSurviveAWriteAndAReadUpToTheirFirstNul) {
    ScratchFolder scratch;
    UserProfile profile = ScratchProfile(scratch);
    EXPECT_EQ(profile.GetProfileString("Settings", "tag", "topic"), "topic");
    const CString multiLine = "<?xml?>\r\n\tline \\n two\n";
    EXPECT_TRUE(profile.WriteProfileString("Settings", "preamble", multiLine));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "tag", ""));
    EXPECT_TRUE(profile.WriteProfileString("Other", "tag", "other"));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "tag", "section"));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "prefix", Bytes(" p\0q")));
    EXPECT_EQ(profile.GetProfileString("Settings", "preamble", ""), multiLine);
    EXPECT_EQ(profile.GetProfileString("Settings", "tag", "topic"), "section");
    EXPECT_EQ(profile.GetProfileString("Other", "tag", ""), "other");
    EXPECT_EQ(profile.GetProfileString("Settings", "missing", "default"), "default");
    EXPECT_EQ(profile.GetProfileString("Settings", "prefix", ""), " p");
    EXPECT_EQ(profile.GetUnusableLines(), CStringList());
#ifdef _WIN32
    // Strings stored without their terminating NUL, one with a NUL inside.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (profile.GetLocation() + "\\Settings").c_str(), 0,
                            KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ext", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0c"), 4);
    RegSetValueExA(key, "postamble", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegCloseKey(key);
    EXPECT_EQ(profile.GetProfileString("Settings", "ext", ""), "ab");
    EXPECT_EQ(profile.GetProfileString("Settings", "postamble", ""), "abc");
#else
    EXPECT_EQ(profile.GetLocation().compare(0, (scratch / "config/").size(), scratch / "config/"), 0);
    // A hand-written file keeps its byte-order mark, comments and unusable lines through a write,
    // and a value of another spelling is replaced, not repeated.
    const CString ini = "\xEF\xBB\xBF; mine\n[settings]\r\n Tag = topic\nbroken\n\n[Other]\nx=1\n";
    WriteBytes(profile.GetLocation(), ini);
    EXPECT_TRUE(profile.WriteProfileString("Settings", "tag", "a"));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "attrs", "b"));
    EXPECT_EQ(ReadBytes(profile.GetLocation()),
              "\xEF\xBB\xBF; mine\n[settings]\ntag=a\nbroken\nattrs=b\n\n[Other]\nx=1\n");
    // A profile that cannot be read is reported and never replaced.
    fs::remove(profile.GetLocation());
    fs::create_directory(profile.GetLocation());
    EXPECT_FALSE(profile.WriteProfileString("Settings", "tag", "a"));
    EXPECT_EQ(profile.GetUnusableLines().size(), 1u);
    EXPECT_TRUE(fs::is_directory(profile.GetLocation()));
#endif
}

} // namespace
