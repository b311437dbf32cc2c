// The engine under failing I/O and hostile input: no crash, the source untouched, every failure
// a log line, and no chunk file reported as written unless it is complete.
#include "TestSupport.h"

#include "engine/FinishPool.h"
#include "platform/FileException.h"
#include "platform/IoFaults.h"

#include <chrono>
#include <thread>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

// A source with nested chunks, two chunk level tags and unique names, so that every chunk's path
// stays the same whichever of its neighbours fails.
CString FaultSource() {
    CString source = "<?xml version=\"1.0\"?>\n<guide>\n";
    for (int i = 0; i < 6; ++i) {
        CString n = std::to_string(i);
        source += "  <topic id=\"t" + n + "\"><title>Topic " + n + "</title>\n    <p>text " + n + "</p>\n";
        source += "    <section><title>Inner " + n + "</title><p>inner</p></section>\n  </topic>\n";
    }
    source += "  <topic><p>no name</p></topic>\n  <topic><title>open at the end</title>\n";
    return source;
}

struct RunResult {
    bool raised = false;
    CString log;
    std::map<CString, CString> files; // every file below the output folder
};

class Robustness : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings("topic section", "title");
        Settings().m_bSubfolders = 1;
        WriteBytes(m_source, FaultSource());
    }
    void TearDown() override {
        IoFaults::Reset();
        IoFaults::SetReadBlockLimit(0);
        IoFaults::HoldCloses(false);
    }

    RunResult RunInto(const CString& out) {
        fs::create_directories(out);
        RunResult result;
        Chunker chunker = NewChunker();
        chunker.SetFinishThreads(4, true); // files are finished beside the run, as where closing is slow
        try {
            result.log = chunker.Process(m_source, out);
        } catch (const CFileException&) {
            result.raised = true;
        }
        result.files = FilesBelow(out);
        return result;
    }

    ScratchFolder m_scratch;
    CString m_source = m_scratch / "src.xml";
};

TEST_F(Robustness, EveryInjectedFailureIsLoggedAndNothingIncompleteIsReported) {
    IoFaults::Reset();
    IoFaults::SetReadBlockLimit(32); // read failures in the middle of the source
    RunResult clean = RunInto(m_scratch / "clean");
    ASSERT_FALSE(clean.raised);
    const IoOp ops[] = {IoOp::Open, IoOp::Write, IoOp::Close, IoOp::CreateFolder, IoOp::Read};
    long counts[5];
    for (int kind = 0; kind < 5; ++kind)
        counts[kind] = IoFaults::Count(ops[kind]);
    std::map<CString, CString> cleanByName; // chunk file name (below the output folder) -> bytes
    for (const auto& [path, bytes] : clean.files)
        cleanByName[path.substr(m_scratch.Path().size() + 6)] = bytes;
    ASSERT_EQ(cleanByName.size(), 14u);
    const char* names[] = {"open", "write", "close", "folder creation", "read"};
    int runs = 0;
    for (int kind = 0; kind < 5; ++kind) {
        for (long n = 1; n <= counts[kind] + 1; ++n) {
            CString out = m_scratch / ("run" + std::to_string(runs++));
            IoFaults::FailAt(ops[kind], n);
            RunResult result = RunInto(out);
            IoFaults::Reset();
            SCOPED_TRACE(std::string("failing ") + names[kind] + " number " + std::to_string(n));

            EXPECT_EQ(ReadBytes(m_source), FaultSource());
            bool sourceFailure = (ops[kind] == IoOp::Read && n <= counts[kind]) ||
                                 (ops[kind] == IoOp::Close && n == counts[kind]);
            EXPECT_EQ(result.raised, sourceFailure);
            if (result.raised) {
                // The chunks written before the source failed stay whole; the ones open then are gone.
                for (const auto& [path, bytes] : result.files)
                    EXPECT_EQ(bytes, cleanByName[path.substr(out.size())]) << path;
                continue;
            }
            int failures = 0;
            for (const CString& line : LogBody(result.log)) {
                if (line.compare(0, 7, "Unable ") == 0) ++failures;
                if (line.compare(0, out.size(), out) != 0) continue;
                // A path logged on its own names a complete chunk file.
                auto clean = cleanByName.find(line.substr(out.size()));
                ASSERT_NE(clean, cleanByName.end()) << line;
                EXPECT_EQ(ReadBytes(line), clean->second) << line;
            }
            bool injected = n <= counts[kind];
            EXPECT_EQ(failures > 0, injected) << result.log;
            for (const auto& file : result.files)
                EXPECT_EQ(file.first.compare(0, out.size(), out), 0) << file.first;
        }
    }
}

// Closes held until the test lets them go: files wait while the first thread is busy, so more
// threads join. Whatever order they finish in, the results come in the order the files were
// handed over, and a failure (a replace whose target is a folder) is the failing file's own.
TEST_F(Robustness, SlowClosesBringMoreFinishThreadsAndResultsStayInOrder) {
    ScratchFolder folder;
    const CString taken = folder / "taken";
    fs::create_directories(taken);
    IoFaults::HoldCloses(true); // the first thread's close holds until every file is handed over
    {
        FinishPool pool(4);
        int files = 0;
        auto add = [&] {
            const int n = files++;
            TextOutStream stream;
            const CString path = folder / ("f" + std::to_string(n));
            ASSERT_EQ(n == 60 ? stream.OpenReplacing(taken, path) : stream.Open(path), OpenResult::Opened);
            stream.Write("text " + std::to_string(n));
            pool.Add(std::move(stream));
        };
        while (files < 120)
            add();
        // Once the first thread is held in a close, the next file finds every thread busy.
        for (int tries = 0; pool.Threads() < 2 && tries < 5000; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            add();
        }
        EXPECT_GT(pool.Threads(), 1u);
        IoFaults::HoldCloses(false);
        for (int i = 0; i < files; ++i) {
            bool ok = false;
            CString reason;
            ASSERT_TRUE(pool.TakeOldest(true, ok, reason));
            EXPECT_EQ(ok, i != 60) << i;
            EXPECT_EQ(reason.empty(), i != 60) << i;
            if (i != 60) {
                EXPECT_EQ(ReadBytes(folder / ("f" + std::to_string(i))), "text " + std::to_string(i));
            }
        }
        EXPECT_EQ(pool.InHand(), 0u);
    }
    EXPECT_FALSE(fs::exists(folder / "f60")); // the failed replace's own file is gone
    EXPECT_TRUE(fs::is_directory(taken));
}

// More open chunks than streams (fewer descriptors here, as the Windows runtime has fewer
// streams), and a long chunk.
TEST_F(Robustness, LimitsOfTheSystemAreLoggedFailures) {
    const int kLevels = 10000;
    CString deep;
    for (int i = 0; i < kLevels; ++i)
        deep.insert(i * 7, "<topic></topic>");
    ResetSettings();
    WriteBytes(m_source, deep);
#ifndef _WIN32
    rlimit before = {};
    getrlimit(RLIMIT_NOFILE, &before);
    rlimit fewer = before;
    fewer.rlim_cur = 1024;
    setrlimit(RLIMIT_NOFILE, &fewer);
#endif
    RunResult result = RunInto(m_scratch / "deep");
#ifndef _WIN32
    setrlimit(RLIMIT_NOFILE, &before);
#endif
    std::vector<CString> body = LogBody(result.log);
    const auto failed = std::count_if(body.begin(), body.end(), [](const CString& line) {
        return line.compare(0, 21, "Unable to open file: ") == 0;
    });
    ASSERT_FALSE(result.raised);
    EXPECT_EQ(body.size(), 4u + kLevels);
    EXPECT_GT(failed, 0);
    EXPECT_EQ(result.files.size(), kLevels - static_cast<size_t>(failed));

    WriteBytes(m_source, "<topic>" + CString(8 << 20, 'x') + "</topic>");
    result = RunInto(m_scratch / "long");
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files.begin()->second.size(), Stored(Settings().GetPreamble()).size() + 7 + (8u << 20) + 8);
}

#ifndef _WIN32
// A source that is a pipe: what a look-ahead reads goes to a temporary file and is read again from
// there (or, with no temporary file to be had, is held), so the run makes the same files as from a
// file, whatever the block boundaries.
TEST_F(Robustness, PipeSourceMakesTheFilesOfTheFile) {
    IoFaults::SetReadBlockLimit(16);
    std::map<CString, CString> fromFile;
    for (const auto& [path, bytes] : RunInto(m_scratch / "file").files)
        fromFile[path.substr(m_scratch.Path().size() + 5)] = bytes;
    m_source = m_scratch / "fifo.xml";
    ASSERT_EQ(mkfifo(m_source.c_str(), 0666), 0);
    for (const char* pipe : {"pipe", "held"}) {
        if (pipe[0] == 'h') IoFaults::FailEvery(IoOp::Spill);
        std::thread writer([&] { WriteBytes(m_source, FaultSource()); });
        RunResult fromPipe = RunInto(m_scratch / pipe);
        writer.join();
        ASSERT_EQ(fromPipe.files.size(), fromFile.size()) << pipe;
        for (const auto& [path, bytes] : fromPipe.files)
            EXPECT_EQ(bytes, fromFile[path.substr(m_scratch.Path().size() + 5)]) << path;
    }
}
#endif

// A source cut short or grown while it is read (the first after a look-ahead found a chunk's end in
// the part that goes): the run ends with what it read, keeps the files it wrote and reports it.
TEST_F(Robustness, SourceThatChangesLengthDuringTheRunIsAFailure) {
    ResetSettings();
    const CString kept = "<topic><title>A</title><topic>", text = kept + CString(10000, 'x') + "</topic></topic>";
    for (size_t length : {kept.size(), text.size() + 100}) {
        WriteBytes(m_source, text); // beyond the stream's buffer
        IoFaults::SetReadBlockLimit(16);
        Chunker chunker = NewChunker();
        chunker.SetProgressReport([&](const ChunkProgress& progress) {
            if (progress.bytesRead == 48) fs::resize_file(m_source, length);
        });
        const CString out = m_scratch / ("changed" + std::to_string(length));
        fs::create_directories(out);
        const std::vector<CString> body = LogBody(chunker.Process(m_source, out));
        EXPECT_TRUE(chunker.HadFailure());
        EXPECT_EQ(body.size(), length < text.size() ? 5u : 7u); // cut short: the chunks not logged as complete
        EXPECT_EQ(body.back(), "Unable to read file: " + m_source + " (the source changed while it was read)");
        EXPECT_EQ(ListFolder(out), (std::vector<CString>{"0001.xml", "A.xml"}));
    }
}

} // namespace
