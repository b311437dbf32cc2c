// The chunk run: its order of steps, its input checks and the process log.
#include "Chunker.h"

#include "TagReader.h"
#include "platform/LocalTime.h"
#include "platform/TextMode.h"

#include <algorithm>
#include <cctype>
#include <cstring>

CString Chunker::Process(const CString& sourcePath, const CString& outputFolder) {
    m_strProcessLog.clear();
    m_bFailed = false;
    m_bInterrupted = false;
    m_bChunkFound = m_bNoChunk = false;
    m_strCaseVariant.clear();
    m_failures.clear();
    m_strRefusal.clear();
    m_strEncodingWarning.clear();
    m_progress = ChunkProgress();
    LogLine("Process Log - " + FormatLocalTime("%x %X"));
    LogLine();

    SetChunkLevelTags(m_strLevelTagText);
    SetChunkNameKeys(m_strNameKeyText);

    if (sourcePath.empty()) {
        LogRunFailure(FailureKind::BadInput, "source filename is empty", CString(), "source filename is empty");
    } else if (m_levelTags.empty()) {
        LogRunFailure(FailureKind::BadInput, "chunk level tag is empty", CString(), "chunk level tag is empty");
    } else if (OpenSource(sourcePath)) {
        LogLine("source: " + sourcePath);
        LogLine("chunk level tag: " + m_strLevelTagText);
        LogLine("output folder: " + outputFolder);
        LogLine();
        try {
            ReadSource(outputFolder);
        } catch (...) {
            m_source.Abort();
            throw;
        }
        // Another program cut the source short or wrote on while it was read: what the run made
        // of it is kept, but the run did not cut the source as it was or is.
        if (!m_bInterrupted && m_source.GetLength() != m_progress.sourceBytes)
            LogRunFailure(FailureKind::SourceChanged,
                          "Unable to read file: " + sourcePath + " (the source changed while it was read)",
                          sourcePath, "the source changed while it was read");
        CloseSource();
        if (!m_bChunkFound && !m_bInterrupted && m_strRefusal.empty()) {
            m_bNoChunk = true;
            LogRunFailure(FailureKind::NoChunkFound, "No chunk level tag found: " + m_strLevelTagText, sourcePath,
                          "no chunk level tag found: " + m_strLevelTagText);
        }
    }
    return m_strProcessLog;
}

// While files in the pool have not given their lines, every later line waits behind them.
void Chunker::LogLine(const CString& text) {
    if (m_waiting.empty())
        AddLine(text, false);
    else
        m_waiting.push_back({WaitingLine::Line, text});
}

void Chunker::LogFileFailure(FailureKind kind, const CString& path, const CString& reason) {
    if (m_waiting.empty()) return AddFileFailure(kind, path, reason);
    m_bFailed = true;
    m_waiting.push_back({WaitingLine::FileFailure, path, kind, reason});
}

void Chunker::AddFileFailure(FailureKind kind, const CString& path, const CString& reason) {
    static const char* const kLines[] = {"Unable to open file: ", "Unable to open file: ",
                                         "Unable to create sub-folder: ", "Unable to write file: "};
    m_bFailed = true;
    AddLine(kLines[static_cast<int>(kind)] + path, true);
    if (m_failureReport) m_failureReport(kind, path, reason);
    auto same = [kind](const FileFailures& each) { return each.kind == kind; };
    auto known = std::find_if(m_failures.begin(), m_failures.end(), same);
    if (known == m_failures.end())
        m_failures.push_back({kind, 1, path, reason});
    else
        ++known->count;
}

void Chunker::LogRunFailure(FailureKind kind, const CString& text, const CString& path, const CString& reason) {
    LogFailure(text);
    if (m_failureReport) m_failureReport(kind, path, reason);
}

Chunker::ChunkRecord Chunker::RecordOf(const ChunkWriter::ChunkFile& chunk, uint64_t end, bool closed) {
    return {chunk.tag, chunk.name, chunk.path, chunk.begin, end, closed};
}

void Chunker::LogFailure(const CString& text) {
    m_bFailed = true;
    if (m_waiting.empty())
        AddLine(text, true);
    else
        m_waiting.push_back({WaitingLine::Failure, text});
}

// Logs the lines that waited for files in the pool, in order, as far as the files are finished;
// waits for the oldest file while more than most are in hand. A file's line is its path, or a
// failure as when it is finished in turn.
void Chunker::LogFinished(FinishPool& pool, size_t most) {
    while (!m_waiting.empty()) {
        bool ok = true;
        CString reason;
        if (m_waiting.front().what == WaitingLine::Finished && !pool.TakeOldest(pool.InHand() > most, ok, reason))
            return;
        WaitingLine line = std::move(m_waiting.front());
        m_waiting.pop_front();
        switch (line.what) {
        case WaitingLine::Line:
            AddLine(line.text, false);
            break;
        case WaitingLine::Failure:
            AddLine(line.text, true);
            break;
        case WaitingLine::FileFailure:
            AddFileFailure(line.kind, line.text, line.reason);
            break;
        case WaitingLine::Finished:
            if (!ok) {
                AddFileFailure(FailureKind::FileNotWritten, line.text, reason);
                break;
            }
            AddLine(line.text, false);
            ++m_progress.filesWritten;
            if (m_chunkReport) m_chunkReport(line.record);
            break;
        }
    }
}

void Chunker::AddLine(const CString& text, bool failure) {
    m_strProcessLog += text;
    m_strProcessLog += kLineEnd;
    if (m_sink) {
        m_sink(m_strProcessLog, failure);
        m_strProcessLog.clear();
    }
}

// Splits text at spaces and commas by the strtok rules: no token is empty, nothing else is done
// to a token, duplicates stay.
void Chunker::SplitKeyText(const CString& text, CStringList& list) {
    list.clear();
    size_t start = 0;
    while ((start = text.find_first_not_of(" ,", start)) != CString::npos) {
        size_t stop = text.find_first_of(" ,", start);
        if (stop == CString::npos) stop = text.size();
        list.push_back(text.substr(start, stop - start));
        start = stop;
    }
}

bool Chunker::OpenSource(const CString& path) {
    m_bSourceIdentity = false;
    ClearSystemError();
    if (!m_source.Open(path)) {
        LogFileFailure(FailureKind::SourceNotOpened, path, SystemErrorText());
        return false;
    }
    // Asked of the open file, so that no link or other spelling of its path can hide it.
    m_bSourceIdentity = m_source.GetIdentity(m_sourceIdentity);
    return true;
}

namespace {
// Files handed to the pool and not finished that a run lets wait before it waits for the oldest:
// enough to keep the pool's threads busy, few enough for their streams' buffers. Together with
// the chunks open the run holds no more streams than this, so that where the system's limit
// of open files decides which chunk files open, the pool does not change it.
constexpr size_t kFilesInHand = 64;
} // namespace

// The stages of one run's scan. The source's text goes one way through them: the scanner hands
// out text and tags, the namer names a chunk from its region, the writer writes the chunk files.
class Chunker::Stages {
public:
    Stages(CStdioFile& source, const CStringList& levelTags, const std::atomic<bool>* stop,
           const ChunkOptions& options, const CString& outputFolder, const FileIdentity* sourceIdentity,
           size_t finishThreads, bool fromStart)
        : scanner(source, levelTags, stop), namer(options, source.GetFilePath(), source.GetFileName()),
          writer(outputFolder, sourceIdentity, finishThreads, fromStart), folder(outputFolder) {}

    SourceScanner scanner;
    ChunkNamer namer;
    ChunkWriter writer;
    const CString& folder;
    CString preamble;
};

// The stages live for the scan only; the source stays open until Process closes it.
void Chunker::ReadSource(const CString& outputFolder) {
    if (!m_source.IsOpen()) return;
    m_progress.sourceBytes = m_source.GetLength();
    // A UTF-16 byte order mark (and not UTF-32's): the scan reads the text as UTF-8.
    char head[4];
    size_t got = 0; // a read may give fewer bytes than asked for (a pipe, say)
    for (uint64_t at = 0, next = 0; got < sizeof head; at = next) {
        const size_t more = m_source.ReadAhead(at, head + got, sizeof head - got, next);
        if (more == 0) break;
        got += more;
    }
    const bool utf32 = got == 4 && head[2] == 0 && head[3] == 0;
    m_utf16 = got < 2 || utf32                     ? Utf16Order::None
              : std::memcmp(head, "\xFF\xFE", 2) == 0 ? Utf16Order::LittleEndian
              : std::memcmp(head, "\xFE\xFF", 2) == 0 ? Utf16Order::BigEndian
                                                     : Utf16Order::None;
    if (m_utf16 != Utf16Order::None) m_source.DecodeUtf16(m_utf16);
    m_waiting.clear();
    Stages stages(m_source, m_levelTags, m_stop, m_options, outputFolder,
                  m_bSourceIdentity ? &m_sourceIdentity : nullptr, m_finishThreads, m_bFinishFromStart);
    try {
        if (ReadEncoding(stages.scanner)) {
            stages.preamble = ReadPreamble(stages.scanner);
            if (m_options.GetEmitPreamble()) CheckPreamble(stages.preamble);
            ScanText(stages);
        }
    } catch (...) {
        // A read error, or a signal that cut a read short, ended the run: the files in the pool
        // are finished first, and the chunks still open are incomplete, so they go. Only an error
        // goes on to the caller.
        m_bInterrupted = m_bInterrupted || StopIsSet();
        RemoveUnfinished(stages);
        if (!m_bInterrupted) throw;
        return;
    }
    if (m_bInterrupted) RemoveUnfinished(stages);
}

bool Chunker::ReadEncoding(SourceScanner& scanner) {
    const std::string_view head = scanner.Head();
    const char* const begin = head.data();
    const char* const end = begin + head.size();
    auto starts = [&](const char* bytes, size_t size) {
        return static_cast<size_t>(end - begin) >= size && std::memcmp(begin, bytes, size) == 0;
    };
    // By the byte order mark, or by a first "<" in 16 or 32 bits.
    static const struct {
        const char* bytes;
        size_t size;
        const char* name;
    } kWide[] = {{"\xFF\xFE\0\0", 4, "UTF-32 (little-endian)"}, {"<\0\0\0", 4, "UTF-32 (little-endian)"},
                 {"\0\0\xFE\xFF", 4, "UTF-32 (big-endian)"},    {"\0\0\0<", 4, "UTF-32 (big-endian)"},
                 {"\xFF\xFE", 2, "UTF-16 (little-endian)"},      {"<\0", 2, "UTF-16 (little-endian)"},
                 {"\xFE\xFF", 2, "UTF-16 (big-endian)"},         {"\0<", 2, "UTF-16 (big-endian)"}};
    if (m_utf16 != Utf16Order::None) {
        m_strSourceEncoding = "UTF-16";
        m_nameEncoding = FileNamesTakeUnicode() ? SourceEncoding::Utf16 : SourceEncoding::AsciiOnly;
        return true;
    }
    CString refused;
    for (const auto& wide : kWide)
        if (refused.empty() && starts(wide.bytes, wide.size)) refused = wide.name;
    const CString declared = DeclaredEncoding(begin, end);
    CString lower = declared;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* wide : {"utf-16", "utf-32", "ucs-2", "ucs-4", "iso-10646-ucs"})
        if (refused.empty() && lower.compare(0, std::strlen(wide), wide) == 0) refused = declared;
    if (!refused.empty()) {
        m_strRefusal =
            "Unsupported source encoding: " + refused + ". Save the source as UTF-8 and process it again.";
        LogRunFailure(FailureKind::UnsupportedEncoding, m_strRefusal, m_source.GetFilePath(),
                      "unsupported source encoding: " + refused);
        return false;
    }
    const bool byteOrderMark = starts("\xEF\xBB\xBF", 3);
    m_strSourceEncoding = byteOrderMark || declared.empty() ? "UTF-8" : declared;
    bool known = false;
    m_nameEncoding =
        byteOrderMark || declared.empty() ? SourceEncoding::Utf8 : EncodingByName(declared, known);
    if (!FileNamesTakeUnicode()) m_nameEncoding = SourceEncoding::AsciiOnly;
    return true;
}

// Two names of one encoding (say "latin1" and "ISO-8859-1") are the same; names not known here
// are compared without regard to letter case.
void Chunker::CheckPreamble(const CString& preamble) {
    const CString declared = DeclaredEncoding(preamble.data(), preamble.data() + preamble.size());
    if (declared.empty()) return;
    bool knownPreamble = false, knownSource = false;
    const SourceEncoding said = EncodingByName(declared, knownPreamble);
    const SourceEncoding is = EncodingByName(m_strSourceEncoding, knownSource);
    auto lower = [](CString text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const bool same =
        knownPreamble && knownSource ? said == is : lower(declared) == lower(m_strSourceEncoding);
    if (same) return;
    m_strEncodingWarning = "The preamble declares the encoding " + declared + ", the source " +
                           m_strSourceEncoding + ". Use line 1 of the source file as the preamble.";
    LogLine(m_strEncodingWarning);
}

// "Use line 1" takes the text's first line with its LF (all of a text without one); an empty text
// keeps the stored preamble.
CString Chunker::ReadPreamble(SourceScanner& scanner) {
    CString line;
    if (!m_options.GetUseLine1() || !scanner.FirstLine(line)) return m_options.GetPreamble();
    return line;
}

CString Chunker::ReadKeyValue(const CString& text, const CString& key, SourceEncoding encoding) {
    return ReadKeyValue(text.data(), text.data() + text.size(), key, encoding);
}

CString Chunker::ReadKeyValue(const char* begin, const char* end, const CString& key, SourceEncoding encoding) {
    HeldText text(begin, end);
    return ::ReadKeyValue(text, 0, static_cast<uint64_t>(end - begin), key, encoding);
}

// Each event as the scanner hands it out: text goes to the innermost open chunk (none: it is
// dropped), a start tag opens a chunk inside it, an end tag ends it. After each block of the
// source, the files the pool finished are logged and the progress reported.
void Chunker::ScanText(Stages& stages) {
    SourceScanner::Event event;
    while (!m_bInterrupted && stages.scanner.Next(event)) {
        switch (event.kind) {
        case SourceScanner::Event::Text: stages.writer.Write(event.data, event.size); break;
        case SourceScanner::Event::StartTag: StartChunk(stages, event); break;
        case SourceScanner::Event::EndTag: EndChunk(stages, event); break;
        case SourceScanner::Event::Stopped: m_bInterrupted = true; break;
        case SourceScanner::Event::Block:
            if (FinishPool* pool = stages.writer.Pool()) {
                pool->Wake(); // files need not wait longer than a block for the next chunk's end
                LogFinished(*pool, kFilesInHand);
            }
            m_progress.bytesRead = m_source.GetPosition();
            if (m_report) m_report(m_progress);
            break;
        }
    }
    m_strCaseVariant = stages.scanner.CaseVariant();
    if (m_bInterrupted) return;
    FinishStillOpen(stages);
    if (m_report) m_report(m_progress);
}

// Chunks still open at the end keep what they hold: no closing tag, postamble or log line.
void Chunker::FinishStillOpen(Stages& stages) {
    if (FinishPool* pool = stages.writer.Pool()) LogFinished(*pool, 0);
    ChunkWriter& writer = stages.writer;
    while (writer.HasOpen()) {
        ChunkWriter::ChunkFile& chunk = writer.Innermost();
        if (chunk.stream.IsOpen()) {
            if (!chunk.stream.Finish())
                LogFileFailure(FailureKind::FileNotWritten, chunk.path, chunk.stream.GetErrorText());
            else if (m_chunkReport)
                m_chunkReport(RecordOf(chunk, stages.scanner.TextEnd(), false));
        }
        writer.Pop();
    }
}

CStringList Chunker::ReadKeyValues(SourceScanner& scanner, const CString& tag, uint64_t position) {
    CStringList values;
    const uint64_t end = scanner.RegionEnd(tag, position);
    if (end != position)
        for (const CString& key : m_nameKeys)
            values.push_back(::ReadKeyValue(scanner, position, end, key, m_nameEncoding));
    return values;
}

// Opens a chunk at its start tag: its file, its sub-folder when asked, and the preamble and start
// tag written into it.
void Chunker::StartChunk(Stages& stages, const SourceScanner::Event& tag) {
    m_bChunkFound = true;
    const CStringList values = ReadKeyValues(stages.scanner, tag.name, tag.nameEnd);
    if (stages.scanner.StopSeen()) {
        m_bInterrupted = true;
        return;
    }
    ChunkPath chunkPath = stages.namer.MakeChunkPath(stages.folder, tag.name, values);
    ChunkWriter& writer = stages.writer;
    if (m_options.GetSubfolders()) {
        const CString subfolder = FolderOf(chunkPath.path, false);
        CString reason;
        switch (writer.MakeFolder(subfolder, reason)) {
        case ChunkWriter::FolderResult::There: break;
        case ChunkWriter::FolderResult::Made:
            LogLine("Created sub-folder: " + subfolder);
            LogLine();
            break;
        case ChunkWriter::FolderResult::Failed:
            LogFileFailure(FailureKind::FolderNotCreated, subfolder, reason);
            LogLine();
            break;
        }
    }
    if (FinishPool* pool = writer.Pool()) LogFinished(*pool, kFilesInHand - std::min(kFilesInHand, writer.OpenCount() + 1));
    ChunkWriter::ChunkFile& chunk = writer.Open(chunkPath);
    chunk.tag = tag.name;
    chunk.name = std::move(chunkPath.name);
    chunk.begin = tag.begin;
    if (!chunk.stream.IsOpen()) {
        LogFileFailure(FailureKind::FileNotOpened, chunk.path, chunk.stream.GetErrorText());
        return;
    }
    if (m_utf16 != Utf16Order::None) chunk.stream.EncodeAsUtf16(m_utf16);
    if (m_options.GetEmitPreamble() && !stages.preamble.empty()) chunk.stream.Write(stages.preamble);
    const char* startTag; // still held, but perhaps moved by the naming
    stages.scanner.Piece(tag.begin, startTag);
    chunk.stream.Write(startTag, tag.size);
}

// Ends the innermost open chunk with its closing tag and the postamble, and logs its path. A
// closing tag while no chunk is open is dropped like other text outside chunks.
void Chunker::EndChunk(Stages& stages, const SourceScanner::Event& tag) {
    ChunkWriter& writer = stages.writer;
    if (!writer.HasOpen()) return;
    ChunkWriter::ChunkFile& chunk = writer.Innermost();
    if (chunk.stream.IsOpen()) {
        const uint64_t tagEnd = tag.begin + tag.size;
        chunk.stream.Write(tag.data, tag.size);
        if (m_options.GetEmitPostamble()) {
            const CString& postamble = m_options.GetPostamble();
            if (!postamble.empty()) chunk.stream.Write(postamble);
        }
        if (writer.Hand()) {
            WaitingLine& line = m_waiting.emplace_back(WaitingLine::Finished, CString());
            if (m_chunkReport) line.record = RecordOf(chunk, tagEnd, true);
            line.text = std::move(chunk.path); // the chunk ends here
            LogFinished(*writer.Pool(), kFilesInHand);
        } else if (writer.Finish()) {
            LogLine(chunk.path);
            ++m_progress.filesWritten;
            if (m_chunkReport) m_chunkReport(RecordOf(chunk, tagEnd, true));
        } else {
            LogFileFailure(FailureKind::FileNotWritten, chunk.path, chunk.stream.GetErrorText());
        }
    }
    writer.Pop();
}

// Removes the files of the chunks still open, which are incomplete, once the files in the pool
// are finished (a replace's own file: the entry it was to replace stays as it was); after an
// interrupt the log then ends with "Process interrupted.".
void Chunker::RemoveUnfinished(Stages& stages) {
    if (FinishPool* pool = stages.writer.Pool()) LogFinished(*pool, 0);
    for (const CString& path : stages.writer.RemoveUnfinished())
        LogLine("Removed unfinished file: " + path);
    if (m_bInterrupted) LogLine("Process interrupted.");
}
