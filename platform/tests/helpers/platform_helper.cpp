// Second process for the platform tests. Usage: tlplatform_helper <mode> <args...>
//   regwrite <key> <prefix> <count>   writes <prefix>0..<count-1> as dwords under HKLM\<key>
//   regloop <key>                     rewrites a large value under HKLM\<key> until killed

#include "registry.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int regWrite(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    const int count = std::atoi(argv[4]);
    for (int i = 0; i < count; ++i)
        if (!reg::writeDword(RegRoot::LocalMachine, key, prefix + QString::number(i), quint32(i)))
            return 1;
    return 0;
}

int regLoop(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QString filler(20000, QLatin1Char('x'));
    for (quint32 i = 0;; ++i) {
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("big%1").arg(i % 50), filler + QString::number(i));
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const char *mode = argv[1];
    if (!std::strcmp(mode, "regwrite"))
        return regWrite(argc, argv);
    if (!std::strcmp(mode, "regloop"))
        return regLoop(argc, argv);
    return 2;
}
