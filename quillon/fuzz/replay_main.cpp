// Runs the fuzz target over the corpus, every prefix of each corpus file and
// a fixed number of seeded mutations, so that each test run repeats what the
// fuzzer found and a little more.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static void run(const QByteArray &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

int main(int argc, char **argv)
{
    std::mt19937 random(20260209);
    int inputs = 0;
    for (int a = 1; a < argc; ++a) {
        const QDir dir(QString::fromLocal8Bit(argv[a]));
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = f.readAll();
            for (qsizetype n = 0; n <= bytes.size(); n += 7)
                run(bytes.left(n));
            run(bytes);
            for (int m = 0; m < 200; ++m) {
                QByteArray mutated = bytes;
                const int edits = 1 + int(random() % 8);
                for (int e = 0; e < edits && !mutated.isEmpty(); ++e) {
                    const qsizetype at = qsizetype(random() % uint32_t(mutated.size()));
                    switch (random() % 3) {
                    case 0: mutated[at] = char(random() % 256); break;
                    case 1: mutated.remove(at, 1 + qsizetype(random() % 16)); break;
                    default: mutated.insert(at, mutated.mid(qsizetype(random() % uint32_t(mutated.size())), 12));
                    }
                }
                run(mutated);
            }
            ++inputs;
        }
    }
    std::printf("replayed %d corpus inputs\n", inputs);
    return inputs > 0 ? 0 : 1;
}
