// tldictc: compiles the dictionary source files (resources/dictionary/*.txt)
// into the one dictionary file the programs read.
//
//   tldictc -o pd30dic.mld common.txt portdeck.txt quillon.txt ...
//
// Every problem is printed as "file:line: message"; any problem fails the
// build and leaves no output file behind, so a broken text never ships.

#include "dictformat.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool readFile(const std::string &path, std::string &content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return true;
}

// Written beside the target and renamed, so an interrupted build never
// leaves a half-written dictionary that looks current.
bool writeFile(const std::string &path, const std::string &content)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !(out << content) || !out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int usage()
{
    std::cerr << "usage: tldictc -o <output> <source.txt>...\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string output;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            return usage();
        else
            inputs.push_back(arg);
    }
    if (output.empty() || inputs.empty())
        return usage();

    // Name order, so the output does not depend on the order the build lists them in.
    std::sort(inputs.begin(), inputs.end());

    std::vector<tl::dictformat::Problem> problems;
    std::vector<tl::dictformat::Document> documents;
    for (const std::string &path : inputs) {
        std::string content;
        if (!readFile(path, content)) {
            problems.push_back({path, 0, "cannot be read"});
            continue;
        }
        documents.push_back(tl::dictformat::parse(content, path, problems));
    }
    const tl::dictformat::Document merged = tl::dictformat::merge(documents, problems);
    if (merged.languages.empty())
        problems.push_back({inputs.front(), 0, "no language is declared (\"@language <hex id> <name>\")"});

    for (const auto &problem : problems)
        std::cerr << problem.text() << "\n";
    if (!problems.empty()) {
        std::cerr << "tldictc: " << problems.size() << " problem(s); " << output << " not written\n";
        std::remove(output.c_str());
        return 1;
    }

    // A text without a translation shows in English; worth a note, not a failure,
    // since new texts land before their translations do.
    for (const auto &entry : merged.entries) {
        for (const auto &language : merged.languages) {
            const bool present = std::any_of(entry.translations.begin(), entry.translations.end(),
                                             [&](const auto &t) { return t.language == language.id; });
            if (!present)
                std::cerr << entry.file << ":" << entry.line << ": note: no translation for "
                          << language.name << "\n";
        }
    }

    if (!writeFile(output, tl::dictformat::write(merged))) {
        std::cerr << "tldictc: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
