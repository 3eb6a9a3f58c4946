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
bool readQuoted(QStringView line, qsizetype &pos, QString &out)
{
    out.clear();
    ++pos;
    qsizetype plain = pos;   // start of the characters not yet copied
    while (pos < line.size()) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            out += line.mid(plain, pos - plain);
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\') && pos + 1 < line.size()) {
            const QChar n = line[pos + 1];
            QChar unescaped;
            if (n == QLatin1Char('\\') || n == QLatin1Char('"'))
                unescaped = n;
            else if (n == QLatin1Char('n'))
                unescaped = QLatin1Char('\n');
            else if (n == QLatin1Char('r'))
                unescaped = QLatin1Char('\r');
            if (!unescaped.isNull()) {
                out += line.mid(plain, pos - plain);
                out += unescaped;
                pos += 2;
                plain = pos;
                continue;
            }
        }
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

bool onlyBlanks(QStringView line, qsizetype from)
{
    for (qsizetype i = from; i < line.size(); ++i)
        if (!line[i].isSpace())
            return false;
    return true;
}

// The file's lines. A file that decodes as a whole is one text the lines look
// into; otherwise each line is decoded on its own, so that one undecodable
// line costs only itself. badText marks the lines not valid in the file's
// encoding.
struct DecodedLines {
    QString whole;
    QStringList owned;
    QList<QStringView> lines;
    QList<bool> badText;
    bool crlf = false;
};

DecodedLines decodeLines(const QByteArray &data)
{
    DecodedLines out;
    auto viewWhole = [&out](bool bad) {
        out.lines = QStringView(out.whole).split(QLatin1Char('\n'));
        out.badText.fill(bad, out.lines.size());
        out.crlf = !out.lines.isEmpty() && out.lines.first().endsWith(QLatin1Char('\r'));
    };
    if (data.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        out.whole = decoder(data.mid(2));
        viewWhole(decoder.hasError());
        return out;
    }
    const QByteArray body = data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
    // The first line that is not blank tells the format; "REGEDIT4" is the ANSI one.
    const QByteArray first = body.left(body.indexOf('\n')).trimmed();
    bool ansi = false;
    if (!first.isEmpty()) {
        ansi = first == QByteArrayLiteral("REGEDIT4");
    } else {
        for (const QByteArray &line : body.split('\n')) {
            const QByteArray t = line.trimmed();
            if (!t.isEmpty()) {
                ansi = t == QByteArrayLiteral("REGEDIT4");
                break;
            }
        }
    }
    if (ansi) {
        out.whole = QString::fromLatin1(body);
        viewWhole(false);
        return out;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    out.whole = utf8(body);
    if (!utf8.hasError()) {
        viewWhole(false);
        return out;
    }
    out.whole.clear();
    const QList<QByteArray> raw = body.split('\n');
    out.crlf = !raw.isEmpty() && raw.first().endsWith('\r');
    out.owned.reserve(raw.size());
    out.badText.reserve(raw.size());
    for (const QByteArray &line : raw) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        out.owned.append(decoder(line));
        out.badText.append(decoder.hasError());
    }
    out.lines.reserve(out.owned.size());
    for (const QString &line : out.owned)
        out.lines.append(line);
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

    bool section(QStringView line)
    {
        key = nullptr;
        skippingKey = true;
        if (!line.endsWith(QLatin1Char(']')))
            return fail(QStringLiteral("key header without closing bracket"));
        const QStringView inner = line.mid(1, line.size() - 2);
        if (!inner.startsWith(rootName, Qt::CaseInsensitive)
            || (inner.size() > rootName.size() && inner[rootName.size()] != QLatin1Char('\\')))
            return fail(QStringLiteral("key outside %1").arg(rootName));
        key = &tree.create(inner.mid(rootName.size()).toString());
        skippingKey = false;
        return true;
    }

    bool value(QStringView line, int &index)
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
        const QStringView rest = line.mid(pos);
        if (rest.startsWith(QLatin1Char('"'))) {
            v.type = RegValue::String;
            if (!readQuoted(line, pos, v.text))
                return fail(QStringLiteral("unterminated text"));
            if (!onlyBlanks(line, pos))
                return fail(QStringLiteral("characters after the text"));
        } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QStringView digits = rest.mid(6).trimmed();
            bool ok = false;
            const uint number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+')))
                return fail(QStringLiteral("bad dword value"));
            v.type = RegValue::Dword;
            v.dword = number;
        } else {
            // Binary and other types are kept as written, continuation lines included.
            QString raw = rest.trimmed().toString();
            while (raw.endsWith(QLatin1Char('\\')) && index + 1 < input.lines.size()) {
                ++index;
                ++lineNo;
                if (input.badText[index])
                    return fail(QStringLiteral("not valid text"));
                raw += QLatin1Char('\n');
                raw += input.lines[index].trimmed();
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

size_t qHash(const FoldedName &key, size_t seed) noexcept
{
    // FNV-1a over the case-folded characters. Characters outside the basic
    // plane are left out, since they fold as pairs: equal names still hash alike.
    size_t h = 1469598103934665603ull ^ seed;
    for (const QChar c : key.name) {
        if (c.isSurrogate())
            continue;
        const char16_t u = c.unicode();
        const char16_t folded = u < 0x80 ? ((u >= 'A' && u <= 'Z') ? char16_t(u + 32) : u) : c.toCaseFolded().unicode();
        h = (h ^ folded) * 1099511628211ull;
    }
    return h;
}

RegValue *RegKey::findValue(const QString &name)
{
    const auto it = index_.constFind(FoldedName{name});
    return it == index_.constEnd() ? nullptr : &values_[it.value()];
}

const RegValue *RegKey::findValue(const QString &name) const
{
    const auto it = index_.constFind(FoldedName{name});
    return it == index_.constEnd() ? nullptr : &values_[it.value()];
}

void RegKey::setValue(const RegValue &value, bool keepStoredName)
{
    const auto it = index_.constFind(FoldedName{value.name});
    if (it == index_.constEnd()) {
        index_.insert(FoldedName{value.name}, values_.size());
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
    const auto it = index_.constFind(FoldedName{name});
    if (it == index_.constEnd())
        return false;
    values_.removeAt(it.value());
    index_.clear();
    for (qsizetype i = 0; i < values_.size(); ++i)
        index_.insert(FoldedName{values_[i].name}, i);
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
        const QStringView trimmed = input.lines[i].trimmed(); // a CR before the LF goes too
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
