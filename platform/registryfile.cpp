#include "registryfile.h"

#include <QStringDecoder>
#include <QStringList>

namespace reg {

namespace {

const QLatin1String kHeader("Windows Registry Editor Version 5.00");
const QLatin1String kOldHeader("REGEDIT4");

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Reads a quoted text starting at pos (which holds the opening quote). Besides the
// export format's \\ and \" we read \n and \r, which our writer uses so that a
// value with a line break cannot break the file. Returns false when unterminated.
bool readQuoted(const QString &line, qsizetype &pos, QString &out)
{
    out.clear();
    ++pos;
    while (pos < line.size()) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\') && pos + 1 < line.size()) {
            const QChar n = line[pos + 1];
            if (n == QLatin1Char('\\') || n == QLatin1Char('"')) {
                out += n;
                pos += 2;
                continue;
            }
            if (n == QLatin1Char('n') || n == QLatin1Char('r')) {
                out += n == QLatin1Char('n') ? QLatin1Char('\n') : QLatin1Char('\r');
                pos += 2;
                continue;
            }
        }
        out += c;
        ++pos;
    }
    return false;
}

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

bool onlyBlanks(const QString &line, qsizetype from)
{
    for (qsizetype i = from; i < line.size(); ++i)
        if (!line[i].isSpace())
            return false;
    return true;
}

bool decodeText(const QByteArray &data, QString &text)
{
    if (data.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        text = decoder(data.mid(2));
        return !decoder.hasError();
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
    return !decoder.hasError();
}

struct Parser {
    const QString &rootName;
    RegTree &tree;
    QString error;
    int lineNo = 0;
    RegKey *key = nullptr;

    bool fail(const QString &why)
    {
        error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return false;
    }

    bool section(const QString &line)
    {
        if (!line.endsWith(QLatin1Char(']')))
            return fail(QStringLiteral("key header without closing bracket"));
        const QString inner = line.mid(1, line.size() - 2);
        if (!inner.startsWith(rootName, Qt::CaseInsensitive)
            || (inner.size() > rootName.size() && inner[rootName.size()] != QLatin1Char('\\')))
            return fail(QStringLiteral("key outside %1").arg(rootName));
        key = &tree.create(inner.mid(rootName.size()));
        return true;
    }

    bool value(const QString &line, const QStringList &lines, int &index)
    {
        if (!key)
            return fail(QStringLiteral("value before the first key"));
        RegValue v;
        qsizetype pos = 0;
        if (line[0] == QLatin1Char('@')) {
            pos = 1;
        } else if (!readQuoted(line, pos, v.name)) {
            return fail(QStringLiteral("unterminated value name"));
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(QStringLiteral("value without '='"));
        ++pos;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        const QString rest = line.mid(pos);
        if (rest.startsWith(QLatin1Char('"'))) {
            v.type = RegValue::String;
            if (!readQuoted(line, pos, v.text))
                return fail(QStringLiteral("unterminated text"));
            if (!onlyBlanks(line, pos))
                return fail(QStringLiteral("characters after the text"));
        } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString digits = rest.mid(6).trimmed();
            bool ok = false;
            const uint number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+')))
                return fail(QStringLiteral("bad dword value"));
            v.type = RegValue::Dword;
            v.dword = number;
        } else {
            // Binary and other types are kept as written, continuation lines included.
            QString raw = rest.trimmed();
            while (raw.endsWith(QLatin1Char('\\')) && index + 1 < lines.size()) {
                raw += QLatin1Char('\n') + lines[++index].trimmed();
                ++lineNo;
            }
            if (raw.isEmpty() || raw == QLatin1String("-") || raw.endsWith(QLatin1Char('\\')))
                return fail(QStringLiteral("bad value"));
            v.type = RegValue::Other;
            v.text = raw;
        }
        if (RegValue *existing = key->findValue(v.name))
            *existing = v;
        else
            key->values.append(v);
        return true;
    }
};

} // namespace

RegValue *RegKey::findValue(const QString &name)
{
    for (RegValue &v : values)
        if (sameName(v.name, name))
            return &v;
    return nullptr;
}

const RegValue *RegKey::findValue(const QString &name) const
{
    return const_cast<RegKey *>(this)->findValue(name);
}

QString RegTree::normalizePath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

QString RegTree::foldedPath(const QString &path)
{
    return normalizePath(path).toCaseFolded();
}

const RegKey *RegTree::find(const QString &path) const
{
    const QString folded = foldedPath(path);
    if (folded.isEmpty() && !keys_.contains(folded)) {
        static const RegKey emptyRoot;
        return &emptyRoot;
    }
    auto it = keys_.constFind(folded);
    return it == keys_.constEnd() ? nullptr : &it.value();
}

RegKey *RegTree::find(const QString &path)
{
    const QString folded = foldedPath(path);
    if (folded.isEmpty())
        return &create(QString());
    auto it = keys_.find(folded);
    return it == keys_.end() ? nullptr : &it.value();
}

RegKey &RegTree::create(const QString &path)
{
    const QStringList parts = normalizePath(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString folded;
    QString stored;
    RegKey *key = &keys_[QString()];
    for (const QString &part : parts) {
        if (!folded.isEmpty()) {
            folded += QLatin1Char('\\');
            stored += QLatin1Char('\\');
        }
        folded += part.toCaseFolded();
        auto it = keys_.find(folded);
        if (it == keys_.end()) {
            stored += part;
            it = keys_.insert(folded, RegKey{stored, {}});
        } else {
            stored = it.value().path;
        }
        key = &it.value();
    }
    return *key;
}

bool RegTree::remove(const QString &path)
{
    const QString folded = foldedPath(path);
    if (folded.isEmpty() || !keys_.contains(folded))
        return false;
    const QString prefix = folded + QLatin1Char('\\');
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it.key() == folded || it.key().startsWith(prefix))
            it = keys_.erase(it);
        else
            ++it;
    }
    return true;
}

QStringList RegTree::children(const QString &path) const
{
    const QString folded = foldedPath(path);
    const QString prefix = folded.isEmpty() ? QString() : folded + QLatin1Char('\\');
    QStringList names;
    for (auto it = keys_.lowerBound(prefix); it != keys_.end(); ++it) {
        if (!it.key().startsWith(prefix))
            break;
        const QString rest = it.key().mid(prefix.size());
        if (rest.isEmpty() || rest.contains(QLatin1Char('\\')))
            continue;
        const QString &stored = it.value().path;
        names.append(stored.mid(stored.lastIndexOf(QLatin1Char('\\')) + 1));
    }
    return names;
}

bool RegTree::operator==(const RegTree &other) const
{
    auto meaningful = [](const QMap<QString, RegKey> &keys) {
        QMap<QString, RegKey> copy = keys;
        if (copy.contains(QString()) && copy.value(QString()).values.isEmpty())
            copy.remove(QString());
        return copy;
    };
    const auto a = meaningful(keys_);
    const auto b = meaningful(other.keys_);
    if (a.size() != b.size())
        return false;
    for (auto it = a.begin(), jt = b.begin(); it != a.end(); ++it, ++jt) {
        if (it.key() != jt.key() || it->path != jt->path || it->values.size() != jt->values.size())
            return false;
        for (qsizetype i = 0; i < it->values.size(); ++i) {
            const RegValue &x = it->values[i];
            const RegValue &y = jt->values[i];
            if (x.name != y.name || x.type != y.type || x.text != y.text || x.dword != y.dword)
                return false;
        }
    }
    return true;
}

bool parseRegistryText(const QByteArray &data, const QString &rootName, RegTree &tree,
                       QString *error)
{
    tree = RegTree();
    QString text;
    Parser parser{rootName, tree, {}};
    bool ok = decodeText(data, text);
    if (!ok)
        parser.error = QStringLiteral("not valid text");
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool headerSeen = false;
    for (int i = 0; ok && i < lines.size(); ++i) {
        parser.lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!headerSeen) {
            headerSeen = trimmed == kHeader || trimmed == kOldHeader;
            ok = headerSeen || parser.fail(QStringLiteral("missing header line"));
        } else if (trimmed.startsWith(QLatin1Char(';'))) {
            continue;
        } else if (trimmed.startsWith(QLatin1Char('['))) {
            ok = parser.section(trimmed);
        } else if (trimmed.startsWith(QLatin1Char('"')) || trimmed.startsWith(QLatin1Char('@'))) {
            ok = parser.value(trimmed, lines, i);
        } else {
            ok = parser.fail(QStringLiteral("unreadable line"));
        }
    }
    if (ok && !headerSeen)
        ok = parser.fail(QStringLiteral("missing header line"));
    if (!ok) {
        tree = RegTree();
        if (error)
            *error = parser.error;
    }
    return ok;
}

QByteArray formatRegistryText(const RegTree &tree, const QString &rootName)
{
    QString out = kHeader + QLatin1String("\n");
    for (const RegKey &key : tree.keys()) {
        if (key.path.isEmpty() && key.values.isEmpty())
            continue;
        out += QLatin1String("\n[") + rootName;
        if (!key.path.isEmpty())
            out += QLatin1Char('\\') + key.path;
        out += QLatin1String("]\n");
        for (const RegValue &v : key.values) {
            out += v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
            out += QLatin1Char('=');
            if (v.type == RegValue::String)
                out += quoted(v.text);
            else if (v.type == RegValue::Dword)
                out += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
            else
                out += v.text;
            out += QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

} // namespace reg
