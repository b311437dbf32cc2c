// Shared helpers of the engine tests: scratch folders, file bytes, logs and the test settings.
#pragma once

#include "engine/Chunker.h"
#include "platform/FileSystem.h"
#include "platform/ProfileStore.h"
#include "reference/Reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

// A fresh, empty scratch folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    const CString& Path() const { return m_path; }
    CString operator/(const CString& name) const { return m_path + kPathSeparator + name; }

private:
    CString m_path;
};

// A string literal's bytes, NULs included.
template <size_t N> CString Bytes(const char (&literal)[N]) {
    return CString(literal, N - 1);
}

inline CString ReadBytes(const CString& path) { // "<missing>" when it cannot be read
    return reference::FileBytes(path);
}
void WriteBytes(const CString& path, const CString& bytes);
// Every file below folder by full path, with its bytes.
inline std::map<CString, CString> FilesBelow(const CString& folder) {
    reference::Result found;
    reference::Collect(folder, found);
    return found.files;
}
std::vector<CString> ListFolder(const CString& folder); // the names, sorted
// Calls visit with every sequence of up to most pieces, joined, shortest first.
template <typename Visit> void ForEachSequence(const std::vector<CString>& pieces, size_t most, Visit visit) {
    for (size_t count = 1, length = 0; length <= most; count *= pieces.size(), ++length)
        for (size_t n = 0; n < count; ++n) {
            CString text;
            for (size_t rest = n, i = 0; i < length; rest /= pieces.size(), ++i)
                text += pieces[rest % pieces.size()];
            visit(text);
        }
}
using reference::Stored;
// The log's lines without their line ends, less the header line and its empty line.
std::vector<CString> LogBody(const CString& log);

// A user profile of a test's own: its INI file below folder (POSIX), or a registry key under a
// company name of this run's own (Windows), so that nothing stored leaks between runs.
UserProfile ScratchProfile(const ScratchFolder& folder);

// The options and key texts the engine tests run with.
struct TestSettings : ChunkOptions {
    CString levelTags, nameKeys; // as typed into the toolbar fields
};
TestSettings& Settings();
// Resets the test settings to a fresh start's defaults with the given key texts.
void ResetSettings(const CString& levelTags = "topic", const CString& nameKeys = "title");
Chunker NewChunker(); // with the test settings as they are now

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
