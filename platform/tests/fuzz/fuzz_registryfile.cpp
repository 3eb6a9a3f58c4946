// libFuzzer target for the registry file parser (files on disk may be edited
// by hand or damaged). The first byte picks how the rest is read: as it is,
// behind the old "REGEDIT4" header (read in the ANSI code page), or with CRLF
// line ends. Whatever parses, a damaged file's kept part included, must write
// back to text that parses cleanly to the same tree with the same line ends,
// and every value must be found again by its name.
#include "registryfile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(const QByteArray &data)
{
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
    reg::RegTree tree;
    QString error;
    const bool clean = reg::parseRegistryText(data, root, tree, &error);
    if (!clean && error.isEmpty())
        std::abort();
    for (const reg::RegKey &key : tree.keys())
        for (const reg::RegValue &value : key.values())
            if (key.findValue(value.name) != &value)
                std::abort();
    reg::RegTree again;
    const QByteArray text = reg::formatRegistryText(tree, root);
    if (!reg::parseRegistryText(text, root, again, &error) || !(again == tree) || again.crlf != tree.crlf)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0: break;
    case 1: input.prepend("REGEDIT4\n"); break;
    default: input.replace("\n", "\r\n"); break;
    }
    check(input);
    return 0;
}
