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

TEST_F(CommandLine, RunsWithTheFreshDefaultsAndPrintsTheLog) {
    EXPECT_EQ(Cli({m_source, m_out}), 0);
    std::vector<CString> body = LogBody(Out());
    EXPECT_EQ(body, (std::vector<CString>{"source: " + m_source, "chunk level tag: topic",
                                          "output folder: " + m_out, "", m_out + kPathSeparator + "A.xml"}));
    EXPECT_EQ(Out().substr(Out().size() - 2), "\r\n");
    EXPECT_EQ(Err(), "");
}

TEST_F(CommandLine, StoredProfileIsReadUnlessIgnored) {
    m_profile.WriteProfileString("Settings", "tag", "section");
    m_profile.WriteProfileString("Settings", "attrs", "id");
    m_profile.WriteProfileString("Settings", "ext", "txt");
    EXPECT_EQ(Cli({m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"s.txt"}));
    EXPECT_EQ(Cli({"--no-profile", m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"A.xml", "s.txt"}));
    EXPECT_EQ(m_profile.Writes().size(), 3u); // never written by the front end
}

TEST_F(CommandLine, OptionsOverrideForThisRunOnly) {
    EXPECT_EQ(Cli({"-t", "topic,section", "--keys=id", "-s", "ext=txt", "--set", "emit_preamble=Yes", "-s",
                   "postamble=\n", "-s", "emit_postamble=yes", m_source, m_out}),
              0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.txt", "s.txt"}));
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "s.txt"), "<section id=\"s\">b</section>\r\n");
    EXPECT_NE(Out().find("chunk level tag: topic,section\r\n"), CString::npos);
    EXPECT_EQ(Cli({"--no-profile", m_source, m_out}), 0);
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "A.xml").substr(0, 5), "<?xml");
    EXPECT_EQ(Cli({"-tsection", "-kid", "-sext=sec", m_source, m_out}), 0);
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "s.sec").substr(0, 5), "<?xml");
}

TEST_F(CommandLine, QuietPrintsOnlyFailures) {
    EXPECT_EQ(Cli({"-q", m_source, m_out}), 0);
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(Cli({"--quiet", "-t", " , ", m_source, m_out}), 1);
    EXPECT_EQ(LogBody(Out()), (std::vector<CString>{"chunk level tag is empty"}));
}

TEST_F(CommandLine, FailuresInTheRunGiveStatusOne) {
    EXPECT_EQ(Cli({"", m_out}), 1);
    EXPECT_EQ(LogBody(Out()), (std::vector<CString>{"source filename is empty"}));
    EXPECT_EQ(Cli({m_scratch / "missing.xml", m_out}), 1);
    std::filesystem::create_directories(m_out + kPathSeparator + "A.xml");
    EXPECT_EQ(Cli({m_source, m_out}), 1);
    EXPECT_NE(Out().find("Unable to open file: "), CString::npos);
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

// A value stored with a NUL inside ends there: the chunk files are named by the text before it,
// and a run that numbers variants of existing names ends.
TEST_F(CommandLine, ProfileValuesEndAtTheirFirstNul) {
    UserProfile profile = ScratchProfile(m_scratch);
    profile.WriteProfileString("Settings", "prefix", Bytes("p\0q"));
    profile.WriteProfileString("Settings", "emit_prefix", "yes");
    const std::vector<CString> expected = {"p_A.xml", "p_s.xml"};
    ASSERT_EQ(Cli({"-t", "topic section", "-k", "title id", m_source, m_out}, &profile), 0);
    ASSERT_EQ(ListFolder(m_out), expected);
    EXPECT_EQ(LogBody(Out()).back(), m_out + kPathSeparator + "p_s.xml");
    CString fresh = m_scratch / "fresh";
    std::filesystem::create_directories(fresh);
    EXPECT_EQ(Cli({"-t", "topic section", "-k", "title id", "-s", "overwrite=no", m_source, fresh}, &profile),
              0);
    EXPECT_EQ(ListFolder(fresh), expected);
    EXPECT_EQ(Err(), "");
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

TEST_F(CommandLine, UsageErrorsGiveStatusTwoAndNameWhatIsWrong) {
    const CString missing = m_scratch / "nowhere";
    const struct {
        CStringList args;
        CString named;
    } kCases[] = {{{m_source}, "expected SOURCE and OUTPUT_FOLDER"},
                  {{"-x", m_source, m_out}, "unknown option -x"},
                  {{m_source, m_out, "-t"}, "option -t needs a value"},
                  {{"--quiet=yes", m_source, m_out}, "option --quiet takes no value"},
                  {{"-s", "colour=red", m_source, m_out}, "'colour=red'"},
                  {{"-s", "overwrite", m_source, m_out}, "'overwrite'"},
                  {{m_source, missing}, "output folder not found: " + missing}};
    for (const auto& usage : kCases) {
        EXPECT_EQ(Cli(usage.args), 2);
        EXPECT_NE(Err().find(usage.named), CString::npos) << Err();
    }
    EXPECT_TRUE(ListFolder(m_out).empty());
}

TEST_F(CommandLine, HelpVersionAndOperandsAfterDoubleDash) {
    EXPECT_EQ(Cli({"--help"}), 0);
    EXPECT_NE(Out().find("brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER"), CString::npos);
    EXPECT_EQ(Cli({"--version"}), 0);
    EXPECT_EQ(Out(), "brevix-cli 1.4\n");
    WriteBytes(m_scratch / "-dash.xml", "<topic>d</topic>");
    EXPECT_EQ(Cli({"--", m_scratch / "-dash.xml", m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"0001.xml"}));
}

} // namespace
