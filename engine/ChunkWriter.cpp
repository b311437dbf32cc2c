#include "ChunkWriter.h"

#include "platform/TextMode.h"

#include <chrono>
#include <system_error>

namespace {
// A finish slower than this (a scanner looking at each file, a share that flushes; a file system
// in memory takes a few microseconds, a local disk tens), kSlowFinishes times in a row, and the
// run's later files go to its finish threads. Only every kTimedEvery-th finish is timed: the clock
// costs more than a finish in memory does.
constexpr auto kSlowFinish = std::chrono::microseconds(250);
constexpr int kSlowFinishes = 3;
constexpr unsigned kTimedEvery = 8;
} // namespace

ChunkWriter::ChunkWriter(const CString& outputFolder, const FileIdentity* source, size_t finishThreads,
                         bool fromStart)
    : m_folderLength(outputFolder.size() + 1), m_source(source), m_finishThreads(finishThreads) {
    if (finishThreads > 0 && fromStart) StartPool();
}

// Where no thread can be started, files go on being finished in turn.
void ChunkWriter::StartPool() {
    try {
        m_pool = std::make_unique<FinishPool>(m_finishThreads);
    } catch (const std::system_error&) {
        m_pool.reset();
    }
}

// Another run may make the folder first: then it is there, as if it had been before.
ChunkWriter::FolderResult ChunkWriter::MakeFolder(const CString& folder, CString& reason) {
    if (IsFolder(folder)) return FolderResult::There;
    ClearSystemError();
    if (CreateFolder(folder)) return FolderResult::Made;
    reason = SystemErrorText();
    return IsFolder(folder) ? FolderResult::There : FolderResult::Failed;
}

// The plain path, unless a numbered variant is needed anyway or it was given out before in this
// run: created new when nothing is there (one exclusive create, the common case); when an earlier
// file or a link is there, the chunk goes to a file of its own that replaces the entry once the
// chunk is complete. The source (under any name or link) gets a numbered variant instead; any
// other entry (a folder, a FIFO, ...) is a failure to open.
ChunkWriter::ChunkFile& ChunkWriter::Open(const ChunkPath& chunkPath) {
    m_open.emplace_back();
    ChunkFile& chunk = m_open.back();
    TextOutStream& stream = chunk.stream;
    stream.UseBuffer(m_spareBuffer ? std::move(m_spareBuffer) : m_pool ? m_pool->SpareBuffer() : nullptr);
    const CString& path = chunkPath.path;
    chunk.path = path;
    if (OpenStreams() >= MaxTextWriteStreams()) {
        stream.Refuse("too many open files");
        return chunk;
    }
    if (chunkPath.numbered || !GivePath(path)) {
        chunk.path = CreateFreeVariant(chunkPath, stream);
        return chunk;
    }
    for (int attempt = 0; attempt < 2; ++attempt) { // once more when the entry goes meanwhile
        if (stream.Open(path) != OpenResult::Exists) return chunk;
        switch (InspectEntry(path, m_source)) {
        case EntryKind::Missing: continue;
        case EntryKind::Replaceable: OpenReplacement(path, stream); return chunk;
        case EntryKind::IsSpare: chunk.path = CreateFreeVariant(chunkPath, stream); return chunk;
        case EntryKind::Other: return chunk;
        }
    }
    return chunk;
}

// The file that will replace the entry at path: "<name>.unfinished", or "<name>.unfinished-2" and
// on when that is taken, in the same folder (so the move is one step of the file system), created
// exclusively, and never a path that a chunk of this run was given or will be.
void ChunkWriter::OpenReplacement(const CString& path, TextOutStream& stream) {
    for (int number = 1;; ++number) {
        CString temporary = path + ".unfinished" + (number > 1 ? "-" + std::to_string(number) : CString());
        if (GivePath(temporary) && stream.OpenReplacing(path, temporary) != OpenResult::Exists) return;
    }
}

// Creates the plain form when nothing of that name exists, else the first numbered form that the
// existence test finds free and an exclusive create confirms. A path given out before in this run
// is never given again, whatever the existence test says; an entry that appears between the test
// and the create (another run, say) moves the search on; any other failure ends it, and the path
// is logged as not opened. Numbers found taken stay taken for the run (files are only ever added),
// so the search for one name resumes where it stopped last time instead of starting over.
// Only the names that needed a number are remembered, below the output folder.
CString ChunkWriter::CreateFreeVariant(const ChunkPath& chunkPath, TextOutStream& stream) {
    const CString name = chunkPath.path.substr(m_folderLength);
    const auto known = m_nextNumber.find(name);
    for (int number = known != m_nextNumber.end() ? known->second : 0;; ++number) {
        CString candidate = chunkPath.NumberedVariant(number);
        if (FindExists(candidate) || IsReservedDeviceName(candidate) || !GivePath(candidate)) continue;
        if (stream.Open(candidate) != OpenResult::Exists) {
            if (number != 0) m_nextNumber[name] = number;
            return candidate;
        }
    }
}

// Every path of a run begins with the output folder and a separator, so only the rest is kept.
bool ChunkWriter::GivePath(const CString& path) {
    const std::string_view rest = std::string_view(path).substr(m_folderLength);
    if (!kNamesIgnoreCase) return m_givenPaths.Insert(rest);
    return m_givenPaths.Insert(PathCompareKey(CString(rest)));
}

bool ChunkWriter::Finish() {
    TextOutStream& stream = m_open.back().stream;
    if (m_finishThreads == 0 || ++m_finishes % kTimedEvery != 0) return stream.Finish();
    const auto begun = std::chrono::steady_clock::now();
    const bool finished = stream.Finish();
    if (std::chrono::steady_clock::now() - begun < kSlowFinish)
        m_slowFinishes = 0;
    else if (++m_slowFinishes == kSlowFinishes)
        StartPool();
    return finished;
}

bool ChunkWriter::Hand() {
    if (!m_pool) return false;
    m_pool->Add(std::move(m_open.back().stream));
    return true;
}

CStringList ChunkWriter::RemoveUnfinished() {
    CStringList removed;
    for (ChunkFile& chunk : m_open)
        if (chunk.stream.IsOpen() && chunk.stream.CloseAndRemove()) removed.push_back(chunk.stream.WrittenPath());
    m_open.clear();
    return removed;
}

size_t ChunkWriter::OpenStreams() const {
    size_t open = m_pool ? m_pool->InHand() : 0;
    for (const ChunkFile& chunk : m_open)
        open += chunk.stream.IsOpen();
    return open;
}
