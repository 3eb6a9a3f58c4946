#pragma once
// The publisher's tool: writes an update site (files, update.ini with their
// exact sizes and digests, the signature through minisign) and checks one
// exactly as the engine would take it.

#include <QString>
#include <QStringList>

namespace pw::site {

struct BuildOptions {
    QString dir;
    QString product;
    QString version;
    QString readme;        // a file to copy as the release notes
    bool userStep = false;
    bool restart = false;
    QString browserPage;
    QString secretKey;     // sign with this minisign secret key ...
    QString expires;       // ... valid through this day (YYYY-MM-DD)
    QStringList files;
};

struct CheckOptions {
    QString dir;
    QString key;           // a .pub file or its key line; empty: the signature is not checked
    QString product;       // empty: the one update.ini names
};

// Both print what they do or what is wrong (errors prefixed with the program's
// name on stderr) and return the exit status: 0 good, 1 failed, 2 bad usage.
int buildSite(const BuildOptions &options);
int checkSite(const CheckOptions &options);

inline constexpr const char *kProgram = "patchwell-site";

} // namespace pw::site
