// Runs the fuzz target without libFuzzer: every file given (or found in the
// directories given), each of its truncations, and seeded random mutations.
// Deterministic, so a failure repeats; the seed and input are printed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void run(const std::string &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
}

std::string mutate(std::string input, std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    static const char *const pieces[] = {"\n", "\r\n", "> ", "407: ", "@language ", "@format 2", "\\",
                                         "\\x", "%s", "%d", "%", "\xC3", "\xEF\xBB\xBF", "#", ":"};
    const int steps = 1 + int(random() % 4);
    for (int s = 0; s < steps; ++s) {
        const size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 4) {
        case 0:
            if (!input.empty() && at < input.size())
                input[at] = char(byte(random));
            break;
        case 1:
            input.insert(at, pieces[random() % (sizeof pieces / sizeof *pieces)]);
            break;
        case 2:
            if (at < input.size())
                input.erase(at, 1 + random() % 8);
            break;
        default:
            input.insert(at, 1, char(byte(random)));
        }
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(path);
        }
        std::sort(files.begin(), files.end());
        for (const auto &file : files) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            inputs.push_back(content.str());
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: translation_fuzz_replay <corpus file or directory>...\n");
        return 2;
    }

    std::mt19937 random(20240501);
    size_t runs = 0;
    for (const std::string &input : inputs) {
        run(input);
        for (size_t cut = 0; cut < input.size(); cut += 1 + input.size() / 200, ++runs)
            run(input.substr(0, cut));
        for (int m = 0; m < 500; ++m, ++runs)
            run(mutate(input, random));
    }
    std::uniform_int_distribution<int> byte(0, 255);
    for (int r = 0; r < 500; ++r, ++runs) {
        std::string noise(random() % 512, '\0');
        for (char &c : noise)
            c = char(byte(random));
        run(noise);
    }
    std::printf("translation_fuzz_replay: %zu inputs survived\n", runs + inputs.size());
    return 0;
}
