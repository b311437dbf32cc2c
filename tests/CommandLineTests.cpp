// brevix-cli: options, the profile, the log on standard output and the exit status.
#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "platform/IoFaults.h"
#include "platform/ProfileStore.h"

#include <filesystem>
#include <sstream>

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_out);
        WriteBytes(m_source, "<topic title=\"A\">a</topic><section id=\"s\">b</section>");
    }
    void TearDown() override { IoFaults::Reset(); }
    int Cli(CStringList args, const ProfileStore* profile = nullptr) {
        m_stdout.str("");
        m_stderr.str("");
        return RunCommandLine(args, profile != nullptr ? *profile : m_profile, m_stdout, m_stderr);
    }
    CString Out() const { return m_stdout.str(); }
    CString Err() const { return m_stderr.str(); }

    ScratchFolder m_scratch;
    CString m_source = m_scratch / "src.xml";
    CString m_out = m_scratch / "out";
    MemoryProfile m_profile;
    std::ostringstream m_stdout, m_stderr;
};

// {arguments, exit status, a text standard output holds ("": nothing), a text standard error
// holds ("": nothing), the files made}.
TEST_F(CommandLine, StatusOutputAndFilesFollowTheArguments) {
    const CString missing = m_scratch / "nowhere", dash = m_scratch / "-dash.xml";
    WriteBytes(dash, "<topic>d</topic>");
    const struct {
        CStringList args;
        int status;
        CString out, err;
        std::vector<CString> files;
    } cases[] = {
        {{m_source, m_out}, 0,
         "\r\n\r\nsource: " + m_source + "\r\nchunk level tag: topic\r\noutput folder: " + m_out + "\r\n\r\n" + m_out +
             kPathSeparator + "A.xml\r\n", "", {"A.xml"}},
        {{"-t", "topic,section", "--keys=id", "-s", "ext=txt", "--set", "emit_preamble=Yes", "-s", "postamble=\n", "-s",
          "emit_postamble=yes", m_source, m_out}, 0, "chunk level tag: topic,section\r\n", "", {"0001.txt", "s.txt"}},
        {{"-tsection", "-kid", "-sext=sec", m_source, m_out}, 0, "s.sec\r\n", "", {"s.sec"}},
        {{"-q", m_source, m_out}, 0, "", "", {"A.xml"}},
        {{"--quiet", "-t", " , ", m_source, m_out}, 1, "\r\n\r\nchunk level tag is empty\r\n", "", {}},
        {{"", m_out}, 1, "\r\n\r\nsource filename is empty\r\n", "", {}},
        {{m_scratch / "missing.xml", m_out}, 1, "Unable to open file: " + m_scratch / "missing.xml", "", {}},
        {{m_scratch.Path(), m_out}, 1, "Unable to open file: " + m_scratch.Path(), "", {}},
        {{"--", dash, m_out}, 0, "0001.xml\r\n", "", {"0001.xml"}},
        {{"--help"}, 0, "brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER", "", {}},
        {{"--version"}, 0, "brevix-cli 1.4\n", "", {}},
        {{m_source}, 2, "", "expected SOURCE and OUTPUT_FOLDER", {}},
        {{"-x", m_source, m_out}, 2, "", "unknown option -x", {}},
        {{m_source, m_out, "-t"}, 2, "", "option -t needs a value", {}},
        {{"--quiet=yes", m_source, m_out}, 2, "", "option --quiet takes no value", {}},
        {{"-s", "colour=red", m_source, m_out}, 2, "", "'colour=red'", {}},
        {{"-s", "overwrite", m_source, m_out}, 2, "", "'overwrite'", {}},
        {{m_source, missing}, 2, "", "output folder not found: " + missing, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[0] + " " + c.args[1] : c.args[0]);
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
        EXPECT_EQ(Cli(c.args), c.status);
        EXPECT_TRUE(c.out.empty() ? Out().empty() : Out().find(c.out) != CString::npos) << Out();
        EXPECT_TRUE(c.err.empty() ? Err().empty() : Err().find(c.err) != CString::npos) << Err();
        EXPECT_EQ(ListFolder(m_out), c.files);
    }
    Cli(cases[1].args);
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "s.txt"), "<section id=\"s\">b</section>\r\n");
}

TEST_F(CommandLine, StoredProfileIsReadUnlessIgnored) {
    m_profile.WriteProfileString("Settings", "tag", "section");
    m_profile.WriteProfileString("Settings", "attrs", "id");
    m_profile.WriteProfileString("Settings", "ext", "txt");
    EXPECT_EQ(Cli({m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"s.txt"}));
    EXPECT_EQ(Cli({"--no-profile", m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"A.xml", "s.txt"}));
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "A.xml").substr(0, 5), "<?xml");
    EXPECT_EQ(m_profile.Writes().size(), 3u); // never written by the front end
}

TEST_F(CommandLine, FailuresRaisedByTheRunGoToStandardErrorWithStatusOne) {
    const struct {
        IoOp op;
        const char* message;
    } kCases[] = {{IoOp::Read, "An error occurred while reading "},
                  {IoOp::Grow, "not enough memory to read "}}; // a source of over 1 GiB on Windows
    for (const auto& failure : kCases) {
        IoFaults::FailAt(failure.op, 1);
        EXPECT_EQ(Cli({m_source, m_out}), 1);
        EXPECT_EQ(Out(), "");
        EXPECT_NE(Err().find(failure.message), CString::npos) << Err();
        EXPECT_NE(Err().find("src.xml"), CString::npos) << Err();
        EXPECT_TRUE(ListFolder(m_out).empty());
    }
}

#ifndef _WIN32
// The INI file as people write it: {file text, the "ext" value read, the lines reported}.
TEST_F(CommandLine, ProfileLinesAreReadAsPeopleWriteThemAndUnusableOnesReported) {
    const struct {
        CString ini;
        const char* ext;
        std::vector<int> reported;
    } kCases[] = {
        {"[Settings]\next=txt\n", "txt", {}},
        {Bytes("[Settings]\next=t\0xt\n"), "t", {}},
        {"\xEF\xBB\xBF[Settings]\r\next=txt\r\n", "txt", {}},
        {"[ settings ]\n  EXT  =\t txt \n", "txt ", {}},
        {"; a note\n# a note\n\n[Settings]\next=txt\nExt=sec\n", "txt", {6}},
        {"[Other]\next=sec\n[Settings]\n[Other]\next=txt\n", "xml", {5}},
        {"ext=txt\n[Settings]\n", "xml", {1}},
        {"[Settings]\next txt\n=txt\n", "xml", {2, 3}},
        {Bytes("[Settings]\ne\0xt=txt\n"), "xml", {2}},
        {"[Settings\next=txt\n[Settings]\n", "xml", {1, 2}},
    };
    UserProfile profile = ScratchProfile(m_scratch);
    std::filesystem::create_directories(std::filesystem::path(profile.GetLocation()).parent_path());
    for (const auto& each : kCases) {
        SCOPED_TRACE(each.ini);
        WriteBytes(profile.GetLocation(), each.ini);
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
        EXPECT_EQ(Cli({"-q", m_source, m_out}, &profile), 0);
        EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{CString("A.") + each.ext}));
        // One message a line: "brevix-cli: <file>:<line>: ignored, <why>: <text>".
        std::istringstream err(Err());
        size_t count = 0;
        for (CString message; std::getline(err, message); ++count) {
            ASSERT_LT(count, each.reported.size()) << Err();
            CString where = "brevix-cli: " + profile.GetLocation() + ":" +
                            std::to_string(each.reported[count]) + ": ignored, ";
            EXPECT_EQ(message.substr(0, where.size()), where);
        }
        EXPECT_EQ(count, each.reported.size()) << Err();
    }
}
#endif

} // namespace
