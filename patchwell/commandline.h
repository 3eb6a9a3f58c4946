#pragma once
// The program's command words: "c" (config-only: open the sheet, end with it)
// and the product name words after it; the framework's own words are taken
// and have no effect.

#include <QString>
#include <QStringList>

struct PatchwellCommandLine {
    bool configOnlyMode = false;
    QString requestedProduct;
    bool startedByOle = false;     // "Embedding", "Automation"
    bool notUserControlled = false;
    QStringList recorded;          // "pt", "p", "Unregister", "Unregserver", "dde"
};

PatchwellCommandLine ParseCommandLine(const QStringList &words);
