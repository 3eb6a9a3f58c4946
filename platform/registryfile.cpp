#include "registryfile.h"

#include <QStringDecoder>
#include <QStringList>

namespace reg {

namespace {

const QLatin1String kHeader("Windows Registry Editor Version 5.00");
const QLatin1String kOldHeader("REGEDIT4");

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

// The file's lines, decoded one by one so that one undecodable line costs only
// itself. badText marks the lines that are not valid in the file's encoding.
struct DecodedLines {
    QStringList lines;
    QList<bool> badText;
    bool crlf = false;
};

DecodedLines decodeLines(const QByteArray &data)
{
    DecodedLines out;
    if (data.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        const QString text = decoder(data.mid(2));
        out.lines = text.split(QLatin1Char('\n'));
        out.badText.fill(decoder.hasError(), out.lines.size());
        out.crlf = !out.lines.isEmpty() && out.lines.first().endsWith(QLatin1Char('\r'));
        return out;
    }
    const QByteArray body = data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
    const QList<QByteArray> raw = body.split('\n');
    // The first line that is not blank tells the format; "REGEDIT4" is the ANSI one.
    bool ansi = false;
    for (const QByteArray &line : raw) {
        const QByteArray t = line.trimmed();
        if (!t.isEmpty()) {
            ansi = t == QByteArrayLiteral("REGEDIT4");
            break;
        }
    }
    out.crlf = !raw.isEmpty() && raw.first().endsWith('\r');
    out.lines.reserve(raw.size());
    out.badText.reserve(raw.size());
    for (const QByteArray &line : raw) {
        if (ansi) {
            out.lines.append(QString::fromLatin1(line));
            out.badText.append(false);
            continue;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        out.lines.append(decoder(line));
        out.badText.append(decoder.hasError());
    }
    return out;
}

struct Parser {
    const QString &rootName;
    RegTree &tree;
    const DecodedLines &input;
    QString error;         // the first damaged line
    int damaged = 0;       // damaged lines, values lost under a damaged header included
    int lineNo = 0;
    RegKey *key = nullptr;
    bool skippingKey = false; // under a key header that could not be read

    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        ++damaged;
        return false;
    }

    bool section(const QString &line)
    {
        key = nullptr;
        skippingKey = true;
        if (!line.endsWith(QLatin1Char(']')))
            return fail(QStringLiteral("key header without closing bracket"));
        const QString inner = line.mid(1, line.size() - 2);
        if (!inner.startsWith(rootName, Qt::CaseInsensitive)
            || (inner.size() > rootName.size() && inner[rootName.size()] != QLatin1Char('\\')))
            return fail(QStringLiteral("key outside %1").arg(rootName));
        key = &tree.create(inner.mid(rootName.size()));
        skippingKey = false;
        return true;
    }

    bool value(const QString &line, int &index)
    {
        if (!key) {
            if (skippingKey) {
                ++damaged;
                return false;
            }
            return fail(QStringLiteral("value before the first key"));
        }
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
            while (raw.endsWith(QLatin1Char('\\')) && index + 1 < input.lines.size()) {
                ++index;
                ++lineNo;
                if (input.badText[index])
                    return fail(QStringLiteral("not valid text"));
                raw += QLatin1Char('\n') + input.lines[index].trimmed();
            }
            if (raw.isEmpty() || raw == QLatin1String("-") || raw.endsWith(QLatin1Char('\\')))
                return fail(QStringLiteral("bad value"));
            v.type = RegValue::Other;
            v.text = raw;
        }
        key->setValue(v, false);
        return true;
    }
};

} // namespace

RegValue *RegKey::findValue(const QString &name)
{
    const auto it = index_.constFind(name.toCaseFolded());
    return it == index_.constEnd() ? nullptr : &values_[it.value()];
}

const RegValue *RegKey::findValue(const QString &name) const
{
    const auto it = index_.constFind(name.toCaseFolded());
    return it == index_.constEnd() ? nullptr : &values_[it.value()];
}

void RegKey::setValue(const RegValue &value, bool keepStoredName)
{
    const QString folded = value.name.toCaseFolded();
    const auto it = index_.constFind(folded);
    if (it == index_.constEnd()) {
        index_.insert(folded, values_.size());
        values_.append(value);
        return;
    }
    RegValue &slot = values_[it.value()];
    const QString storedName = slot.name;
    slot = value;
    if (keepStoredName)
        slot.name = storedName;
}

bool RegKey::removeValue(const QString &name)
{
    const auto it = index_.constFind(name.toCaseFolded());
    if (it == index_.constEnd())
        return false;
    values_.removeAt(it.value());
    index_.clear();
    for (qsizetype i = 0; i < values_.size(); ++i)
        index_.insert(values_[i].name.toCaseFolded(), i);
    return true;
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
            it = keys_.insert(folded, RegKey(stored));
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
        if (copy.contains(QString()) && copy.value(QString()).values().isEmpty())
            copy.remove(QString());
        return copy;
    };
    const auto a = meaningful(keys_);
    const auto b = meaningful(other.keys_);
    if (a.size() != b.size())
        return false;
    for (auto it = a.begin(), jt = b.begin(); it != a.end(); ++it, ++jt) {
        if (it.key() != jt.key() || it->path != jt->path || it->values().size() != jt->values().size())
            return false;
        for (qsizetype i = 0; i < it->values().size(); ++i) {
            const RegValue &x = it->values()[i];
            const RegValue &y = jt->values()[i];
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
    const DecodedLines input = decodeLines(data);
    tree.crlf = input.crlf;
    Parser parser{rootName, tree, input, {}};
    bool headerSeen = false;
    for (int i = 0; i < input.lines.size(); ++i) {
        parser.lineNo = i + 1;
        QString line = input.lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (input.badText[i]) {
            parser.fail(QStringLiteral("not valid text"));
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (trimmed == kHeader || trimmed == kOldHeader)
                continue;
            parser.fail(QStringLiteral("missing header line")); // and read the line as content
        }
        if (trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')))
            parser.section(trimmed);
        else if (trimmed.startsWith(QLatin1Char('"')) || trimmed.startsWith(QLatin1Char('@')))
            parser.value(trimmed, i);
        else
            parser.fail(QStringLiteral("unreadable line"));
    }
    if (!headerSeen)
        parser.fail(QStringLiteral("missing header line"));
    if (parser.damaged == 0)
        return true;
    if (error) {
        *error = parser.error;
        if (parser.damaged > 1)
            *error += QStringLiteral(" (%1 damaged lines in all)").arg(parser.damaged);
    }
    return false;
}

QByteArray formatRegistryText(const RegTree &tree, const QString &rootName)
{
    QString out = kHeader + QLatin1String("\n");
    out.reserve(64 * 1024);
    for (const RegKey &key : tree.keys()) {
        if (key.path.isEmpty() && key.values().isEmpty())
            continue;
        out += QLatin1String("\n[") + rootName;
        if (!key.path.isEmpty())
            out += QLatin1Char('\\') + key.path;
        out += QLatin1String("]\n");
        for (const RegValue &v : key.values()) {
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
    if (tree.crlf)
        out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return out.toUtf8();
}

} // namespace reg
