// brevix-floor: the least work any splitter must do, as the benchmarks' yardstick. It reads the
// source whole and writes its bytes, in order, into COUNT files of about equal size with
// fopen/fwrite/fclose: no scanning, no naming, no text-mode conversion.
//
//   brevix-floor SOURCE OUTPUT_FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

bool ReadWhole(const char* path, std::vector<char>& data) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    struct stat info;
    if (fstat(fileno(file), &info) != 0) {
        std::fclose(file);
        return false;
    }
    data.resize(static_cast<size_t>(info.st_size));
    size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    return got == data.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: brevix-floor SOURCE OUTPUT_FOLDER COUNT\n", stderr);
        return 2;
    }
    std::vector<char> data;
    if (!ReadWhole(argv[1], data)) {
        std::perror(argv[1]);
        return 1;
    }
    const std::string folder = argv[2];
    const size_t count = std::strtoul(argv[3], nullptr, 10);
    if (count == 0) return 0;
    const size_t slice = data.size() / count;
    char name[32];
    for (size_t i = 0; i < count; ++i) {
        size_t begin = i * slice;
        size_t size = (i + 1 == count) ? data.size() - begin : slice;
        std::snprintf(name, sizeof name, "/f%07zu.xml", i);
        std::string path = folder + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            std::perror(path.c_str());
            return 1;
        }
        bool ok = std::fwrite(data.data() + begin, 1, size, file) == size;
        if (std::fclose(file) != 0 || !ok) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
