#pragma once
// The single-instance rule of the program entry.

class LanguageDictionary;

// True when another Portdeck holds the lock "Portdeck.exe"; the user is then
// told "Portdeck is already running".
bool anotherPortdeckRunning(const LanguageDictionary *dictionary);
