// Brevix: the engine's public face. One run cuts an XML text file into one file per chunk and tells
// what it does through callbacks; how it ended is a status, never an exception. Only standard
// types appear here; the engine's own headers are not part of this face.
//
// Threads: a run happens on the thread that calls Run, and every callback is called on that
// thread, in the order of the events. Only the stop flag may be touched from elsewhere (another
// thread or a signal handler). Separate runs on separate threads share nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brevix {

// The options of a run and its two key texts. Options() is all empty and false; Defaults() holds
// what a fresh profile holds, with empty key texts.
struct Options {
    bool m_bOverwrite{};       // replace an earlier run's chunk file; false: number anew
    bool m_bSubfolders{};      // a sub-folder per chunk level tag
    bool m_bEmitPrefix{};      // give chunk file names a prefix
    bool m_bUseSource{};       // the prefix is the source's file name, dots as "_"
    std::string m_strPrefix;   // the prefix text, taken as typed
    bool m_bAppendTagname{};   // add the chunk level tag to the prefix
    std::string m_strExt;      // the chunk files' extension, without the dot
    bool m_bEmitPreamble{};    // begin every chunk file with the preamble
    bool m_bUseLine1{};        // the preamble is line 1 of the source
    std::string m_strPreamble; // the preamble text
    bool m_bEmitPostamble{};   // end every chunk file with the postamble
    std::string m_strPostamble;

    std::size_t finishThreads = 0; // threads that finish (close) chunk files beside the run; 0: none
    bool finishFromStart = false;  // they take the files from the first on, not once closes are slow

    std::string levelTagText; // chunk level tags as typed: names split at spaces and commas
    std::string nameKeyText;  // chunk name keys as typed, split alike

    static Options Defaults();
};

// A chunk file the run finished: its chunk level tag, its name (the chunk's key values joined
// by "_", or its number when it had none), its path, and the source's bytes [begin, end) it copied,
// from the "<" of its start tag to the ">" of its closing tag, less the nested chunks cut out of
// it. A file holds the preamble, those bytes and the postamble. The offsets count the source's
// text as the run reads it: its bytes, or in the Windows build its text-mode text (CR LF as LF, up
// to a Ctrl-Z, an LF after a last line without one), or a UTF-16 source's text as UTF-8. closed is false for a chunk still open where
// the source ended: it holds what it had.
struct ChunkWritten {
    std::string tag, name, path;
    std::uint64_t begin = 0, end = 0;
    bool closed = true;
};

// What failed. The run goes on after a chunk file or sub-folder failure; the others end it.
enum class FailureKind {
    SourceNotOpened,    // "Unable to open file: " and the source
    FileNotOpened,      // "Unable to open file: " and a chunk file
    FolderNotCreated,   // "Unable to create sub-folder: "
    FileNotWritten,     // "Unable to write file: " (its text is incomplete)
    BadInput,           // an empty source path or chunk level tag text
    SourceChanged,      // the source's length changed while it was read
    NoChunkFound,       // the whole source held no chunk level tag
    UnsupportedEncoding // "Unsupported source encoding: ": the source is in UTF-32 or UTF-16 without a BOM
};
// The stable lower-case name of a kind ("file-not-opened", ...), as brevix-cli --json writes it.
const char* FailureKindName(FailureKind kind);

struct Failure {
    FailureKind kind;
    std::string path;   // the file or folder (the source for the run's own failures; empty for bad input)
    std::string reason; // the system's reason (strerror, FormatMessage), or what went wrong
};

struct Progress {
    std::uint64_t bytesRead = 0;    // bytes of the source read so far, as stored
    std::uint64_t sourceBytes = 0;  // the source's size when the run began (0: not known)
    std::uint64_t filesWritten = 0; // chunk files written complete
};

// Each callback is optional.
struct Events {
    // Every line of the process log, with its line end, as it is made; failure is set for a line
    // that reports one. Without it the log is kept and returned in Result::log.
    std::function<void(const std::string& line, bool failure)> log;
    std::function<void(const ChunkWritten&)> chunkWritten;
    std::function<void(const Failure&)> failure;
    // After each block of the source is read.
    std::function<void(const Progress&)> progress;
};

enum class Status {
    Done,             // the run ended and logged no failure
    FailuresLogged,   // the run ended; some chunk file, sub-folder or input failed (see failures)
    Interrupted,      // the stop flag stopped it: the unfinished chunk files were removed
    SourceUnreadable, // a read or close error of the source ended it (unfinished files removed)
    OutOfMemory       // a naming region did not fit in memory
};

// How many failures of one file kind, the first one's path and its reason.
struct FailureCount {
    FailureKind kind;
    std::uint64_t count = 0;
    std::string firstPath, reason;
};

struct Result {
    Status status = Status::Done;
    std::string message;                    // for SourceUnreadable and OutOfMemory: what happened
    std::string log;                        // the process log, when Events::log was not given
    Progress progress;                      // where the run came to
    std::uint64_t failuresLogged = 0;       // failure lines in the log
    std::vector<FailureCount> fileFailures; // by file kind, each in the order first met
    bool noChunkFound = false;              // the whole source was read and held no chunk level tag
    std::string refusal;         // why the source was not cut (its encoding), as logged; else empty
    std::string encodingWarning; // the log's word on a preamble that declares another encoding
    std::string caseVariant;     // a tag of the source that differs from a chunk level tag in case only
};

// The list a key text stands for: split at spaces and commas, no name empty.
std::vector<std::string> SplitKeyText(const std::string& text);

// One run: cuts sourcePath into chunk files in outputFolder (expected to exist). stop, when given,
// stops the run once set: at the next block of the source, or at the next chunk.
Result Run(const std::string& sourcePath, const std::string& outputFolder, const Options& options,
           const Events& events = Events(), const std::atomic<bool>* stop = nullptr);

} // namespace brevix
