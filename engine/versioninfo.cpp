#include "versioninfo.h"

#include <QHash>
#include <QStringList>

namespace pw {

namespace {

using Section = QHash<QString, QString>;   // lower-case key -> value

// A small INI reader of its own: the text comes from the network, not from a file
// the private-profile functions could read.
bool parseIni(const QByteArray &text, QHash<QString, Section> &sections, QString *why)
{
    QString current;
    int lineNo = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']'))) {
                if (why)
                    *why = QStringLiteral("line %1: unterminated section header").arg(lineNo);
                return false;
            }
            current = line.mid(1, line.size() - 2).trimmed().toLower();
            sections[current];
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || current.isEmpty()) {
            if (why)
                *why = QStringLiteral("line %1: not a setting").arg(lineNo);
            return false;
        }
        sections[current].insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
    return true;
}

bool fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

bool flag(const Section &s, const char *key)
{
    const QString v = s.value(QLatin1String(key)).toLower();
    return v == QLatin1String("1") || v == QLatin1String("yes") || v == QLatin1String("true");
}

} // namespace

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0))
           && !name.startsWith(QLatin1Char('.'));
}

bool isPlainVersion(const QString &version)
{
    if (!isPlainFileName(version) || version.size() > 100)
        return false;
    for (QChar c : version) {
        const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                             || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('.')
                             || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('+');
        if (!allowed)
            return false;
    }
    return true;
}

bool parseVersionInfo(const QByteArray &text, VersionInfo &info, QString *why)
{
    info = VersionInfo();
    if (text.size() > kMaxVersionFileBytes)
        return fail(why, QStringLiteral("version file too large"));
    QHash<QString, Section> sections;
    if (!parseIni(text, sections, why))
        return false;
    if (!sections.contains(QStringLiteral("update")))
        return fail(why, QStringLiteral("no [Update] section"));
    const Section &u = sections[QStringLiteral("update")];
    info.product = u.value(QStringLiteral("product"));
    info.version = u.value(QStringLiteral("version"));
    info.date = u.value(QStringLiteral("date"));
    info.readme = u.value(QStringLiteral("readme"));
    info.browser = flag(u, "browser");
    info.browserPage = u.value(QStringLiteral("browserpage"));
    info.restart = flag(u, "restart");
    info.userStep = flag(u, "userstep");
    if (info.version.isEmpty())
        return fail(why, QStringLiteral("no version"));
    if (!isPlainVersion(info.version))
        return fail(why, QStringLiteral("version is not a plain name (digits, letters, \".\", \"-\", \"_\", \"+\")"));
    if (!info.readme.isEmpty() && !isPlainFileName(info.readme))
        return fail(why, QStringLiteral("readme name is not a plain file name"));
    if (info.browser && info.browserPage.isEmpty())
        return fail(why, QStringLiteral("browser update without a page"));
    bool ok = false;
    const int files = u.value(QStringLiteral("files"), QStringLiteral("0")).toInt(&ok);
    if (!ok || files < 0 || files > 1000)
        return fail(why, QStringLiteral("bad file count"));
    if (files == 0 && !info.browser)
        return fail(why, QStringLiteral("an update without files"));
    for (int i = 1; i <= files; ++i) {
        const QString name = QStringLiteral("file%1").arg(i);
        if (!sections.contains(name))
            return fail(why, QStringLiteral("no [File%1] section").arg(i));
        const Section &s = sections[name];
        UpdateFile f;
        f.name = s.value(QStringLiteral("name"));
        if (!isPlainFileName(f.name))
            return fail(why, QStringLiteral("file %1: name is not a plain file name").arg(i));
        f.size = s.value(QStringLiteral("size")).toLongLong(&ok);
        if (!ok || f.size < 0)
            return fail(why, QStringLiteral("file %1: bad size").arg(i));
        f.sha256 = QByteArray::fromHex(s.value(QStringLiteral("sha256")).toLatin1());
        if (f.sha256.size() != 32 || s.value(QStringLiteral("sha256")).size() != 64)
            return fail(why, QStringLiteral("file %1: bad SHA-256 digest").arg(i));
        for (const UpdateFile &other : info.files)
            if (other.name.compare(f.name, Qt::CaseInsensitive) == 0)
                return fail(why, QStringLiteral("file %1: named twice").arg(i));
        info.files.push_back(f);
    }
    return true;
}

int compareVersions(const QString &a, const QString &b)
{
    const QStringList pa = a.split(QLatin1Char('.'));
    const QStringList pb = b.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < qMax(pa.size(), pb.size()); ++i) {
        const QString x = i < pa.size() ? pa[i].trimmed() : QStringLiteral("0");
        const QString y = i < pb.size() ? pb[i].trimmed() : QStringLiteral("0");
        bool okx = false, oky = false;
        const qulonglong nx = x.toULongLong(&okx), ny = y.toULongLong(&oky);
        int c = 0;
        if (okx && oky)
            c = nx < ny ? -1 : nx > ny ? 1 : 0;
        else
            c = x.compare(y, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

} // namespace pw
