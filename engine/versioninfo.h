#pragma once
// The version information a product's update site offers: the file
// "update.ini" in the site's directory (see docs/update-site.md).

#include <QByteArray>
#include <QString>
#include <QVector>

namespace pw {

inline constexpr const char *kVersionFileName = "update.ini";
inline constexpr qint64 kMaxVersionFileBytes = 64 * 1024;
inline constexpr qint64 kMaxReadmeBytes = 1024 * 1024;

struct UpdateFile {
    QString name;          // plain file name, no directories
    qint64 size = 0;
    QByteArray sha256;     // 32 bytes
};

struct VersionInfo {
    QString product;
    QString version;
    QString date;
    QString readme;        // file name on the site, or empty
    bool browser = false;  // installed through the web browser
    QString browserPage;   // the page the browser opens (relative to the site or absolute)
    bool restart = false;
    bool userStep = false; // the user completes the update (a firmware image to flash)
    QVector<UpdateFile> files;
};

// Parses the file; on failure returns false and says why.
bool parseVersionInfo(const QByteArray &text, VersionInfo &info, QString *why);
// A name that can only mean a file of the site's directory.
bool isPlainFileName(const QString &name);
// A version is also a folder's name: a plain name of digits, letters and
// ".", "-", "_", "+" only.
bool isPlainVersion(const QString &version);
// Compares dotted versions part by part as numbers ("1999.06.30" > "1999.4.12");
// a part that is not a number compares as text. Negative, 0 or positive.
int compareVersions(const QString &a, const QString &b);

} // namespace pw
