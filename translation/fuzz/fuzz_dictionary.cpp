// Fuzz target for the dictionary format: any bytes must parse without a crash,
// and a dictionary that parsed cleanly must survive being written and read
// back unchanged (the compiler writes what the programs read).

#include "dictformat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool sameDocument(const tl::dictformat::Document &a, const tl::dictformat::Document &b)
{
    if (a.languages.size() != b.languages.size() || a.entries.size() != b.entries.size())
        return false;
    for (size_t i = 0; i < a.languages.size(); ++i)
        if (a.languages[i].id != b.languages[i].id || a.languages[i].name != b.languages[i].name)
            return false;
    for (size_t i = 0; i < a.entries.size(); ++i) {
        const auto &x = a.entries[i];
        const auto &y = b.entries[i];
        if (x.source != y.source || x.translations.size() != y.translations.size())
            return false;
        for (size_t k = 0; k < x.translations.size(); ++k)
            if (x.translations[k].language != y.translations[k].language ||
                x.translations[k].text != y.translations[k].text)
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tl::dictformat;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::vector<Problem> problems;
    const Document merged = merge({parse(bytes, "input", problems)}, problems);
    for (const Problem &p : problems)
        (void)p.text();
    (void)conversions(bytes);
    if (!problems.empty())
        return 0;

    const std::string written = write(merged);
    std::vector<Problem> again;
    const Document reread = merge({parse(written, "written", again)}, again);
    if (!again.empty() || !sameDocument(merged, reread))
        std::abort();
    return 0;
}
