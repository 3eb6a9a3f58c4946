#include "dictformat.h"

#include <algorithm>
#include <map>

namespace tl::dictformat {

std::string Problem::text() const
{
    std::string out = file;
    if (line > 0)
        out += ":" + std::to_string(line);
    return out + ": " + message;
}

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// A language id: one to four hexadecimal digits, not zero.
bool parseLanguageId(std::string_view text, uint16_t &id)
{
    if (text.empty() || text.size() > 4)
        return false;
    unsigned value = 0;
    for (char c : text) {
        if (!isHex(c))
            return false;
        value = value * 16 + unsigned(hexValue(c));
    }
    if (value == 0)
        return false;
    id = uint16_t(value);
    return true;
}

std::string hexId(uint16_t id)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int d = (id >> shift) & 0xf;
        if (d != 0 || !out.empty() || shift == 0)
            out += digits[d];
    }
    return out;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

class Parser {
public:
    Parser(const std::string &file, std::vector<Problem> &problems)
        : file_(file), problems_(problems) {}

    Document run(std::string_view bytes)
    {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        int lineNo = 0;
        while (!bytes.empty()) {
            const size_t end = bytes.find('\n');
            std::string_view line = bytes.substr(0, end);
            bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ++lineNo;
            parseLine(line, lineNo);
        }
        return std::move(doc_);
    }

private:
    void problem(int line, std::string message)
    {
        problems_.push_back({file_, line, std::move(message)});
    }

    bool text(std::string_view raw, int line, std::string &out)
    {
        std::string error;
        if (!unescape(raw, out, error)) {
            problem(line, error);
            return false;
        }
        return true;
    }

    void parseLine(std::string_view line, int no)
    {
        if (trimmed(line).empty() || line.front() == '#')
            return;
        if (line.front() == '@')
            return directive(line.substr(1), no);
        if (line.front() == '>')
            return source(line, no);
        translation(line, no);
    }

    void directive(std::string_view rest, int no)
    {
        const size_t blank = rest.find(' ');
        const std::string_view name = rest.substr(0, blank);
        const std::string_view args =
            blank == std::string_view::npos ? std::string_view() : trimmed(rest.substr(blank + 1));
        if (name == "format") {
            if (args != std::to_string(kFormatVersion))
                problem(no, "unsupported format version \"" + std::string(args) + "\"");
            return;
        }
        if (name == "language") {
            const size_t sep = args.find(' ');
            uint16_t id = 0;
            if (sep == std::string_view::npos || !parseLanguageId(args.substr(0, sep), id)) {
                problem(no, "expected \"@language <hex id> <name>\"");
                return;
            }
            std::string languageName;
            if (!text(trimmed(args.substr(sep + 1)), no, languageName))
                return;
            doc_.languages.push_back({id, languageName, file_, no});
            return;
        }
        problem(no, "unknown directive \"@" + std::string(name) + "\"");
    }

    void source(std::string_view line, int no)
    {
        current_ = nullptr;
        if (line.size() < 3 || line[1] != ' ') {
            problem(no, "expected \"> <source text>\"");
            return;
        }
        std::string sourceText;
        if (!text(line.substr(2), no, sourceText))
            return;
        doc_.entries.push_back({sourceText, {}, file_, no});
        current_ = &doc_.entries.back();
    }

    void translation(std::string_view line, int no)
    {
        line = trimmed(line);
        const size_t colon = line.find(':');
        uint16_t id = 0;
        if (colon == std::string_view::npos || !parseLanguageId(line.substr(0, colon), id)) {
            problem(no, "unrecognised line (expected \"> source\", \"<hex id>: translation\", "
                        "\"@directive\" or \"# comment\")");
            return;
        }
        std::string_view raw = line.substr(colon + 1);
        if (!raw.empty() && raw.front() == ' ')
            raw.remove_prefix(1);
        if (raw.empty()) {
            problem(no, "empty translation; leave the line out to show the source text");
            return;
        }
        if (current_ == nullptr) {
            problem(no, "translation without a source text (\"> ...\") above it");
            return;
        }
        std::string translated;
        if (!text(raw, no, translated))
            return;
        current_->translations.push_back({id, translated, no});
    }

    const std::string &file_;
    std::vector<Problem> &problems_;
    Document doc_;
    Entry *current_ = nullptr;   // entries never reallocate while it is used:
                                 // it is reset before every push_back
};

} // namespace

Document parse(std::string_view bytes, const std::string &fileName,
               std::vector<Problem> &problems)
{
    if (!validUtf8(bytes)) {
        problems.push_back({fileName, 0, "not valid UTF-8 text"});
        return {};
    }
    if (bytes.find('\0') != std::string_view::npos) {
        problems.push_back({fileName, 0, "contains a NUL byte"});
        return {};
    }
    return Parser(fileName, problems).run(bytes);
}

Document merge(const std::vector<Document> &documents, std::vector<Problem> &problems)
{
    Document out;
    std::map<uint16_t, size_t> languageIndex;
    for (const Document &doc : documents) {
        for (const Language &language : doc.languages) {
            auto [it, inserted] = languageIndex.try_emplace(language.id, out.languages.size());
            if (inserted) {
                out.languages.push_back(language);
            } else if (out.languages[it->second].name != language.name) {
                const Language &first = out.languages[it->second];
                problems.push_back({language.file, language.line,
                                    "language " + hexId(language.id) + " declared again with another name (first at " +
                                        first.file + ":" + std::to_string(first.line) + ")"});
            }
        }
    }

    std::map<std::string, size_t> entryIndex;
    for (const Document &doc : documents) {
        for (const Entry &entry : doc.entries) {
            auto [it, inserted] = entryIndex.try_emplace(entry.source, out.entries.size());
            if (inserted)
                out.entries.push_back({entry.source, {}, entry.file, entry.line});
            Entry &target = out.entries[it->second];
            const std::string sourceConversions = conversions(entry.source);
            for (const Translation &t : entry.translations) {
                const std::string where = entry.file;
                if (!languageIndex.count(t.language)) {
                    problems.push_back({where, t.line, "language " + hexId(t.language) + " is not declared"});
                    continue;
                }
                if (conversions(t.text) != sourceConversions) {
                    problems.push_back({where, t.line,
                                        "translation must keep the source's conversions (\"" +
                                            sourceConversions + "\") in order"});
                    continue;
                }
                auto same = std::find_if(target.translations.begin(), target.translations.end(),
                                         [&](const Translation &o) { return o.language == t.language; });
                if (same == target.translations.end()) {
                    target.translations.push_back(t);
                } else if (same->text != t.text) {
                    problems.push_back({where, t.line,
                                        "second, different " + hexId(t.language) + " translation of \"" +
                                            escape(entry.source) + "\" (first at " + target.file + ")"});
                }
            }
        }
    }
    return out;
}

std::string write(const Document &document)
{
    std::string out = "# pd30dic.mld: Tallyline translation dictionary.\n"
                      "# Generated from resources/dictionary/*.txt; edit those files, not this one.\n";
    out += "@format " + std::to_string(kFormatVersion) + "\n";
    for (const Language &language : document.languages)
        out += "@language " + hexId(language.id) + " " + escape(language.name) + "\n";
    for (const Entry &entry : document.entries) {
        out += "\n> " + escape(entry.source) + "\n";
        for (const Translation &t : entry.translations)
            out += hexId(t.language) + ": " + escape(t.text) + "\n";
    }
    return out;
}

std::string escape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case ' ':
            out += (i == 0 || i + 1 == text.size()) ? "\\s" : " ";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                static const char digits[] = "0123456789abcdef";
                out += "\\x";
                out += digits[c >> 4];
                out += digits[c & 0xf];
            } else {
                out += char(c);
            }
        }
    }
    return out;
}

bool unescape(std::string_view text, std::string &out, std::string &error)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            error = "backslash at the end of the text (write \\\\ for one backslash)";
            return false;
        }
        switch (text[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 's': out += ' '; break;
        case '\\': out += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) {
                error = "\\x needs two hexadecimal digits";
                return false;
            }
            const int value = hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]);
            if (value == 0 || (value >= 0x20 && value != 0x7f)) {
                error = "\\x is only for control characters other than NUL";
                return false;
            }
            out += char(value);
            i += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + text[i];
            return false;
        }
    }
    return true;
}

std::string conversions(std::string_view format)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && std::string_view("-+ #0").find(format[j]) != std::string_view::npos)
            ++j;
        while (j < format.size() && ((format[j] >= '0' && format[j] <= '9') || format[j] == '*' || format[j] == '.'))
            ++j;
        while (j < format.size() && std::string_view("hlLqjzt").find(format[j]) != std::string_view::npos)
            ++j;
        if (j < format.size() && std::string_view("diouxXcsfeEgGp").find(format[j]) != std::string_view::npos) {
            out += format[j] == 'i' ? 'd' : format[j];
            i = j;
        } else {
            out += '?';
            i = j == format.size() ? j : j - 1;
        }
    }
    return out;
}

bool validUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        int extra;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + size_t(extra) >= bytes.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(bytes[i + size_t(k)]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += size_t(extra) + 1;
    }
    return true;
}

} // namespace tl::dictformat
