// libFuzzer target for the INI text model (language and registration files
// may be edited by hand, in any encoding). A file must write back byte for
// byte; a value written must read back, and a write must leave every other
// line's bytes as they were.
#include "initext.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    IniText ini = IniText::parse(input);
    if (ini.bytes() != input)
        std::abort();

    // Names from the file itself, so that existing sections and keys are hit.
    const QStringList sections = ini.sectionNames();
    QString section = sections.isEmpty() ? QStringLiteral("Fuzz") : sections.value(int(size % sections.size()));
    if (section.isEmpty() || section.contains(QLatin1Char(']')))
        section = QStringLiteral("Fuzz");
    const QString key = QStringLiteral("Key\u00e9");
    // A value that fits the ANSI code page, or one that does not.
    const QString value = size % 2 ? QStringLiteral("v\u00fc") : QStringLiteral("v\u20ac");

    ini.setValue(section, key, value);
    const QByteArray written = ini.bytes();
    IniText again = IniText::parse(written);
    QString read;
    if (!again.lookup(section, key, read) || read != value)
        std::abort();
    // One line changed or added: what differs of the old file lies within one line.
    qsizetype head = 0;
    while (head < input.size() && head < written.size() && input[head] == written[head])
        ++head;
    qsizetype tail = 0;
    while (tail < input.size() - head && tail < written.size() - head
           && input[input.size() - 1 - tail] == written[written.size() - 1 - tail])
        ++tail;
    if (input.mid(head, input.size() - head - tail).contains('\n'))
        std::abort();

    const qsizetype sectionCount = again.sectionNames().size();
    again.removeSection(section);
    if (IniText::parse(again.bytes()).sectionNames().size() != sectionCount - 1)
        std::abort();
    return 0;
}
