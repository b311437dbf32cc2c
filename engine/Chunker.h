// Chunker: the engine object of one Process. It splits the key texts, checks its inputs, reads
// the source as a stream, cuts it into chunk files as it goes and keeps the process log of what
// it did. Its memory does not follow the source's size: only a chunk's naming region, and the
// names and paths the run gave out, are held.
#pragma once

#include "ChunkOptions.h"
#include "ChunkWriter.h"
#include "SourceEncoding.h"
#include "SourceScanner.h"
#include "platform/FileSystem.h"
#include "platform/StdioFile.h"
#include "platform/StringTypes.h"
#include "platform/TextOutStream.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// How far a run has come.
struct ChunkProgress {
    uint64_t bytesRead = 0;    // bytes of the source read so far, as stored
    uint64_t sourceBytes = 0;  // the source's size when the run began (0: not known)
    uint64_t filesWritten = 0; // chunk files written complete
};

class Chunker {
public:
    // A Chunker for runs with these options and key texts: the chunk level tag text and the
    // chunk name key text as typed (free text, split at spaces and commas by each run).
    Chunker(const ChunkOptions& options, const CString& levelTagText, const CString& nameKeyText)
        : m_options(options), m_strLevelTagText(levelTagText), m_strNameKeyText(nameKeyText) {}
    virtual ~Chunker() = default;

    // One run: cuts the source into chunk files in outputFolder (expected to exist) and returns
    // the process log. A read or close error of the source throws CFileException (after the
    // chunk files still open, which are incomplete, are removed).
    CString Process(const CString& sourcePath, const CString& outputFolder);

    // Called with the run's progress after each block of the source is read, on the thread that
    // runs Process.
    void SetProgressReport(std::function<void(const ChunkProgress&)> report) { m_report = std::move(report); }
    // A flag that stops a run once set (from a signal handler or another thread): at the next
    // block of the source, or at the next chunk. The chunk files still open are incomplete, so
    // they are removed, each logged with "Removed unfinished file: ", and the log ends with
    // "Process interrupted.". Files already closed are complete and stay.
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    // Hands every log line, with its line end, to sink as it is made, instead of keeping it for the
    // result of Process (which is then empty): a long run's log need not be held. failure is set
    // for a line that reports a failure.
    void SetLogSink(std::function<void(const CString& line, bool failure)> sink) { m_sink = std::move(sink); }
    // Finishes the chunk files (closes each, and moves a replacing file into place) on this many
    // threads of their own (0, the default: on the thread that runs Process), so that a slow
    // close overlaps with the next chunks: from the first file when fromStart is set, else once
    // a run sees closes that are slow (kSlowFinishes in a row), since where closing is quick
    // handing files over costs more than it saves. The log stays the same, line for line: a
    // file's line waits for its finish and every line after it for that one. An interrupt or an
    // error waits for the files in hand before the unfinished ones are removed.
    void SetFinishThreads(size_t threads, bool fromStart = false) {
        m_finishThreads = threads;
        m_bFinishFromStart = fromStart;
    }
    // True when the last run was stopped by the flag.
    bool WasInterrupted() const { return m_bInterrupted; }

    // Appends text and the line end (kLineEnd: CR LF on Windows, LF elsewhere) to the log; without
    // text, an empty line.
    void LogLine(const CString& text = CString());

    // Rebuild the chunk level tag list and the chunk name key list from a list text.
    void SetChunkLevelTags(const CString& text) { SplitKeyText(text, m_levelTags); }
    void SetChunkNameKeys(const CString& text) { SplitKeyText(text, m_nameKeys); }

    // The sanitised value of key in text, read in encoding, or an empty string. Reads no member.
    static CString ReadKeyValue(const CString& text, const CString& key,
                                SourceEncoding encoding = SourceEncoding::Utf8);
    static CString ReadKeyValue(const char* begin, const char* end, const CString& key,
                                SourceEncoding encoding = SourceEncoding::Utf8);

    // True when the last run logged a failure (bad input, no chunk level tag found in the whole
    // source, or a file or folder not made).
    bool HadFailure() const { return m_bFailed; }
    // The files and folders of the last run that failed, by kind, each kind in the order first
    // met: how many, the first one's path and the system's reason for it (empty when unknown).
    // The first four are counted in GetFileFailures; the others are the run's own failures.
    enum class FailureKind {
        SourceNotOpened,
        FileNotOpened,
        FolderNotCreated,
        FileNotWritten,
        BadInput,      // an empty source path or chunk level tag text
        SourceChanged, // the source's length changed while it was read
        NoChunkFound,  // the whole source held no chunk level tag
        UnsupportedEncoding // the source is in UTF-32, or UTF-16 without a byte order mark
    };
    struct FileFailures {
        FailureKind kind;
        size_t count;
        CString firstPath, reason;
    };
    const std::vector<FileFailures>& GetFileFailures() const { return m_failures; }
    // True when the last run read the whole source and found no chunk level tag in it; it then
    // logged "No chunk level tag found: " and the chunk level tag text.
    bool FoundNoChunk() const { return m_bNoChunk; }
    // A tag of the source that differs from a chunk level tag in letter case only, when the run
    // met one before its first chunk (always, when it found none); else empty.
    const CString& GetCaseVariant() const { return m_strCaseVariant; }
    // Why the last run did not cut its source: its encoding (as logged); empty otherwise.
    const CString& GetRefusal() const { return m_strRefusal; }
    // The last run's word on a preamble that declares another encoding than the source's (as
    // logged); empty when there was none.
    const CString& GetEncodingWarning() const { return m_strEncodingWarning; }

    // A chunk file the run finished: the chunk level tag, the chunk's name (its key values, or
    // its number when it had none), the file's path and the source's bytes [begin, end) it holds
    // (less the nested chunks cut out of it). closed is false for a chunk the source ended in.
    struct ChunkRecord {
        CString tag, name, path;
        uint64_t begin, end;
        bool closed;
    };
    // Told of every chunk file as its log line is made (and of the chunks still open at the end).
    void SetChunkReport(std::function<void(const ChunkRecord&)> report) { m_chunkReport = std::move(report); }
    // Told of every failure as it is logged: its kind, the path it concerns (empty for bad input)
    // and the system's reason (for the run's own failures, what went wrong).
    void SetFailureReport(std::function<void(FailureKind, const CString& path, const CString& reason)> report) {
        m_failureReport = std::move(report);
    }

    const CStringList& GetLevelTags() const { return m_levelTags; }

    Chunker(const Chunker&) = delete;
    Chunker& operator=(const Chunker&) = delete;

private:
    class Stages; // the scanner, namer and writer of a run

    // Opens the source; on failure logs "Unable to open file: " and the path.
    bool OpenSource(const CString& path);
    // Closes the source; a close error throws CFileException.
    void CloseSource() { m_source.Close(); }

    // Reads the whole source as a stream and writes every chunk into its file.
    void ReadSource(const CString& outputFolder);
    // The chunks' preamble: the stored one, or the first line of the text.
    CString ReadPreamble(SourceScanner& scanner);
    // How key values are read: the source's encoding by its byte order mark, else by its XML
    // declaration, else UTF-8; ASCII only where file names cannot take other characters. False,
    // with the refusal logged, when the source is neither 8-bit text nor UTF-16 with a byte order
    // mark (UTF-32, or UTF-16 by its first characters or its declaration).
    bool ReadEncoding(SourceScanner& scanner);
    // Logs, once, a preamble whose XML declaration names another encoding than the source's.
    void CheckPreamble(const CString& preamble);

    // The scan: what the scanner finds goes to the writer, by way of the namer for a chunk's start.
    void ScanText(Stages& stages);
    void StartChunk(Stages& stages, const SourceScanner::Event& tag);
    void EndChunk(Stages& stages, const SourceScanner::Event& tag);
    // The chunk name keys' values in the naming region of a chunk of tag whose start tag's name
    // ended at position: none when the region is empty.
    CStringList ReadKeyValues(SourceScanner& scanner, const CString& tag, uint64_t position);
    void FinishStillOpen(Stages& stages);
    void RemoveUnfinished(Stages& stages);
    bool StopIsSet() const { return m_stop != nullptr && m_stop->load(std::memory_order_relaxed); }

    // The log
    static void SplitKeyText(const CString& text, CStringList& list);
    void LogFailure(const CString& text);
    void AddLine(const CString& text, bool failure);
    // Logs the failure of kind at path ("Unable to open file: " and the path, ...) and counts it.
    void LogFileFailure(FailureKind kind, const CString& path, const CString& reason);
    void AddFileFailure(FailureKind kind, const CString& path, const CString& reason);
    void LogFinished(FinishPool& pool, size_t most);
    // Logs text as a failure and tells the failure report of it.
    void LogRunFailure(FailureKind kind, const CString& text, const CString& path, const CString& reason);
    static ChunkRecord RecordOf(const ChunkWriter::ChunkFile& chunk, uint64_t end, bool closed);

    // Member variables
    const ChunkOptions m_options;    // the options of every run
    const CString m_strLevelTagText; // the chunk level tag text as typed
    const CString m_strNameKeyText;  // the chunk name key text as typed
    CString m_strProcessLog;         // lines, each ended by kLineEnd
    CStringList m_levelTags;         // element names at which a chunk begins
    CStringList m_nameKeys;          // element and attribute names that name a chunk file
    SourceEncoding m_nameEncoding = SourceEncoding::Utf8; // how this run reads key values
    Utf16Order m_utf16 = Utf16Order::None; // a UTF-16 source's byte order: read and written as such
    CString m_strSourceEncoding;  // the source's encoding as declared ("UTF-8" when it declares none)
    CString m_strRefusal;         // see GetRefusal
    CString m_strEncodingWarning; // see GetEncodingWarning
    CStdioFile m_source;          // the source file, open during a run
    bool m_bSourceIdentity = false; // m_sourceIdentity holds the open source's identity
    FileIdentity m_sourceIdentity;

    bool m_bFailed = false;                             // this run logged a failure
    bool m_bInterrupted = false;                        // this run was stopped by the flag
    bool m_bChunkFound = false;                         // a chunk started in this run
    bool m_bNoChunk = false;                            // this run read all and started no chunk
    CString m_strCaseVariant;                           // see GetCaseVariant
    std::vector<FileFailures> m_failures;               // see GetFileFailures
    const std::atomic<bool>* m_stop = nullptr;          // the stop flag, when one is given
    std::function<void(const ChunkProgress&)> m_report; // the progress report, when one is given
    std::function<void(const CString&, bool)> m_sink;   // where log lines go, when not kept
    ChunkProgress m_progress;                           // of the current run
    std::function<void(const ChunkRecord&)> m_chunkReport;                         // when one is given
    std::function<void(FailureKind, const CString&, const CString&)> m_failureReport; // when one is given
    size_t m_finishThreads = 0;      // 0: files are finished in turn
    bool m_bFinishFromStart = false; // the pool from a run's first file on
    // Log lines that wait for a file in the pool: a finished file's path, whose line its result
    // decides, or a line made after it.
    struct WaitingLine {
        enum Kind { Line, Failure, FileFailure, Finished } what;
        CString text;       // the line, or the path of a file failure or a finished file
        FailureKind kind;   // of a file failure
        CString reason;     // of a file failure
        ChunkRecord record; // of a finished file, for the chunk report
        WaitingLine(Kind w, CString t, FailureKind k = {}, CString r = {})
            : what(w), text(std::move(t)), kind(k), reason(std::move(r)), record() {}
    };
    std::deque<WaitingLine> m_waiting;
};
