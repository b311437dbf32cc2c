// ChunkNamer: the second stage of a run. It turns a chunk's key values, its tag and the options
// into the path of its file, and keeps the names the run gave out. It never asks the file system:
// which of a path's numbered variants is free is the writer's business.
#pragma once

#include "ChunkOptions.h"
#include "NameSet.h"
#include "platform/StringTypes.h"

#include <cstddef>

// Where the file of a chunk goes, as naming decides it before anything is created: the plain
// path, and what its numbered variants are built from.
struct ChunkPath {
    CString path;    // the plain form: folder part, prefix part, name part, ".", extension
    CString ext;     // the extension
    size_t numberAt; // where in the plain form a number goes: its end, or the end of a reserved stem
    bool numbered;   // a numbered variant is needed whatever the plain form holds
    CString name;    // the chunk's name: its key values, or its number

    // Number 0 is the plain form; the others put "(number)" where numberAt says.
    CString NumberedVariant(int number) const;
};

class ChunkNamer {
public:
    // A namer for one run over the source at sourcePath (as opened, and its file name).
    ChunkNamer(const ChunkOptions& options, const CString& sourcePath, const CString& sourceFileName)
        : m_options(options), m_strSourcePath(sourcePath), m_strSourceFileName(sourceFileName) {}

    // The path in outputFolder for a chunk of tag whose key values (one per chunk name key, an
    // empty one where a key has none) are values.
    ChunkPath MakeChunkPath(const CString& outputFolder, const CString& tag, const CStringList& values);
    // The file-name prefix of a chunk of tag, with the "_" after it; empty without one.
    CString MakePrefix(const CString& tag) const;

private:
    const ChunkOptions m_options;
    const CString m_strSourcePath;
    const CString m_strSourceFileName;
    NameSet m_usedNames;  // chunk names given out in this run
    int m_unnamedCount = 0; // chunks of this run that found no name
};

// The folder part of path: the text before its last separator (with it when keepSeparator is
// set), or the whole path when it holds none.
CString FolderOf(const CString& path, bool keepSeparator);

// True when the file-name stem of path (its last component up to the first ".") is a device
// name that Windows reserves: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, and COM and LPT
// with a superscript 1, 2 or 3 (one byte of the Windows code page, or UTF-8), in any case.
bool IsReservedDeviceName(const CString& path);
