// Deliberately naive versions of the engine's rules, written straight from them with nothing
// taken from the engine: the text mode, the key text split, the tag reader (repeated removal of
// "<?" and "<!" constructs, then a strtok walk) and a whole chunk run that writes into a model of
// the output folder held in memory. The fuzz targets and the equivalence test check the engine
// against them.
#pragma once

#include "engine/ChunkOptions.h"
#include "engine/SourceEncoding.h"

#include <functional>
#include <map>
#include <set>

namespace reference {

// The bytes of a file as a text-mode read gives them: where text mode converts, up to the first
// Ctrl-Z, CR LF as LF, and an LF after a last line that has none; elsewhere the bytes themselves.
CString ReadAsText(const CString& bytes);
// A UTF-16 source (byte order mark FF FE or FE FF, not UTF-32's) read as UTF-8 into text: a
// surrogate pair one character, a lone surrogate its three-byte form, an odd last byte FF and two
// bytes that hold its halves; where text mode converts, CR LF as LF and an LF after a last line
// that has none. False, and text untouched, for any other source.
bool FromUtf16(const CString& bytes, CString& text, bool& bigEndian);
// The UTF-16 a chunk file of such a source holds: one byte order mark, then the text's characters.
CString ToUtf16(const CString& text, bool bigEndian);
// The bytes a text is stored as in text mode: every LF as CR LF where text mode converts.
CString Stored(const CString& text);
// The words of a key text, split at spaces and commas; no word is empty.
CStringList SplitKeyText(const CString& text);
// Repeats: remove the first "<?" construct through its first ">"; only if there is none, the
// first "<!" construct; until nothing is removed. Returns the number removed.
int StripMarkup(CString& text);
// The sanitised value of key in text, by the token walk (NUL bytes are ordinary characters), its
// characters read in encoding.
CString ReadKeyValue(const CString& text, const CString& key, SourceEncoding encoding = SourceEncoding::Utf8);
// True when the file name's part before its first "." is a reserved device name.
bool IsDeviceName(const CString& path);

struct Result {
    std::map<CString, CString> files; // full path -> bytes as stored
    std::set<CString> folders;        // sub-folders created
    CStringList events;               // the log lines after the input lines
};

// One run over text (already read in text mode) into folder, which starts empty; sourcePath is
// the source's full path; utf16: text is a UTF-16 source's, as FromUtf16 gives it.
Result RunChunks(const ChunkOptions& options, const CString& levelText, const CString& keyText,
                 const CString& sourcePath, const CString& folder, const CString& text, bool utf16 = false);

// A file's bytes ("<missing>" when it cannot be read), and every file and sub-folder below folder.
CString FileBytes(const CString& path);
void Collect(const CString& folder, Result& into);

// Runs the engine on the source file into folder (existing and empty) and the reference run on
// the same text: "" when both give the same files, bytes, sub-folders and log lines, else both.
CString CompareWithEngine(const ChunkOptions& options, const CString& levelText, const CString& keyText,
                          const CString& sourcePath, const CString& folder);

// Options for a generated run, drawn option by option from the option table: a flag yes or no, a
// text one of a few values that matter to the rules (its stored default or empty when none are
// listed). pick(n) gives a number below n.
ChunkOptions DrawOptions(const std::function<unsigned(unsigned)>& pick);

} // namespace reference
