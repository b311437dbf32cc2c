#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) FuzzFail("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolder(const std::string& path) {
    std::error_code error;
    if (!fs::create_directory(path, error)) FuzzFail("cannot create " + path);
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListFilesRecursively(const std::string& folder) {
    std::vector<std::string> paths;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> SplitLogLines(const std::string& log) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    if (start < log.size()) lines.push_back(log.substr(start));
    return lines;
}

void FuzzFail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}
