// brevix-floor: the least work any splitter must do, as the benchmarks' yardstick. It reads the
// source in blocks of 1 MB and writes its bytes, in order, into COUNT files of about equal size
// with fopen/fwrite/fclose: no scanning, no naming, no text-mode conversion, and the same small
// memory at any source size.
//
// Equal slices of a documentation corpus are each a little under 4 KB, so each fills one page of
// the file system's cache, where chunks of the same mean size need half as many pages again (the
// kernel's work for a write grows with its pages). Given SIZES, a file of byte counts (one a
// line, as many as COUNT), the files get exactly those sizes instead: the sizes of a run's chunk
// files. Where their sum is more than the source (a preamble in every chunk), the source is read
// again from its start.
//
//   brevix-floor SOURCE OUTPUT_FOLDER COUNT [SIZES]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr size_t kBlock = 1 << 20;

int Fail(const std::string& what) {
    std::perror(what.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fputs("usage: brevix-floor SOURCE OUTPUT_FOLDER COUNT [SIZES]\n", stderr);
        return 2;
    }
    const std::string source = argv[1];
    const std::string folder = argv[2];
    const uint64_t count = std::strtoull(argv[3], nullptr, 10);
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (in == nullptr) return Fail(source);
    struct stat info;
    if (fstat(fileno(in), &info) != 0) return Fail(source);
    if (count == 0) return 0;
    const uint64_t total = static_cast<uint64_t>(info.st_size);
    const uint64_t slice = total / count;
    std::vector<uint64_t> sizes;
    if (argc == 5) {
        std::FILE* list = std::fopen(argv[4], "r");
        if (list == nullptr) return Fail(argv[4]);
        unsigned long long size;
        while (std::fscanf(list, "%llu", &size) == 1)
            sizes.push_back(size);
        std::fclose(list);
        if (sizes.size() != count) return Fail(std::string(argv[4]) + ": not COUNT sizes");
    }

    std::vector<char> block(kBlock);
    size_t have = 0, used = 0; // bytes in the block, bytes of them written
    char name[32];
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t left = !sizes.empty() ? sizes[i] : (i + 1 == count) ? total - i * slice : slice;
        std::snprintf(name, sizeof name, "/f%07llu.xml", static_cast<unsigned long long>(i));
        const std::string path = folder + name;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) return Fail(path);
        bool ok = true;
        while (left > 0 && ok) {
            if (used == have) {
                have = std::fread(block.data(), 1, block.size(), in);
                used = 0;
                if (have == 0 && !sizes.empty()) { // more to write than the source holds
                    std::rewind(in);
                    have = std::fread(block.data(), 1, block.size(), in);
                }
                if (have == 0) return Fail(source + ": shorter than it was");
            }
            size_t part = static_cast<size_t>(std::min<uint64_t>(left, have - used));
            ok = std::fwrite(block.data() + used, 1, part, out) == part;
            used += part;
            left -= part;
        }
        if (std::fclose(out) != 0 || !ok) return Fail(path);
    }
    std::fclose(in);
    return 0;
}
