// Runs the fuzz entry over files and directories of inputs: keeps the
// kept corpus exercised in builds without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int run_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    std::size_t files = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    failures += run_file(entry.path());
                    ++files;
                }
            }
        } else {
            failures += run_file(arg);
            ++files;
        }
    }
    std::printf("replayed %zu inputs\n", files);
    return failures == 0 && files > 0 ? 0 : 1;
}
