// libFuzzer target for the registry file parser (files on disk may be edited
// by hand or damaged). Whatever parses must write back to text that parses to
// the same tree.
#include "registryfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
    reg::RegTree tree;
    QString error;
    if (!reg::parseRegistryText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), root, tree, &error))
        return 0;
    reg::RegTree again;
    if (!reg::parseRegistryText(reg::formatRegistryText(tree, root), root, again, &error) || !(again == tree))
        std::abort();
    return 0;
}
