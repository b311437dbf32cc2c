// The platform services: text-mode files, chunk streams and the profile.
#include "TestSupport.h"

#include "platform/IoFaults.h"
#include "platform/ProfileStore.h"
#include "platform/StdioFile.h"
#include "platform/TextOutStream.h"

#ifdef _WIN32
#include "platform/Win32.h"
#else
#include <sys/stat.h>
#endif

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Text-mode reads by table (the Windows rules; elsewhere the bytes themselves), with reads of every size from 1 to 4 bytes and of any size, so that
// CR LF pairs, lone CRs and Ctrl-Z fall on every block boundary; a look-ahead from after the
// first read gives what the reads after it give, and does not move them.
TEST(StdioFile, ReadsWithTheTextModeRulesAcrossBlockBoundaries) {
    const struct {
        CString bytes, text;
    } cases[] = {
        {Bytes("a\r\nb\rc\r\r\nd\0e\nlast\x1a"
               "after"),
         Bytes("a\nb\rc\r\nd\0e\nlast")},
        {"\r\n\r\n", "\n\n"},
        {"x\r", "x\r"},
        {"\r\r\r\nz", "\r\r\nz"},
        {"ab\r\x1a\r\n", "ab\r"},
        {"\x1a", ""},
        {"", ""},
    };
    ScratchFolder scratch;
    const CString path = scratch / "t.txt";
    for (size_t block : {1, 2, 3, 4, 0}) {
        IoFaults::SetReadBlockLimit(block);
        for (const auto& c : cases) {
            WriteBytes(path, c.bytes);
            CStdioFile file;
            ASSERT_TRUE(file.Open(path));
            char buffer[8];
            const CString first(buffer, file.Read(buffer, sizeof buffer));
            CString ahead, rest;
            uint64_t at = file.GetPosition();
            for (size_t got; (got = file.ReadAhead(at, buffer, sizeof buffer, at)) != 0;)
                ahead.append(buffer, got);
            for (size_t got; (got = file.Read(buffer, sizeof buffer)) != 0;)
                rest.append(buffer, got);
            EXPECT_EQ(first + rest, kTextModeConverts ? c.text : c.bytes) << "block " << block << ": " << c.bytes;
            EXPECT_EQ(ahead, rest) << "block " << block << ": " << c.bytes;
        }
    }
    IoFaults::SetReadBlockLimit(0);
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
    EXPECT_TRUE(profile.WriteProfileString("Settings", "prefix", Bytes(" p \0q")));
    EXPECT_EQ(profile.GetProfileString("Settings", "preamble", ""), multiLine);
    EXPECT_EQ(profile.GetProfileString("Settings", "tag", "topic"), "section");
    EXPECT_EQ(profile.GetProfileString("Other", "tag", ""), "other");
    EXPECT_EQ(profile.GetProfileString("Settings", "missing", "default"), "default");
    EXPECT_EQ(profile.GetProfileString("Settings", "prefix", ""), " p ");
    EXPECT_EQ(profile.GetUnusableLines(), CStringList());
    CStringList names = profile.GetValueNames("Settings");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (CStringList{"preamble", "prefix", "tag"}));
#ifdef _WIN32
    // Strings stored without their terminating NUL, one with a NUL inside.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (profile.GetLocation() + "\\Settings").c_str(), 0,
                            KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ext", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0c"), 4);
    RegSetValueExA(key, "postamble", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    const DWORD no = 0; // a value of another type is named and read as missing
    RegSetValueExA(key, "overwrite", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&no), sizeof no);
    RegCloseKey(key);
    EXPECT_EQ(profile.GetOtherType("Settings", "overwrite"), "REG_DWORD");
    EXPECT_EQ(profile.GetOtherType("Settings", "ext"), "");
    EXPECT_EQ(profile.GetProfileString("Settings", "overwrite", "yes"), "yes");
    EXPECT_EQ(profile.GetProfileString("Settings", "ext", ""), "ab");
    EXPECT_EQ(profile.GetProfileString("Settings", "postamble", ""), "abc");
#else
    EXPECT_EQ(profile.GetLocation().compare(0, (scratch / "config/").size(), scratch / "config/"), 0);
    // A hand-written file keeps its byte-order mark, comments and unusable lines through a write,
    // and a value of another spelling is replaced, not repeated.
    const CString ini = "\xEF\xBB\xBF; mine\n[settings]\r\n Tag = topic\nbroken\n\n[Other]\nx=1\n";
    WriteBytes(profile.GetLocation(), ini);
    EXPECT_EQ(profile.GetValueNames("SETTINGS"), CStringList{"Tag"});
    EXPECT_TRUE(profile.WriteProfileString("Settings", "tag", "a"));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "attrs", "b"));
    EXPECT_EQ(ReadBytes(profile.GetLocation()),
              "\xEF\xBB\xBF; mine\n[settings]\ntag=a\nbroken\nattrs=b\n\n[Other]\nx=1\n");
    // A profile that cannot be read (a folder; a FIFO, never waited on) is reported and never replaced.
    for (bool fifo : {false, true}) {
        fs::remove(profile.GetLocation());
        fifo ? (void)mkfifo(profile.GetLocation().c_str(), 0600) : (void)fs::create_directory(profile.GetLocation());
        EXPECT_FALSE(profile.WriteProfileString("Settings", "tag", "a"));
        EXPECT_EQ(profile.GetProfileString("Settings", "tag", "topic"), "topic");
        EXPECT_EQ(profile.GetUnusableLines().size(), 1u);
        EXPECT_EQ(fs::status(profile.GetLocation()).type(), fifo ? fs::file_type::fifo : fs::file_type::directory);
    }
#endif
}

} // namespace
