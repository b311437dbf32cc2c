// Shared helpers of the engine tests: scratch folders, file bytes, and a clean settings record.
#pragma once

#include "engine/Chunker.h"
#include "platform/FileSystem.h"
#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

// A fresh, empty scratch folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    // The folder's path in the platform's form.
    const CString& Path() const { return m_path; }
    // path + separator + name.
    CString operator/(const CString& name) const { return m_path + kPathSeparator + name; }

private:
    CString m_path;
};

// A string literal's bytes, NULs included.
template <size_t N> CString Bytes(const char (&literal)[N]) {
    return CString(literal, N - 1);
}

// The bytes of a file, or "<missing>" when it cannot be read.
CString ReadBytes(const CString& path);
// Writes bytes as they are (no text-mode conversion).
void WriteBytes(const CString& path, const CString& bytes);
// Every file below folder, by full path in the platform's form, with its bytes; with folders,
// every sub-folder's path too.
void CollectFiles(const CString& folder, std::map<CString, CString>& files,
                  std::set<CString>* folders = nullptr);
// The names of the entries in folder, sorted.
std::vector<CString> ListFolder(const CString& folder);
// Text with every LF turned into CR LF: what a chunk file holds for text.
CString Crlf(const CString& text);
// The log as a list of lines (CR LF removed), without the header line and its empty line.
std::vector<CString> LogBody(const CString& log);

// A user profile of a test's own: its INI file below folder (POSIX), or a registry key under a
// company name of this run's own (Windows), so that nothing stored leaks between runs.
UserProfile ScratchProfile(const ScratchFolder& folder);

// The options and key texts the engine tests run with.
struct TestSettings : ChunkOptions {
    CString levelTags, nameKeys; // as typed into the toolbar fields
};
TestSettings& Settings();
// Resets the test settings to the defaults of a fresh start, with the given key texts.
void ResetSettings(const CString& levelTags = "topic", const CString& nameKeys = "title");
// A Chunker with the test settings as they are now.
Chunker NewChunker();

// A test that runs the engine in a scratch folder holding "out" and the source "src.xml".
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    // Writes source into src.xml and runs one Process into out; returns the log, and sets
    // m_failed to whether the run logged a failure.
    CString Run(const CString& source);
    CString OutPath(const CString& name) const { return m_out + kPathSeparator + name; }
    CString OutFile(const CString& name) const { return ReadBytes(OutPath(name)); }

    ScratchFolder m_scratch;
    CString m_source = m_scratch / "src.xml";
    CString m_out = m_scratch / "out";
    bool m_failed = false;
};
