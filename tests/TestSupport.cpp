#include "TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    static std::mt19937 random(std::random_device{}());
    std::error_code error;
    do
        m_path = (fs::temp_directory_path() / ("brevix-test-" + std::to_string(random()))).string();
    while (!fs::create_directory(m_path, error));
}

void WriteBytes(const CString& path, const CString& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<CString> ListFolder(const CString& folder) {
    std::vector<CString> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<CString> LogBody(const CString& log) {
    std::vector<CString> lines;
    const size_t step = std::strlen(kLineEnd);
    for (size_t start = 0, end; start < log.size(); start = end + step) {
        end = std::min(log.find(kLineEnd, start), log.size());
        lines.push_back(log.substr(start, end - start));
    }
    lines.erase(lines.begin(), lines.begin() + std::min<size_t>(2, lines.size()));
    return lines;
}

TestSettings& Settings() {
    static TestSettings settings;
    return settings;
}

UserProfile ScratchProfile([[maybe_unused]] const ScratchFolder& folder) {
#ifndef _WIN32
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
#endif
    UserProfile profile("VellacorTest" + std::to_string(std::random_device{}()), "Brevix");
#ifndef _WIN32
    ::unsetenv("XDG_CONFIG_HOME");
#endif
    return profile;
}

void ResetSettings(const CString& levelTags, const CString& nameKeys) {
    static_cast<ChunkOptions&>(Settings()) = ChunkOptions::Defaults();
    Settings().levelTags = levelTags;
    Settings().nameKeys = nameKeys;
}

Chunker NewChunker() {
    return Chunker(Settings(), Settings().levelTags, Settings().nameKeys);
}

CString EngineTest::Run(const CString& source) {
    WriteBytes(m_source, source);
    fs::create_directories(m_out);
    Chunker chunker = NewChunker();
    CString log = chunker.Process(m_source, m_out);
    m_failed = chunker.HadFailure();
    return log;
}
