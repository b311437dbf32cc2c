// A deliberately naive chunk run, written straight from the rules of the scanner and of chunk
// naming, with the engine's mended rules (an abandoned tag's text stays in its chunk; a path
// given out earlier in the run, or a reserved device name, gets a numbered variant). It writes
// into a model of the output folder held in memory, which starts empty.
#pragma once

#include "platform/StringTypes.h"

#include <map>
#include <set>

namespace reference {

struct Options {
    CStringList levelTags, nameKeys;
    bool overwrite = true, subfolders = false, emitPrefix = false, useSource = false, appendTagname = false;
    bool emitPreamble = true, useLine1 = false, emitPostamble = false;
    CString prefix, ext = "xml", preamble, postamble;
    CString sourceFullPath, sourceFileName;
};

struct Result {
    std::map<CString, CString> files; // full path -> bytes as stored (LF as CR LF)
    std::set<CString> folders;        // sub-folders created
    CStringList events;               // the log lines the scan writes
};

// Scans the source text (already read in text mode, each line ended by LF) into folder.
Result RunChunks(const Options& options, const CString& folder, const CString& text);

} // namespace reference
