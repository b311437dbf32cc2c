// What the fuzz targets share: a private temporary folder per input, whole-file reads and
// writes, folder listings, and the failure report that stops the fuzzer (or the replay).
#pragma once

#include <string>
#include <vector>

// A fresh folder under the temporary folder ($BREVIX_FUZZ_TMP, else the system's), removed with
// everything in it when the sandbox ends.
class FuzzSandbox {
public:
    FuzzSandbox();
    ~FuzzSandbox();
    const std::string& Root() const { return m_root; }

    FuzzSandbox(const FuzzSandbox&) = delete;
    FuzzSandbox& operator=(const FuzzSandbox&) = delete;

private:
    std::string m_root;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
void MakeFolder(const std::string& path);
// The names in folder, sorted.
std::vector<std::string> ListFolder(const std::string& folder);
// The paths of every regular file below folder, sorted.
std::vector<std::string> ListFilesRecursively(const std::string& folder);
// The lines of a process log (each ended by CR LF).
std::vector<std::string> SplitLogLines(const std::string& log);

// Reports a broken invariant and aborts, so that the fuzzer keeps the input as a crash.
[[noreturn]] void FuzzFail(const std::string& what);
