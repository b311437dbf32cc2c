#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

FuzzSandbox::FuzzSandbox() {
    const char* base = std::getenv("BREVIX_FUZZ_TMP");
    std::string pattern = (base != nullptr ? fs::path(base) : fs::temp_directory_path()) / "brevix-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) FuzzFail("cannot create a temporary folder");
    m_root = pattern;
}

FuzzSandbox::~FuzzSandbox() {
    std::error_code error;
    fs::remove_all(m_root, error);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) FuzzFail("cannot write " + path);
}

void FuzzFail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}
