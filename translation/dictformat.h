#pragma once
// The dictionary text format, shared by the dictionary compiler (tldictc), the
// run-time loader and the fuzz target. Standard library only, so that the
// compiler and the fuzz target need nothing else.
//
// A file is UTF-8 text, one item per line (LF or CR LF):
//   # comment                      ignored, as are blank lines
//   @format 1                      optional; other versions are refused
//   @language 407 Deutsch          declares a language: hexadecimal id, name
//   > Portdeck is already running  starts an entry: the English source text
//   407: Portdeck läuft bereits    translation of the entry above, per language
// Texts use the escapes \n \r \t \\ \s (a blank, for leading and trailing
// blanks that editors would eat) and \xHH (a control character).
// resources/dictionary/README.md describes the format for writers of texts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tl::dictformat {

struct Problem {
    std::string file;
    int line = 0;           // 1-based; 0 when the problem concerns the whole file
    std::string message;
    std::string text() const;   // "file:line: message"
};

struct Language {
    uint16_t id = 0;
    std::string name;
    std::string file;
    int line = 0;
};

struct Translation {
    uint16_t language = 0;
    std::string text;
    int line = 0;
};

struct Entry {
    std::string source;
    std::vector<Translation> translations;
    std::string file;
    int line = 0;
};

struct Document {
    std::vector<Language> languages;
    std::vector<Entry> entries;
};

inline constexpr int kFormatVersion = 1;

// Parses one file. Every problem found is appended to problems; what parsed
// cleanly is returned. Invalid UTF-8 is a single problem and yields nothing.
Document parse(std::string_view bytes, const std::string &fileName,
               std::vector<Problem> &problems);

// Joins documents into one: each language declared once (the same id with two
// different names is a problem), entries of one source text joined (the same
// translation twice is kept once, two different translations for one language
// are a problem). Every translation must name a declared language and carry
// the source's printf conversions in the same order, since the programs format
// translated texts with the source's arguments.
Document merge(const std::vector<Document> &documents, std::vector<Problem> &problems);

// The compiled form of a merged document, readable by parse().
std::string write(const Document &document);

std::string escape(std::string_view text);
// false with a reason when the text holds an unknown or incomplete escape.
bool unescape(std::string_view text, std::string &out, std::string &error);

// The printf conversions of a format, one letter each ("sd" for "%s ... %d";
// %i counts as d, a malformed conversion as '?'); "%%" is no conversion.
std::string conversions(std::string_view format);

bool validUtf8(std::string_view bytes);

} // namespace tl::dictformat
