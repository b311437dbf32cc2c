#include "CommandLine.h"

#include "Console.h"
#include "HeldLog.h"
#include "ProgressLine.h"

#include "BrevixVersion.h"
#include "engine/Brevix.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "settings/SettingsRecord.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

const char kUsageLine[] = "Usage: brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER\n";
const char kUsage[] =
    "Cuts the XML text file SOURCE into one file per chunk in OUTPUT_FOLDER and\n"
    "prints the process log.\n"
    "\n"
    "Options:\n"
    "  -t, --tags TEXT        chunk level tag text (default: the stored \"tag\", at\n"
    "                         first \"topic\")\n"
    "  -k, --keys TEXT        chunk name key text (default: the stored \"attrs\", at\n"
    "                         first \"title\")\n"
    "  -s, --set NAME=VALUE   an option for this run only, by its profile value name\n"
    "                         (below); a flag is yes or no\n"
    "      --no-profile       ignore the stored profile and start from the defaults\n"
    "  -q, --quiet            print nothing when the run logged no failure and was\n"
    "                         not interrupted\n"
    "      --json             print JSON Lines instead of the log (see below)\n"
    "      --progress         show a status line on standard error (default: when\n"
    "                         it is a terminal)\n"
    "      --no-progress      show no status line\n";
const char kUsageEnd[] =
    "      --version          show the version\n"
    "\n"
    "Settings (NAME for -s, with its default):\n";

const char kJsonHelp[] =
    "\n"
    "With --json, standard output holds one JSON object per line instead of the log.\n"
    "A chunk file written:\n"
    "  {\"type\":\"chunk\",\"path\":P,\"tag\":T,\"name\":N,\"begin\":B,\"end\":E,\"closed\":C}\n"
    "with its chunk level tag, its name (its key values, or its number) and the\n"
    "source's bytes B up to E (E not included) that it copied, from the \"<\" of its\n"
    "start tag to the \">\" of its closing tag, less the nested chunks (each has a file\n"
    "and a record of its own); C is false for a chunk still open where the source\n"
    "ended. On Windows B and E count the source's text-mode text (CR LF as one).\n"
    "A failure:\n"
    "  {\"type\":\"failure\",\"kind\":K,\"path\":P,\"reason\":R}\n"
    "K is source-not-opened, file-not-opened, folder-not-created, file-not-written,\n"
    "bad-input, source-changed, no-chunk-found or unsupported-encoding; R is the\n"
    "system's reason. Last, the summary:\n"
    "  {\"type\":\"summary\",\"status\":S,\"exit\":X,\"files\":F,\"failures\":N,\n"
    "   \"bytes_read\":R,\"source_bytes\":L,\"message\":M}\n"
    "S is done, failures-logged, interrupted, source-unreadable or out-of-memory, X\n"
    "the exit status, F the chunk files written complete, N the failures logged.\n"
    "Texts are UTF-8; a byte that is not part of valid UTF-8 is written as U+FFFD.\n";

const char kVersion[] = "brevix-cli " BREVIX_VERSION_TEXT "\n";

// Threads that finish chunk files beside the run: with closes of 1 ms each (an on-access scanner,
// a network share) a run then waits an eighth of the time for them.
constexpr size_t kFinishThreads = 8;

// What the arguments ask for.
struct Arguments {
    bool help = false, version = false;
    bool tagsGiven = false, keysGiven = false, noProfile = false, quiet = false, json = false;
    int progress = -1; // 1 --progress, 0 --no-progress, whichever came last; -1 neither
    CString tags, keys;
    CStringList sets; // NAME=VALUE, in order
    CStringList operands;
};

// Stores one NAME=VALUE into the options; on a usage error returns false with message set.
bool ApplySetting(ChunkOptions& options, const CString& assignment, CString& message) {
    size_t equals = assignment.find('=');
    if (equals == CString::npos) {
        message = "-s '" + assignment + "': expected NAME=VALUE";
        return false;
    }
    const CString name = assignment.substr(0, equals), value = assignment.substr(equals + 1);
    if (IsFlagOption(name) && value != "yes" && value != "no") {
        message = "-s '" + assignment + "': " + name + " is 'yes' or 'no'";
        return false;
    }
    if (SetOptionByName(options, name, value)) return true;
    const CString closest = ClosestOptionName(name, false);
    message = "-s '" + assignment + "': unknown setting '" + name + "'" +
              (closest.empty() ? CString() : " (did you mean '" + closest + "'?)");
    return false;
}

// The whole help text: the usage, every option of the table, the exit statuses.
CString HelpText() {
    CString help = "  -h, --help" + (kHelpSwitch[0] != '\0' ? ", " + CString(kHelpSwitch) : CString());
    help.resize(25, ' ');
    return kUsageLine + (kUsage + help) + "show this help\n" + kUsageEnd + DescribeOptions(2, 25) +
           "\n"
           "Exit status: 0 done, 1 a failure was logged (no chunk level tag found included),\n"
           "the source could not be read or the log could not be written, 2 a usage error or\n"
           "a missing output folder, 130 interrupted: the chunk files still open are removed\n"
           "and the log is printed even with --quiet.\n"
           "Interrupts: " +
           kStopKeys + ".\n" + kJsonHelp;
}

// Reads args into arguments; on a usage error returns false with message set.
bool ReadArguments(const CStringList& args, Arguments& arguments, CString& message) {
    bool operandsOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const CString& arg = args[i];
        if (!operandsOnly && kHelpSwitch[0] != '\0' && arg == kHelpSwitch) {
            arguments.help = true;
            continue;
        }
        if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
            arguments.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }
        // Options that take a value: "-t TEXT", "-tTEXT", "--tags TEXT" or "--tags=TEXT".
        CString option = arg, value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != CString::npos) {
            option = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        } else if (arg[1] != '-' && arg.size() > 2 && CString("tks").find(arg[1]) != CString::npos) {
            option = arg.substr(0, 2);
            value = arg.substr(2);
            inlineValue = true;
        }
        CString* target = nullptr;
        if (option == "-t" || option == "--tags")
            target = &arguments.tags, arguments.tagsGiven = true;
        else if (option == "-k" || option == "--keys")
            target = &arguments.keys, arguments.keysGiven = true;
        else if (option == "-s" || option == "--set")
            arguments.sets.emplace_back(), target = &arguments.sets.back();
        if (target != nullptr) {
            if (!inlineValue) {
                if (i + 1 == args.size()) {
                    message = "option " + option + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            *target = value;
            continue;
        }
        if (inlineValue) {
            message = "option " + option + " takes no value";
            return false;
        }
        if (arg == "--no-profile")
            arguments.noProfile = true;
        else if (arg == "--json")
            arguments.json = true;
        else if (arg == "-q" || arg == "--quiet")
            arguments.quiet = true;
        else if (arg == "--progress" || arg == "--no-progress")
            arguments.progress = arg == "--progress";
        else if (arg == "-h" || arg == "--help")
            arguments.help = true;
        else if (arg == "--version")
            arguments.version = true;
        else {
            message = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

// Flushes out and returns status, or a message on err and kCliFailed when anything written to
// out was lost (a full disk, a closed descriptor). errno is cleared before the writes.
int Deliver(std::ostream& out, std::ostream& err, int status) {
    if (out.flush()) return status;
    err << "brevix-cli: cannot write to standard output";
    if (errno != 0) err << ": " << std::strerror(errno);
    err << "\n";
    return kCliFailed;
}

// Keeps the status line on err during a run, from the run's progress reports.
class ProgressDisplay {
public:
    ProgressDisplay(std::ostream& err, std::function<size_t()> columns)
        : m_err(err), m_columns(std::move(columns)), m_line(ProgressLine::Clock::now()) {}
    void Report(const brevix::Progress& progress) {
        m_last = progress;
        Write(m_line.Redraw(progress, ProgressLine::Clock::now(), false, Columns()));
    }
    // Blanks the line, so that a log line written to the same terminal starts on an empty one.
    void Erase() { Write(m_line.Erase()); }
    // Redraws the line a last time and ends it, when one was drawn.
    void Finish() {
        if (m_line.IsOpen()) Write(m_line.Redraw(m_last, ProgressLine::Clock::now(), true, Columns()));
    }

private:
    size_t Columns() const { return m_columns ? m_columns() : 0; }
    void Write(const CString& text) {
        if (!text.empty()) m_err.write(text.data(), static_cast<std::streamsize>(text.size())).flush();
    }
    std::ostream& m_err;
    std::function<size_t()> m_columns; // the terminal's width now (none: no limit)
    ProgressLine m_line;
    brevix::Progress m_last;
};

// How a count of files that failed in one way reads ("3 chunk files not opened"); none for a kind
// of failure that is not counted by file.
const char* FilesFailed(brevix::FailureKind kind, bool several) {
    using Kind = brevix::FailureKind;
    switch (kind) {
    case Kind::SourceNotOpened: return "source not opened";
    case Kind::FileNotOpened: return several ? "chunk files not opened" : "chunk file not opened";
    case Kind::FolderNotCreated: return several ? "sub-folders not created" : "sub-folder not created";
    case Kind::FileNotWritten: return several ? "chunk files not written" : "chunk file not written";
    case Kind::BadInput:
    case Kind::SourceChanged:
    case Kind::NoChunkFound:
    case Kind::UnsupportedEncoding: break;
    }
    return nullptr;
}

// Tells err what a run's log does not say by itself: how many files failed of each kind and the
// system's reason, that it cut nothing, and why that may be.
void ReportOutcome(const brevix::Result& result, const CString& tagText, const CString& source, std::ostream& err) {
    for (const brevix::FailureCount& each : result.fileFailures) {
        const char* const what = FilesFailed(each.kind, each.count > 1);
        if (what == nullptr) continue;
        err << "brevix-cli: " << each.count << " " << what;
        if (!each.reason.empty()) err << ": " << each.reason;
        err << " (" << (each.count > 1 ? "the first: " : "") << each.firstPath << ")\n";
    }
    if (result.noChunkFound) {
        CString tags;
        for (const CString& tag : brevix::SplitKeyText(tagText))
            tags += (tags.empty() ? "" : ", ") + tag;
        err << "brevix-cli: no chunk level tag (" << tags << ") found in " << source << "\n";
        if (!result.caseVariant.empty())
            err << "brevix-cli: the source has '" << result.caseVariant
                << "'; tags match in letter case exactly\n";
    }
}

// One JSON Lines record.
CString JsonLine(const nlohmann::ordered_json& record) {
    return record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

nlohmann::ordered_json ChunkRecord(const brevix::ChunkWritten& chunk) {
    return {{"type", "chunk"}, {"path", chunk.path},   {"tag", chunk.tag},      {"name", chunk.name},
            {"begin", chunk.begin}, {"end", chunk.end}, {"closed", chunk.closed}};
}

nlohmann::ordered_json FailureRecord(const brevix::Failure& failure) {
    return {{"type", "failure"},
            {"kind", brevix::FailureKindName(failure.kind)},
            {"path", failure.path},
            {"reason", failure.reason}};
}

// A status the compiler sees every one of (a new one without its name is a warning).
const char* StatusName(brevix::Status status) {
    switch (status) {
    case brevix::Status::Done: return "done";
    case brevix::Status::FailuresLogged: return "failures-logged";
    case brevix::Status::Interrupted: return "interrupted";
    case brevix::Status::SourceUnreadable: return "source-unreadable";
    case brevix::Status::OutOfMemory: return "out-of-memory";
    }
    return "unknown";
}

nlohmann::ordered_json SummaryRecord(const brevix::Result& result, int exitStatus) {
    return {{"type", "summary"},
            {"status", StatusName(result.status)},
            {"exit", exitStatus},
            {"files", result.progress.filesWritten},
            {"failures", result.failuresLogged},
            {"bytes_read", result.progress.bytesRead},
            {"source_bytes", result.progress.sourceBytes},
            {"message", result.message}};
}

// The arguments as a plain struct: false after a usage error, written to err. Help and version
// need no operands; otherwise there are two, SOURCE and OUTPUT_FOLDER.
bool ParseCommandLine(const CStringList& args, Arguments& arguments, std::ostream& err) {
    CString message;
    if (!ReadArguments(args, arguments, message)) {
        err << "brevix-cli: " << message << "\n"
            << "Try 'brevix-cli --help'.\n";
        return false;
    }
    if (arguments.help || arguments.version) return true;
    if (args.empty()) {
        err << kUsageLine << "Cuts SOURCE into one file per chunk in OUTPUT_FOLDER.\nTry 'brevix-cli --help'.\n";
        return false;
    }
    if (arguments.operands.size() != 2) {
        err << "brevix-cli: expected SOURCE and OUTPUT_FOLDER\nTry 'brevix-cli --help'.\n";
        return false;
    }
    return true;
}

// The run's options: the stored profile's (unless --no-profile; what in it cannot be used is
// named on err), then each -s in turn, and -t and -k over the stored key texts. False after a
// usage error in an -s, written to err.
bool SettleOptions(const Arguments& arguments, const ProfileStore& profile, std::ostream& err,
                   brevix::Options& runOptions) {
    SettingsRecord settings;
    if (arguments.noProfile) {
        settings.LoadSettings(MemoryProfile());
    } else {
        settings.LoadSettings(profile);
        for (const CString& unusable : profile.GetUnusableLines())
            err << "brevix-cli: " << unusable << "\n";
        const CString where = profile.GetLocation();
        for (const CString& unusable : CheckStoredSettings(profile))
            err << "brevix-cli: " << (where.empty() ? "" : where + ": ") << unusable << "\n";
    }
    for (const CString& assignment : arguments.sets) {
        CString message;
        if (!ApplySetting(settings, assignment, message)) {
            err << "brevix-cli: " << message << "\n"
                << "Try 'brevix-cli --help'.\n";
            return false;
        }
    }
    runOptions = ToPublicOptions(settings);
    runOptions.levelTagText = arguments.tagsGiven ? arguments.tags : settings.m_strLevelTags;
    runOptions.nameKeyText = arguments.keysGiven ? arguments.keys : settings.m_strNameKeys;
    return true;
}

// Runs one Process of SOURCE into OUTPUT_FOLDER (which must exist) with runOptions: the log or
// the records on out, the status line and the messages on err; returns the exit status.
int RunProcess(const Arguments& arguments, brevix::Options runOptions, std::ostream& out, std::ostream& err,
               const CliSurroundings& surroundings) {
    const CString& source = arguments.operands[0];
    const CString& folder = arguments.operands[1];
    if (!FolderExists(folder)) {
        err << "brevix-cli: output folder " << (FindExists(folder) ? "is not a folder: " : "not found: ") << folder
            << "\n";
        return kCliUsage;
    }

    runOptions.finishThreads = kFinishThreads;
    runOptions.finishFromStart = surroundings.finishFromStart;
    std::unique_ptr<ProgressDisplay> progress;
    if (arguments.progress == 1 || (arguments.progress == -1 && surroundings.errIsTerminal))
        progress = std::make_unique<ProgressDisplay>(err, surroundings.columns);
    std::unique_ptr<StopSignals> signals;
    if (surroundings.catchSignals) signals = std::make_unique<StopSignals>();
    std::atomic<bool> ownStop{false};
    std::atomic<bool>& stop = signals ? signals->Flag() : surroundings.stop ? *surroundings.stop : ownStop;
    // The log (or with --json, the records) goes out as the run makes it, or, when --quiet may hold
    // the log back, aside, so that a long run's log is not held in memory. What out buffers reaches
    // it at every failure, after each block and at least every 100 ms (from a source of unknown
    // length, a pipe whose next block may be long in coming, at every line), so that a killed run
    // loses little of it; once out fails, the run stops.
    HeldLog held;
    bool pending = false, lost = false, streaming = false;
    int lostError = 0;
    auto flushed = ProgressLine::Clock::now();
    auto flush = [&] {
        errno = 0;
        if (!out.flush() && !lost) lost = true, lostError = errno, stop.store(true);
        pending = false;
        flushed = ProgressLine::Clock::now();
    };
    auto write = [&](const CString& text, bool failure) {
        if (lost) return;
        if (progress && surroundings.outIsTerminal) progress->Erase();
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        pending = true;
        if (failure || streaming || ProgressLine::Clock::now() - flushed >= std::chrono::milliseconds(100)) flush();
    };
    brevix::Events events;
    events.progress = [&](const brevix::Progress& p) {
        streaming = p.sourceBytes == 0;
        if (pending) flush();
        if (progress) progress->Report(p);
        if (surroundings.progressSeen) surroundings.progressSeen(p);
    };
    if (arguments.json) {
        events.log = [](const CString&, bool) {};
        events.chunkWritten = [&](const brevix::ChunkWritten& chunk) { write(JsonLine(ChunkRecord(chunk)), false); };
        events.failure = [&](const brevix::Failure& failure) { write(JsonLine(FailureRecord(failure)), true); };
    } else {
        events.log = [&](const CString& lines, bool failure) {
            if (arguments.quiet) return held.Add(lines);
            write(lines, failure);
        };
    }
    const brevix::Result result = brevix::Run(source, folder, runOptions, events, &stop);
    if (progress) progress->Finish();
    const int signal = signals ? signals->Signal() : 0;
    signals.reset();
    if (lost) {
        errno = lostError;
        return Deliver(out, err, kCliFailed);
    }
    if (!result.message.empty()) err << "brevix-cli: " << result.message << "\n";
    int status = kCliDone;
    switch (result.status) {
    case brevix::Status::Done: break;
    case brevix::Status::Interrupted: status = signal != 0 ? 128 + signal : kCliInterrupted; break;
    default: status = kCliFailed; break;
    }
    // A run the source's reading or memory ended has said all in its message.
    const bool ended = result.status == brevix::Status::SourceUnreadable || result.status == brevix::Status::OutOfMemory;
    for (const CString& word : {result.refusal, result.encodingWarning})
        if (!word.empty()) err << "brevix-cli: " << word << "\n";
    errno = 0;
    if (arguments.json)
        out << JsonLine(SummaryRecord(result, status));
    else if (arguments.quiet && status != kCliDone && !ended)
        held.WriteTo(out);
    if (!ended) ReportOutcome(result, runOptions.levelTagText, source, err);
    return Deliver(out, err, status);
}

} // namespace

int RunCommandLine(const CStringList& args, const ProfileStore& profile, std::ostream& out, std::ostream& err,
                   const CliSurroundings& surroundings) {
    Arguments arguments;
    if (!ParseCommandLine(args, arguments, err)) return kCliUsage;
    if (arguments.help || arguments.version) {
        errno = 0;
        out << (arguments.help ? HelpText() : CString(kVersion));
        return Deliver(out, err, kCliDone);
    }
    brevix::Options runOptions;
    if (!SettleOptions(arguments, profile, err, runOptions)) return kCliUsage;
    return RunProcess(arguments, std::move(runOptions), out, err, surroundings);
}
