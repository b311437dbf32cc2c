// What the fuzz targets share: a private temporary folder per input, whole-file reads and
// writes, and the failure report that stops the fuzzer (or the replay).
#pragma once

#include <string>

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

// Reports a broken invariant and aborts, so that the fuzzer keeps the input as a crash.
[[noreturn]] void FuzzFail(const std::string& what);
