// The chunk run: its order of steps, its input checks and the process log.
#include "Chunker.h"

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
    m_usedNames.Clear();
    m_unnamedCount = 0;
    m_givenPaths.Clear();
    m_nextNumber.clear();
    m_folderLength = outputFolder.size() + 1;

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

Chunker::ChunkRecord Chunker::RecordOf(const ChunkFile& chunk, uint64_t end, bool closed) {
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
void Chunker::LogFinished(size_t most) {
    while (!m_waiting.empty()) {
        bool ok = true;
        CString reason;
        if (m_waiting.front().what == WaitingLine::Finished &&
            !m_pool->TakeOldest(m_pool->InHand() > most, ok, reason))
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

// The window lives for the scan only; the source stays open until Process closes it.
void Chunker::ReadSource(const CString& outputFolder) {
    if (!m_source.IsOpen()) return;
    m_progress.sourceBytes = m_source.GetLength();
    // A UTF-16 byte order mark (and not UTF-32's): the scan reads the text as UTF-8.
    char head[4];
    uint64_t next = 0;
    const size_t got = m_source.ReadAhead(0, head, sizeof head, next);
    const bool utf32 = got == 4 && head[2] == 0 && head[3] == 0;
    m_utf16 = got < 2 || utf32                     ? Utf16Order::None
              : std::memcmp(head, "\xFF\xFE", 2) == 0 ? Utf16Order::LittleEndian
              : std::memcmp(head, "\xFE\xFF", 2) == 0 ? Utf16Order::BigEndian
                                                     : Utf16Order::None;
    if (m_utf16 != Utf16Order::None) m_source.DecodeUtf16(m_utf16);
    SourceWindow window(m_source);
    m_window = &window;
    m_waiting.clear();
    m_slowFinishes = 0;
    if (m_finishThreads > 0 && m_bFinishFromStart) m_pool = std::make_unique<FinishPool>(m_finishThreads);
    try {
        if (ReadEncoding()) {
            const CString preamble = ReadPreamble();
            if (m_options.GetEmitPreamble()) CheckPreamble(preamble);
            ScanText(outputFolder, preamble);
        }
    } catch (...) {
        // The flag, a read error or a signal that cut a read short stopped the run: the files in
        // the pool are finished first, and the chunks still open are incomplete, so they go.
        // Only an error goes on to the caller.
        const bool stopped = StopRequested();
        if (m_pool) LogFinished(0);
        RemoveUnfinished();
        m_pool.reset();
        m_window = nullptr;
        if (!stopped) throw;
    }
    m_pool.reset();
    m_window = nullptr;
}

bool Chunker::ReadEncoding() {
    SourceWindow& window = *m_window;
    // The declaration ends at the first ">"; a source without one is looked at up to a block.
    while (!window.Complete() && window.End() < SourceWindow::kBlock &&
           std::memchr(window.At(0), '>', static_cast<size_t>(window.End())) == nullptr)
        ReadMore(0);
    const char* const begin = window.At(0);
    const char* const end = window.At(window.End());
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
CString Chunker::ReadPreamble() {
    if (!m_options.GetUseLine1()) return m_options.GetPreamble();
    SourceWindow& window = *m_window;
    for (uint64_t from = 0;;) {
        const void* lf = std::memchr(window.At(from), '\n', static_cast<size_t>(window.End() - from));
        if (lf != nullptr) return CString(window.At(0), static_cast<const char*>(lf) + 1);
        if (window.Complete())
            return window.End() != 0 ? CString(window.At(0), window.At(window.End())) : m_options.GetPreamble();
        from = window.End();
        ReadMore(0);
    }
}
