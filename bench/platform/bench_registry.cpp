// Speed of the registry store on a store of 100,000 values across 1,000 keys
// (half texts, half numbers), in a root of its own:
//   ParseStore              the parser alone on the store's text
//   ReadAfterAnotherWrite   the first read after another process changed the
//                           file: read, parse and answer one value
//   ReadCached              a read of an unchanged store
//   WriteOneValue           one value changed: lock, write the whole file, fsync, rename
//   ParseOneKey/N           one key with N values (each name looked up while parsing)
//   IniWriteOneValue        one line changed in an INI file of 100,000 lines
//
//   bench_registry [--benchmark_filter=...]
#include "inifile.h"
#include "registry.h"
#include "registryfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kKeys = 1000;
constexpr int kValuesPerKey = 100;
const QString kRoot = QStringLiteral("HKEY_LOCAL_MACHINE");

QString keyName(int k) { return QStringLiteral("Software\\Varnel\\Patchwell\\Products\\Product%1").arg(k, 4, 10, QLatin1Char('0')); }

QByteArray storeText()
{
    reg::RegTree tree;
    for (int k = 0; k < kKeys; ++k) {
        reg::RegKey &key = tree.create(keyName(k));
        for (int v = 0; v < kValuesPerKey; ++v) {
            reg::RegValue value;
            value.name = QStringLiteral("Setting%1").arg(v);
            if (v % 2) {
                value.type = reg::RegValue::Dword;
                value.dword = quint32(k * v);
            } else {
                value.text = QStringLiteral("c:\\Program Files\\Varnel\\Patchwell\\%1\\%2").arg(k).arg(v);
            }
            key.setValue(value, false);
        }
    }
    return reg::formatRegistryText(tree, kRoot);
}

// A root of its own holding the store.
struct Store {
    QTemporaryDir dir;
    QString file;
    QByteArray text;
    Store()
    {
        qputenv("TALLYLINE_ROOT", QFile::encodeName(dir.path()));
        file = dir.path() + QStringLiteral("/registry/HKEY_LOCAL_MACHINE.reg");
        text = storeText();
        reset();
    }
    void reset()
    {
        QDir().mkpath(dir.path() + QStringLiteral("/registry"));
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
    }
    // What another process's write looks like to this one: the file changed.
    void touch(long n)
    {
        const timespec times[2] = {{0, UTIME_OMIT}, {1000000 + n, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0);
    }
};

Store &store()
{
    static Store s;
    return s;
}

void ParseStore(benchmark::State &state)
{
    const QByteArray &text = store().text;
    for (auto _ : state) {
        reg::RegTree tree;
        QString error;
        benchmark::DoNotOptimize(reg::parseRegistryText(text, kRoot, tree, &error));
    }
    state.counters["values/s"] = benchmark::Counter(double(kKeys) * kValuesPerKey, benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

void ReadAfterAnotherWrite(benchmark::State &state)
{
    Store &s = store();
    s.reset();
    long n = 0;
    for (auto _ : state) {
        s.touch(++n);
        const auto v = reg::readDword(RegRoot::LocalMachine, keyName(int(n % kKeys)), QStringLiteral("Setting7"));
        if (!v)
            state.SkipWithError("value missing");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * s.text.size());
}

void ReadCached(benchmark::State &state)
{
    store().reset();
    long n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(reg::readString(RegRoot::LocalMachine, keyName(int(++n % kKeys)), QStringLiteral("Setting8")));
}

void WriteOneValue(benchmark::State &state)
{
    store().reset();
    quint32 n = 0;
    for (auto _ : state) {
        ++n;
        if (!reg::writeDword(RegRoot::LocalMachine, keyName(int(n % kKeys)), QStringLiteral("Setting1"), n))
            state.SkipWithError("write failed");
    }
}

void ParseOneKey(benchmark::State &state)
{
    QByteArray text = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Many]\n";
    for (int i = 0; i < state.range(0); ++i)
        text += "\"Value" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(i, 16) + "\n";
    for (auto _ : state) {
        reg::RegTree tree;
        QString error;
        benchmark::DoNotOptimize(reg::parseRegistryText(text, kRoot, tree, &error));
    }
}

void IniWriteOneValue(benchmark::State &state)
{
    store();   // the root
    const QString file = QStringLiteral("c:\\bench.ini");
    QByteArray text;
    for (int s = 0; s < 1000; ++s) {
        text += "[Section" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 100; ++k)
            text += "Key" + QByteArray::number(k) + "=value " + QByteArray::number(s * k) + "\r\n";
    }
    QDir().mkpath(store().dir.path() + QStringLiteral("/drive_c"));
    QFile f(store().dir.path() + QStringLiteral("/drive_c/bench.ini"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text);
    f.close();
    int n = 0;
    for (auto _ : state) {
        ++n;
        if (!WritePrivateProfileString(QStringLiteral("Section%1").arg(n % 1000), QStringLiteral("Key50"), QString::number(n), file))
            state.SkipWithError("write failed");
    }
}

} // namespace

BENCHMARK(ParseStore)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAfterAnotherWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteOneValue)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseOneKey)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(IniWriteOneValue)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
