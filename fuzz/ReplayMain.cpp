// Replays a fuzz target's corpus without libFuzzer: every file named on the command line, and
// every file in every folder named there, goes through LLVMFuzzerTestOneInput once, in name
// order. A broken invariant aborts, so the run fails as a test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::set<fs::path> inputs;
    for (int i = 1; i < argc; ++i)
        if (!fs::is_directory(argv[i]))
            inputs.insert(argv[i]);
        else
            for (const fs::directory_entry& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file()) inputs.insert(entry.path());
    for (const fs::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad() || !in.is_open()) return std::fprintf(stderr, "cannot read %s\n", path.c_str()), 1;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? (std::fprintf(stderr, "no inputs to replay\n"), 1) : 0;
}
