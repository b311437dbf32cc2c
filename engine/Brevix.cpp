// The public face over Chunker: options in, events and a status out. The one place where the
// exceptions a run may raise become a status.
#include "Brevix.h"

#include "Chunker.h"
#include "platform/FileException.h"

#include <new>
#include <stdexcept>

namespace {

// A stored option's value as the face holds it.
bool FlagOut(BOOL value) {
    return value != 0;
}
const std::string& TextOut(const CString& value) {
    return value;
}

} // namespace

namespace brevix {

namespace {

// Every option of the table has its member here under the same name: one missing is an error.
ChunkOptions ToChunkOptions(const Options& options) {
    ChunkOptions chunkOptions;
#define BREVIX_OPTION_COPY_IN(kind, member, accessor, name, stored, help)                                    \
    chunkOptions.member = kind##Value(options.member);
    BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_COPY_IN)
#undef BREVIX_OPTION_COPY_IN
    return chunkOptions;
}

static_assert(static_cast<int>(FailureKind::UnsupportedEncoding) ==
                  static_cast<int>(Chunker::FailureKind::UnsupportedEncoding),
              "the face's failure kinds are the engine's, in its order");

} // namespace

Options Options::Defaults() {
    return ToPublicOptions(ChunkOptions::Defaults());
}

const char* FailureKindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::SourceNotOpened: return "source-not-opened";
    case FailureKind::FileNotOpened: return "file-not-opened";
    case FailureKind::FolderNotCreated: return "folder-not-created";
    case FailureKind::FileNotWritten: return "file-not-written";
    case FailureKind::BadInput: return "bad-input";
    case FailureKind::SourceChanged: return "source-changed";
    case FailureKind::NoChunkFound: return "no-chunk-found";
    case FailureKind::UnsupportedEncoding: return "unsupported-encoding";
    }
    return "unknown";
}

std::vector<std::string> SplitKeyText(const std::string& text) {
    Chunker chunker(ChunkOptions{}, CString(), CString());
    chunker.SetChunkLevelTags(text);
    return chunker.GetLevelTags();
}

Result Run(const std::string& sourcePath, const std::string& outputFolder, const Options& options,
           const Events& events, const std::atomic<bool>* stop) {
    Result result;
    Chunker chunker(ToChunkOptions(options), options.levelTagText, options.nameKeyText);
    chunker.SetStopFlag(stop);
    chunker.SetFinishThreads(options.finishThreads, options.finishFromStart);
    chunker.SetProgressReport([&](const ChunkProgress& p) {
        result.progress = {p.bytesRead, p.sourceBytes, p.filesWritten};
        if (events.progress) events.progress(result.progress);
    });
    chunker.SetLogSink([&](const CString& line, bool failure) {
        result.failuresLogged += failure;
        if (events.log)
            events.log(line, failure);
        else
            result.log += line;
    });
    if (events.chunkWritten)
        chunker.SetChunkReport([&](const Chunker::ChunkRecord& r) {
            events.chunkWritten({r.tag, r.name, r.path, r.begin, r.end, r.closed});
        });
    if (events.failure)
        chunker.SetFailureReport([&](Chunker::FailureKind kind, const CString& path, const CString& reason) {
            events.failure({static_cast<FailureKind>(kind), path, reason});
        });
    try {
        chunker.Process(sourcePath, outputFolder);
    } catch (const CFileException& e) {
        result.status = Status::SourceUnreadable;
        result.message = e.what();
    } catch (const std::bad_alloc&) {
        result.status = Status::OutOfMemory;
        result.message = "not enough memory to read " + sourcePath;
    } catch (const std::length_error&) {
        // A naming region longer than a string can hold in this address space.
        result.status = Status::OutOfMemory;
        result.message = "not enough memory to read " + sourcePath + " (it is too large)";
    } catch (const std::exception& e) {
        result.status = Status::SourceUnreadable;
        result.message = "the run on " + sourcePath + " stopped: " + e.what();
    }
    for (const Chunker::FileFailures& each : chunker.GetFileFailures())
        result.fileFailures.push_back(
            {static_cast<FailureKind>(each.kind), each.count, each.firstPath, each.reason});
    result.noChunkFound = chunker.FoundNoChunk();
    result.caseVariant = chunker.GetCaseVariant();
    result.refusal = chunker.GetRefusal();
    result.encodingWarning = chunker.GetEncodingWarning();
    if (result.status == Status::Done)
        result.status = chunker.WasInterrupted() ? Status::Interrupted
                        : chunker.HadFailure()   ? Status::FailuresLogged
                                                 : Status::Done;
    return result;
}

} // namespace brevix

brevix::Options ToPublicOptions(const ChunkOptions& options) {
    brevix::Options out;
#define BREVIX_OPTION_COPY_OUT(kind, member, accessor, name, stored, help)                                   \
    out.member = kind##Out(options.member);
    BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_COPY_OUT)
#undef BREVIX_OPTION_COPY_OUT
    return out;
}
