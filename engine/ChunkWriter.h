// ChunkWriter: the last stage of a run. It keeps the chunks open now, one inside the other,
// creates their files (each in one step with the choice of its name, never over the source or a
// path the run gave out before), their sub-folders, writes their text, finishes them (in turn, or
// on a few threads of their own once closing turns out slow) and removes the unfinished ones.
#pragma once

#include "ChunkNamer.h"
#include "FinishPool.h"
#include "NameSet.h"
#include "platform/FileSystem.h"
#include "platform/StringTypes.h"
#include "platform/TextOutStream.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class ChunkWriter {
public:
    // A chunk open now: its file's path, and its stream (closed when the file did not open).
    struct ChunkFile {
        CString path;
        TextOutStream stream;
        CString tag, name;  // for the chunk report
        uint64_t begin = 0; // of the start tag in the source
    };

    // A writer into outputFolder; source, when given, is the identity of the source, which no
    // chunk file may replace. With finishThreads, files are finished on that many threads of their
    // own: from the first file when fromStart is set, else once finishing turns out slow.
    ChunkWriter(const CString& outputFolder, const FileIdentity* source, size_t finishThreads, bool fromStart);

    // Makes folder unless it is one already: Made, Failed (reason: the system's) or There.
    enum class FolderResult { There, Made, Failed };
    FolderResult MakeFolder(const CString& folder, CString& reason);

    // Opens a chunk inside the innermost one: creates its file at chunkPath's plain path or a
    // numbered variant. The plain path replaces only a regular file other than the source, or a
    // link, and only once the chunk is finished; a numbered variant is only ever created new. The
    // chunk's path is set also when the open failed.
    ChunkFile& Open(const ChunkPath& chunkPath);
    bool HasOpen() const { return !m_open.empty(); }
    size_t OpenCount() const { return m_open.size(); }
    ChunkFile& Innermost() { return m_open.back(); }
    // Writes to the innermost chunk (nothing when none is open or its file is not).
    void Write(const char* data, size_t size) {
        if (!m_open.empty()) m_open.back().stream.Write(data, size);
    }
    // Finishes the innermost chunk's open stream in turn: false when it failed (see the stream's
    // error text). Times every few when finishing may move to threads.
    bool Finish();
    // Hands the innermost chunk's open stream to the finish threads, when they run (false else).
    bool Hand();
    // Forgets the innermost chunk (its stream's buffer is kept for the next).
    void Pop() {
        if (std::unique_ptr<char[]> buffer = m_open.back().stream.TakeBuffer()) m_spareBuffer = std::move(buffer);
        m_open.pop_back();
    }
    // Removes the files of the chunks open, which are incomplete, outermost first; the paths
    // removed (of a replace: its own file; the entry it was to replace stays as it was).
    CStringList RemoveUnfinished();

    // The finish threads, once they run; null before.
    FinishPool* Pool() { return m_pool.get(); }

    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

private:
    // Helpers
    void StartPool();
    void OpenReplacement(const CString& path, TextOutStream& stream);
    CString CreateFreeVariant(const ChunkPath& chunkPath, TextOutStream& stream);
    bool GivePath(const CString& path);
    // The streams of this run open now: the open chunks', and those in the pool.
    size_t OpenStreams() const;

    // Member variables
    const size_t m_folderLength;     // of the output folder and the separator after it
    const FileIdentity* m_source;
    const size_t m_finishThreads;    // 0: files are finished in turn
    unsigned m_finishes = 0;         // finishes in turn
    int m_slowFinishes = 0;          // of those timed, the slow ones in a row
    std::unique_ptr<FinishPool> m_pool;
    std::vector<ChunkFile> m_open; // the innermost (current) last
    std::unique_ptr<char[]> m_spareBuffer; // of a stream finished in turn, for the next one
    NameSet m_givenPaths;          // paths given out in this run (their compare keys), below the output folder
    std::unordered_map<CString, int> m_nextNumber; // per path that needed a number: the next to try
};
