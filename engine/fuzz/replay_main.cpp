// Runs the fuzz target over a corpus on every test run: each file as it is,
// cut short at 64 lengths, and a fixed number of seeded mutations, so
// that a crash found once stays found without a fuzzing session.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void feed(const QByteArray &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QList<QByteArray> corpus;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                corpus << f.read(1 << 20);
        }
    }
    // Whole inputs as the target splits them: version file, signature, keys.
    const int files = int(corpus.size());
    for (int i = 0; i + 1 < files; ++i)
        corpus << corpus[i] + '\0' + corpus[i + 1] + '\0' + corpus[(i + 2) % files];
    QRandomGenerator random(20261209);
    int runs = 0;
    for (const QByteArray &input : corpus) {
        feed(input);
        const qsizetype step = qMax<qsizetype>(1, input.size() / 64);
        for (qsizetype n = 0; n < input.size(); n += step, ++runs)
            feed(input.left(n));
        for (int m = 0; m < 100; ++m, ++runs) {
            QByteArray mutated = input;
            const int edits = 1 + int(random.bounded(4));
            for (int e = 0; e < edits && !mutated.isEmpty(); ++e) {
                const qsizetype at = qsizetype(random.bounded(quint32(mutated.size())));
                switch (random.bounded(3)) {
                case 0: mutated[at] = char(random.bounded(256)); break;
                case 1: mutated.remove(at, 1 + qsizetype(random.bounded(8))); break;
                default: mutated.insert(at, mutated.mid(qsizetype(random.bounded(quint32(mutated.size()))), 16));
                }
            }
            feed(mutated);
        }
    }
    std::printf("%d inputs from %d files\n", runs + int(corpus.size()), files);
    return 0;
}
