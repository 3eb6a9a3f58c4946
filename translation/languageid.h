#pragma once
// Language identifiers as the programs store and pass them: the low ten bits
// are the primary language (9 English, 7 German), the upper six bits the
// sub-language (1 US, 2 UK for English). 0x409 is US English, 0x809 UK
// English, 0x407 German. A locale value carries the identifier in its low
// 16 bits and the sort order above it.

namespace tl {

constexpr int kEnglishUS = 0x409;
constexpr int kEnglishUK = 0x809;
constexpr int kGerman = 0x407;

constexpr int primaryLanguageOf(int languageId) { return languageId & 0x3ff; }
constexpr int subLanguageOf(int languageId) { return (languageId >> 10) & 0x3f; }
constexpr int makeLanguageId(int primary, int sub) { return ((sub & 0x3f) << 10) | (primary & 0x3ff); }
constexpr unsigned localeFromLanguage(int languageId) { return unsigned(languageId) & 0xffffu; }
constexpr int languageFromLocale(unsigned locale) { return int(locale & 0xffffu); }

// The user's default language identifier, from the default QLocale (which
// follows LANG/LC_* unless a program or test set another): en_GB gives 0x809,
// de_DE 0x407; a language without a known identifier gives 0x409.
int userDefaultLanguageId();

} // namespace tl
