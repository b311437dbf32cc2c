// brevix-cli: options, the profile, the log on standard output, the status line, an interrupted
// run and the exit status.
#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "cli/HeldLog.h"
#include "cli/ProgressLine.h"
#include "platform/IoFaults.h"
#include "platform/ProfileStore.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_out);
        WriteBytes(m_source, "<topic title=\"A\">a</topic><section id=\"s\">b</section>");
    }
    void TearDown() override { IoFaults::Reset(), IoFaults::SetReadBlockLimit(0); }
    int Cli(CStringList args, const ProfileStore* profile = nullptr, const CliSurroundings& around = {}) {
        m_stdout.str("");
        m_stderr.str("");
        return RunCommandLine(args, profile != nullptr ? *profile : m_profile, m_stdout, m_stderr, around);
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
    const CString missing = m_scratch / "nowhere", dash = m_scratch / "-dash.xml", E = kLineEnd;
    WriteBytes(dash, "<topic>d</topic>");
    // Sources that cannot be cut as 8-bit text, and one whose encoding the default preamble denies.
    const CString u16 = m_scratch / "u16.xml", u32 = m_scratch / "u32.xml", said = m_scratch / "said.xml",
                  latin1 = m_scratch / "latin1.xml";
    WriteBytes(u16, Bytes("\xfe\xff\0<\0t\0o\0p\0i\0c\0>\0a\0<\0/\0t\0o\0p\0i\0c\0>"));
    WriteBytes(u32, Bytes("<\0\0\0t\0\0\0"));
    WriteBytes(said, "<?xml version=\"1.0\" encoding=\"UTF-16\"?><topic>a</topic>");
    WriteBytes(latin1, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<topic title=\"\xe9\">a</topic>");
    const CString unsupported = "Unsupported source encoding: ", useLine1 = "Use line 1 of the source file as the preamble";
    const struct {
        CStringList args;
        int status;
        CString out, err;
        std::vector<CString> files;
    } cases[] = {
        {{m_source, m_out},
         0,
         E + E + "source: " + m_source + E + "chunk level tag: topic" + E + "output folder: " + m_out + E + E +
             m_out + kPathSeparator + "A.xml" + E,
         "",
         {"A.xml"}},
        {{"-t", "topic,section", "--keys=id", "-s", "ext=txt", "--set", "emit_preamble=no", "-s",
          "postamble=\n", "-s", "emit_postamble=yes", m_source, m_out},
         0,
         "chunk level tag: topic,section" + E,
         "",
         {"0001.txt", "s.txt"}},
        {{"-tsection", "-kid", "-sext=sec", m_source, m_out}, 0, "s.sec" + E, "", {"s.sec"}},
        {{"-q", m_source, m_out}, 0, "", "", {"A.xml"}},
        {{"--quiet", "-t", " , ", m_source, m_out}, 1, E + E + "chunk level tag is empty" + E, "", {}},
        {{"", m_out}, 1, E + E + "source filename is empty" + E, "", {}},
        {{"-t", "chapter", m_source, m_out}, 1, E + "No chunk level tag found: chapter" + E,
         "no chunk level tag (chapter) found in " + m_source + "\n", {}},
        {{"-q", "-t", "Topic,x", m_source, m_out}, 1, "No chunk level tag found: Topic,x" + E,
         "(Topic, x) found in " + m_source + "\nbrevix-cli: the source has 'topic';", {}},
        {{m_scratch / "missing.xml", m_out}, 1, "Unable to open file: " + m_scratch / "missing.xml",
         "brevix-cli: 1 source not opened: ", {}},
        {{m_scratch.Path(), m_out}, 1, "Unable to open file: " + m_scratch.Path(), "not opened: ", {}},
        {{"--", dash, m_out}, 0, "0001.xml" + E, "", {"0001.xml"}},
        {{u16, m_out}, 0, "the source UTF-16. " + useLine1, useLine1, {"0001.xml"}},
        {{u32, m_out}, 1, unsupported + "UTF-32 (little-endian)", unsupported, {}},
        {{said, m_out}, 1, unsupported + "UTF-16", unsupported, {}},
        {{latin1, m_out}, 0, "encoding UTF-8, the source iso-8859-1. " + useLine1 + "." + E, useLine1, {"\xc3\xa9.xml"}},
        {{"-suse_line1=yes", latin1, m_out}, 0, m_out, "", {"\xc3\xa9.xml"}},
        {{"--help"}, 0, "brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER", "", {}},
        {{}, 2, "", "Usage: brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER\nCuts SOURCE into one file per chunk in "
                    "OUTPUT_FOLDER.\nTry 'brevix-cli --help'.\n", {}},
        {{m_source, m_source}, 2, "", "output folder is not a folder: " + m_source, {}},
        {{"--version"}, 0, "brevix-cli 1.4\n", "", {}},
        {{m_source}, 2, "", "expected SOURCE and OUTPUT_FOLDER", {}},
        {{"-x", m_source, m_out}, 2, "", "unknown option -x", {}},
        {{m_source, m_out, "-t"}, 2, "", "option -t needs a value", {}},
        {{"--quiet=yes", m_source, m_out}, 2, "", "option --quiet takes no value", {}},
        {{"-s", "colour=red", m_source, m_out}, 2, "", "'colour=red': unknown setting 'colour'\n", {}},
        {{"-s", "overwrte=no", m_source, m_out}, 2, "", "'overwrte' (did you mean 'overwrite'?)", {}},
        {{"-s", "emit_preamble=Yes", m_source, m_out}, 2, "", "emit_preamble is 'yes' or 'no'", {}},
        {{"-s", "ext", m_source, m_out}, 2, "", "expected NAME=VALUE", {}},
        {{m_source, missing}, 2, "", "output folder not found: " + missing, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[0] + " " + c.args[1] : c.args.empty() ? "" : c.args[0]);
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
        EXPECT_EQ(Cli(c.args), c.status);
        EXPECT_TRUE(c.out.empty() ? Out().empty() : Out().find(c.out) != CString::npos) << Out();
        EXPECT_TRUE(c.err.empty() ? Err().empty() : Err().find(c.err) != CString::npos) << Err();
        EXPECT_EQ(ListFolder(m_out), c.files);
    }
    Cli({"--help"});
    std::istringstream help(Out());
    for (CString line; std::getline(help, line);)
        EXPECT_LE(line.size(), 80u) << line;
    Cli(cases[1].args);
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "s.txt"), Stored("<section id=\"s\">b</section>\n"));
}

// A UTF-16 source of either byte order, read whole or in blocks of 3 bytes (pairs of code units
// across them), gives the UTF-8 source's chunk files under the same names, each in UTF-16 with
// one byte order mark, preamble and postamble included; a lone surrogate goes through unchanged.
TEST_F(CommandLine, Utf16SourceGivesTheUtf8SourcesChunksInUtf16) {
    const CString text =
        "<?xml version=\"1.0\"?>\r\n<doc><topic title=\"Caf\xc3\xa9 cr\xc3\xa8me\">\xe6\x97\xa5"
        "\r\nx\xf0\x9f\x98\x80y</topic>\n<topic title=\"x\xf0\x9f\x98\x80y\">\r</topic>"
        "<topic title=\"a\xd9\xa3\">\xed\xb0\x81</topic></doc>";
    const CString u8 = m_scratch / "u8.xml";
    WriteBytes(u8, text);
    for (const char* line1 : {"use_line1=no", "use_line1=yes"}) {
        const CStringList settings = {
            "-q", "-s", line1, "-s", "emit_postamble=yes", "-s", "postamble=\xc3\xa9"};
        CStringList args = settings;
        args.insert(args.end(), {u8, m_out});
        ASSERT_EQ(Cli(args), 0);
        const std::vector<CString> names = ListFolder(m_out);
        ASSERT_EQ(names, (std::vector<CString>{"Caf\xc3\xa9_cr\xc3\xa8me.xml", "a\xd9\xa3.xml", "x_y.xml"}));
        for (bool bigEndian : {false, true})
            for (size_t block : {0, 3}) {
                SCOPED_TRACE(CString(line1) + (bigEndian ? " BE" : " LE") + " block " +
                             std::to_string(block));
                const CString wide = m_scratch / "wide.xml", out = m_scratch / "wide";
                WriteBytes(wide, reference::ToUtf16(text, bigEndian));
                std::filesystem::remove_all(out);
                std::filesystem::create_directories(out);
                IoFaults::SetReadBlockLimit(block);
                args = settings;
                args.insert(args.end(), {wide, out});
                EXPECT_EQ(Cli(args), 0);
                IoFaults::SetReadBlockLimit(0);
                ASSERT_EQ(ListFolder(out), names);
                for (const CString& name : names)
                    EXPECT_EQ(ReadBytes(out + kPathSeparator + name),
                              reference::ToUtf16(ReadBytes(m_out + kPathSeparator + name), bigEndian))
                        << name;
            }
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
    }
}

// A stored flag keeps the stored reading (only "yes" is true), but a flag that is neither "yes"
// nor "no" and a name that is no setting's are named on standard error.
TEST_F(CommandLine, StoredProfileIsReadUnlessIgnoredAndWhatItCannotUseIsNamed) {
    const std::pair<CString, CString> kStored[] = {{"tag", "section"},       {"attrs", "id"},   {"ext", "txt"},
                                                   {"subfolders", "TRUE"}, {"overwrte", "no"}, {"coulour", "red"}};
    for (const auto& [name, value] : kStored)
        m_profile.WriteProfileString("Settings", name, value);
    EXPECT_EQ(Cli({m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"s.txt"}));
    EXPECT_EQ(Err(), "brevix-cli: unknown setting 'overwrte' ignored (did you mean 'overwrite'?)\n"
                     "brevix-cli: unknown setting 'coulour' ignored\n"
                     "brevix-cli: setting 'subfolders' is 'TRUE', which reads as no (a flag is 'yes' or 'no')\n");
    EXPECT_EQ(Cli({"--no-profile", m_source, m_out}), 0);
    EXPECT_EQ(ListFolder(m_out), (std::vector<CString>{"A.xml", "s.txt"}));
    EXPECT_EQ(ReadBytes(m_out + kPathSeparator + "A.xml").substr(0, 5), "<?xml");
    EXPECT_EQ(Err(), "");
    EXPECT_EQ(m_profile.Writes().size(), 6u); // never written by the front end
}

TEST_F(CommandLine, FailuresRaisedByTheRunGoToStandardErrorWithStatusOne) {
    const struct {
        IoOp op;
        const char* message;
    } kCases[] = {{IoOp::Read, "An error occurred while reading "},
                  {IoOp::Grow, "not enough memory to read "}}; // a naming region larger than memory
    for (const auto& failure : kCases) {
        IoFaults::FailAt(failure.op, 1);
        EXPECT_EQ(Cli({m_source, m_out}), 1);
        EXPECT_EQ(Out().find("A.xml"), CString::npos) << Out(); // the log so far, no chunk file
        EXPECT_NE(Err().find(failure.message), CString::npos) << Err();
        EXPECT_NE(Err().find("src.xml"), CString::npos) << Err();
        EXPECT_TRUE(ListFolder(m_out).empty());
    }
}

// A --quiet run's log beyond what it holds in memory comes back whole and in order.
TEST(HeldLog, GivesBackTheWholeLogPastItsMemory) {
    HeldLog held(100);
    CString all;
    for (int i = 0; i < 50; ++i) {
        const CString line = "line " + std::to_string(i) + "\r\n";
        held.Add(line);
        all += line;
    }
    std::ostringstream out;
    held.WriteTo(out);
    EXPECT_EQ(out.str(), all);
}

// {status, milliseconds into the run, final, terminal columns, the bytes drawn}: what is known,
// at most ten redraws a second, a shorter line covering a longer one, cut short of a narrow
// terminal's last column, the final one a summary, never held back and ending the line.
TEST(ProgressLine, RedrawsWhatIsKnownInPlaceAndEndsWithASummary) {
    const struct {
        brevix::Progress progress;
        int ms;
        bool final;
        size_t columns;
        CString drawn;
    } kSteps[] = {
        {{0, 100000000, 0}, 0, false, 0, "\r  0%  0.0 MB/s  0 files  -:-- left"},
        {{25000000, 100000000, 3}, 99, false, 0, ""},
        {{25000000, 100000000, 3}, 2000, false, 80, "\r 25%  12.5 MB/s  3 files  0:06 left"},
        {{3000000, 3603000000, 9}, 3000, false, 0, "\r  0%  1.0 MB/s  9 files  1:00:00 left"},
        {{120, 100, 0}, 5000, false, 0, "\r100%  0.0 MB/s  0 files  0:00 left   "}, // the source grew
        {{15000000, 0, 1}, 6000, false, 0, "\r15.0 MB read  2.5 MB/s  1 file" + CString(7, ' ')}, // size not known
        {{15000000, 0, 1}, 6100, false, 21, "\r15.0 MB read  2.5 MB"},
        {{15000000, 0, 2}, 6201, true, 0, "\r2 files, 15.0 MB in 0:06\n"},
        {{15000000, 0, 1}, 9000, false, 0, ""},
        {{15000000, 0, 1}, 9000, true, 0, ""},
    };
    const ProgressLine::Clock::time_point start;
    ProgressLine line(start);
    for (const auto& step : kSteps)
        EXPECT_EQ(line.Redraw(step.progress, start + std::chrono::milliseconds(step.ms), step.final, step.columns),
                  step.drawn)
            << step.ms;
}

// {options, standard error is a terminal, the line shown}. The line never reaches standard
// output and is ended by one newline.
TEST_F(CommandLine, StatusLineOnStandardErrorWhenAskedOrOnATerminal) {
    const struct {
        CStringList options;
        bool terminal, shown;
    } kCases[] = {
        {{}, false, false},
        {{}, true, true},
        {{"--progress"}, false, true},
        {{"--progress", "--no-progress"}, true, false},
        {{"--no-progress", "--progress"}, false, true},
    };
    const std::regex kLine("(\r100%  [0-9]+\\.[0-9] MB/s  [0-9]+ files?  0:00 left *)+\r1 file, 0\\.0 MB in 0:00 *\n");
    for (const auto& c : kCases) {
        CStringList args = c.options;
        args.insert(args.end(), {m_source, m_out});
        CliSurroundings around;
        around.errIsTerminal = c.terminal;
        EXPECT_EQ(Cli(args, nullptr, around), 0);
        EXPECT_TRUE(c.shown ? std::regex_match(Err(), kLine) : Err().empty()) << Err();
        EXPECT_EQ(Out().find("MB/s"), CString::npos);
    }
}

// Standard output that takes no more once it is closed (a reader that went away).
struct ClosingBuffer : std::stringbuf {
    bool closed = false;
    int sync() override { return closed ? -1 : 0; }
    std::streamsize xsputn(const char* s, std::streamsize n) override { return closed ? 0 : std::stringbuf::xsputn(s, n); }
};

// A run stopped once two files are written, in the middle of the source, by the flag or by its
// standard output closing, while closes of other files are in flight beside it (on the finish
// threads from the first file): the files it finished stay whole, the one still open is removed; the
// flag's log is printed even with --quiet, names the removed file and ends so, with exit status
// 130; a closed output is a message on standard error and exit status 1, also when it is found
// closed only by the last flush.
TEST_F(CommandLine, StoppedRunKeepsWholeFilesOnly) {
    auto chunk = [](int i) {
        return "<topic title=\"c" + std::to_string(i) + "\">" + CString(60, 'a' + i % 26) + "</topic>";
    };
    CString text = "<topic title=\"outer\">";
    for (int i = 0; i < 40000; ++i)
        text += chunk(i);
    WriteBytes(m_source, text + "</topic>");
    IoFaults::SetReadBlockLimit(4096);
    const CString E = kLineEnd;
    for (bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "output closed" : "stop flag");
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
        std::atomic<bool> stop{false};
        ClosingBuffer buffer;
        std::ostream out(&buffer);
        CliSurroundings around;
        around.finishFromStart = true;
        around.stop = &stop;
        around.progressSeen = [&](const brevix::Progress& p) {
            if (p.filesWritten < 2 || p.bytesRead >= p.sourceBytes) return;
            if (closing) buffer.closed = true; else stop = true;
        };
        CStringList args = {"-s", "emit_preamble=no", m_source, m_out};
        if (!closing) args.insert(args.begin(), "-q");
        EXPECT_EQ(RunCommandLine(args, m_profile, out, m_stderr, around), closing ? 1 : 130);
        const CString log = buffer.str();
        if (closing) {
            EXPECT_NE(Err().find("brevix-cli: cannot write to standard output"), CString::npos) << Err();
        } else {
            const CString end = E + "Process interrupted." + E;
            EXPECT_EQ(log.substr(log.size() - std::min(log.size(), end.size())), end);
            EXPECT_NE(log.find("Removed unfinished file: " + m_out + kPathSeparator + "outer.xml" + E), CString::npos);
        }
        std::vector<CString> files = ListFolder(m_out);
        EXPECT_GE(files.size(), 2u);
        for (const CString& name : files) {
            ASSERT_EQ(name[0], 'c') << name;
            EXPECT_EQ(ReadBytes(m_out + kPathSeparator + name), chunk(std::stoi(name.substr(1))));
            EXPECT_TRUE(closing || log.find(m_out + kPathSeparator + name + E) != CString::npos) << name;
        }
    }
    // With --quiet nothing is written until the end, where the output's last flush fails.
    ClosingBuffer closed;
    closed.closed = true;
    std::ostream out(&closed);
    std::filesystem::create_directories(m_scratch / "late");
    WriteBytes(m_source, chunk(0));
    EXPECT_EQ(RunCommandLine({"-q", m_source, m_scratch / "late"}, m_profile, out, m_stderr, {}), 1);
}

// With --json, standard output holds only records: each chunk file's holds the preamble, the
// source's bytes of its range less the nested chunks' ranges, and the postamble (a chunk the
// source ended in: none); every file has its record; failures are named; the summary is last.
TEST_F(CommandLine, JsonRecordsMatchTheChunkFilesAndTheSourceBytes) {
    const CString source = "<doc><topic title=\"A\">a<b>\xc3\xa9</b><note>n1</note>x<topic>b</topic>y</topic>"
                           "<topic title=\"C\">c</topic><note>n2<topic title=\"E\">e</note></topic> <topic title=\"D\">d";
    WriteBytes(m_source, source);
    const CString text = reference::ReadAsText(source); // what the offsets count (Windows: the text-mode text)
    const CString topic = m_out + kPathSeparator + "topic" + kPathSeparator;
    std::filesystem::create_directories(topic + "C.xml"); // a chunk file not opened
    CliSurroundings around;
    around.finishFromStart = true; // the records of files closed on the finish threads
    EXPECT_EQ(Cli({"--json", "-t", "topic note", "-s", "subfolders=yes", "-s", "emit_postamble=yes", "-s",
                   "postamble=<!-- end -->", m_source, m_out},
                  nullptr, around),
              1);
    std::vector<nlohmann::json> records;
    std::istringstream lines(Out());
    for (CString line; std::getline(lines, line);)
        records.push_back(nlohmann::json::parse(line)); // throws on anything but one record a line
    ASSERT_GE(records.size(), 2u);
    const nlohmann::json summary = records.back();
    records.pop_back();
    EXPECT_EQ(summary["type"], "summary");
    EXPECT_EQ(summary["status"], "failures-logged");
    EXPECT_EQ(summary["exit"], 1);
    EXPECT_EQ(summary["source_bytes"], source.size());
    std::vector<CString> listed, failed;
    uint64_t closed = 0;
    for (const nlohmann::json& r : records) {
        SCOPED_TRACE(r.dump());
        const CString path = r["path"];
        if (r["type"] == "failure") {
            EXPECT_EQ(r["kind"], "file-not-opened");
            failed.push_back(path);
            continue;
        }
        ASSERT_EQ(r["type"], "chunk");
        const uint64_t begin = r["begin"], end = r["end"];
        ASSERT_LE(begin, end);
        ASSERT_LE(end, text.size());
        const CString tag = r["tag"];
        EXPECT_EQ(text.substr(begin, tag.size() + 2), "<" + tag + (text[begin + tag.size() + 1] == ' ' ? " " : ">"));
        EXPECT_EQ(FolderOf(path, false), m_out + kPathSeparator + tag);
        EXPECT_EQ(GetFileNameOf(path), r["name"].get<CString>() + ".xml");
        CString expected;
        for (uint64_t at = begin; at < end;) { // the nested chunks' ranges are cut out
            auto nested = std::find_if(records.begin(), records.end(), [&](const nlohmann::json& n) {
                return n["type"] == "chunk" && n["begin"] == at && n["path"] != path;
            });
            const bool skip = at != begin && nested != records.end();
            if (!skip) expected += text[at];
            at = skip ? (*nested)["end"].get<uint64_t>() : at + 1;
        }
        closed += r["closed"].get<bool>();
        EXPECT_EQ(ReadBytes(path),
                  Stored(kDefaultPreamble + expected + (r["closed"].get<bool>() ? "<!-- end -->" : "")));
        listed.push_back(GetFileNameOf(FolderOf(path, false)) + kPathSeparator + GetFileNameOf(path));
    }
    std::sort(listed.begin(), listed.end());
    const CString note = CString("note") + kPathSeparator, inTopic = CString("topic") + kPathSeparator;
    EXPECT_EQ(listed, (std::vector<CString>{note + "0001.xml", note + "E.xml", inTopic + "0002.xml",
                                            inTopic + "0003.xml", inTopic + "A.xml", inTopic + "E.xml"}));
    EXPECT_EQ(failed, std::vector<CString>{topic + "C.xml"});
    EXPECT_EQ(summary["files"], closed);
    EXPECT_EQ(closed, 5u);
}

#ifndef _WIN32
// brevix-cli closes its chunk files on threads beside the run (here from the first). One chunk's text reaches the disk
// only at its close, past the file size allowed: that close fails, and its own path is logged as
// not written, in its place among the others, and named on standard error; the exit status is 1.
TEST_F(CommandLine, CloseThatFailsBesideTheRunIsLoggedForItsPath) {
    CString text, lines;
    const CString big = m_out + kPathSeparator + "c200.xml";
    for (int i = 0; i < 300; ++i) {
        text += "<topic title=\"c" + std::to_string(i) + "\">" + CString(i == 200 ? 3000 : 9, 'x') + "</topic>";
        lines += (i == 200 ? "Unable to write file: " : "") + m_out + kPathSeparator + "c" + std::to_string(i) +
                 ".xml" + kLineEnd;
    }
    WriteBytes(m_source, text);
    rlimit before = {};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 2000;
    auto* const handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    CliSurroundings around;
    around.finishFromStart = true;
    const int status = Cli({"-s", "emit_preamble=no", m_source, m_out}, nullptr, around);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(status, 1);
    EXPECT_NE(Out().find(CString(kLineEnd) + kLineEnd + lines), CString::npos) << Out();
    EXPECT_EQ(Err(), "brevix-cli: 1 chunk file not written: " + CString(std::strerror(EFBIG)) + " (" + big + ")\n");
}

// A folder the run cannot write to (immutable for root, which file modes do not stop): the log's
// lines as they are, then on standard error each kind of failure with its count, the system's
// reason and its first path. The folder is always made writable again.
TEST_F(CommandLine, FailuresEndWithTheirCountReasonAndFirstPath) {
    const bool root = geteuid() == 0;
    const CString quoted = "'" + m_out + "'";
    if (root && std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no chattr +i here";
    if (!root) std::filesystem::permissions(m_out, std::filesystem::perms::owner_exec | std::filesystem::perms::owner_read);
    struct Undo {
        CString command;
        ~Undo() { EXPECT_EQ(std::system(command.c_str()), 0); }
    } undo{root ? "chattr -i " + quoted : "chmod 700 " + quoted};
    const CString denied = std::strerror(root ? EPERM : EACCES), out = m_out + kPathSeparator;
    EXPECT_EQ(Cli({"-t", "topic section", "-k", "title id", "-s", "subfolders=yes", m_source, m_out}), 1);
    EXPECT_NE(Out().find("Unable to create sub-folder: " + out + "topic\n\nUnable to open file: " + out + "topic/A.xml\n"),
              CString::npos) << Out();
    EXPECT_EQ(Err(), "brevix-cli: 2 sub-folders not created: " + denied + " (the first: " + out + "topic)\n" +
                         "brevix-cli: 2 chunk files not opened: " + std::strerror(ENOENT) + " (the first: " + out +
                         "topic/A.xml)\n");
    EXPECT_EQ(Cli({"-q", m_source, m_out}), 1);
    EXPECT_EQ(Err(), "brevix-cli: 1 chunk file not opened: " + denied + " (" + out + "A.xml)\n");
}

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
        {"[ settings ]\n  EXT  =\t txt \t\n", "txt", {}},
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
