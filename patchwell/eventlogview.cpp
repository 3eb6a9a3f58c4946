#include "eventlogview.h"

#include "app.h"
#include "langtext.h"
#include "paths.h"
#include "patchwellctrl.h"
#include "processlauncher.h"
#include "productlist.h"
#include "regkeyreader.h"
#include "uiservices.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QLocale>

#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

const char *const kLogFileName = "\\Patchwell.log";

// Every key of the section, read once: the language file is read whole for
// each text, and a view may run to many thousands of lines.
const char *const kKeys[] = {
    "EventLogTimeForUpdate1", "EventLogTimeForUpdate2", "EventLogDialingDunConnection1",
    "EventLogDialingDunConnection2", "EventLogAuthenticatingUser", "EventLogDunConnectionMade1",
    "EventLogDunConnectionMade2", "EventLogUpdateInactivityDropDunConnection1",
    "EventLogUpdateInactivityDropDunConnection2", "EventLogDownloadingFilesFromFtpSite1",
    "EventLogDownloadingFilesFromFtpSite2", "EventLogDownloadingFileFromFtpSite1",
    "EventLogDownloadingFileFromFtpSite2", "EventLogProduct", "EventLogUpdateRequiredReboot",
    "EventLogUpdateDone", "EventLogPromptForUpdateComplete", "EventLogSingleSpace",
    "EventLogUnableToFindUpdateInfoOnServer", "EventLogRasNotInstalled1", "EventLogRasNotInstalled2",
    "EventLogDunNotInstalled1", "EventLogDunNotInstalled2", "EventLogUnableToProcessUpdateIniFile",
    "EventLogUnableToDownLoadVersionInfo", "EventLogUnableToProcessVersionInfo",
    "EventLogUnableToConnectToCustomSite", "EventLogUnableToConnectToUrl",
    "EventLogUnableToMakeDunConnection", "EventLogUnableToDownloadFileFromFtpServer", "EventLogUpdateAborted",
    "EventLogUpdateFailed", "EventLogCurrentProduct", "EventLogProductIsUpToDate1",
    "EventLogProductIsUpToDate2", "EventLogUpdateReadmeShortcut1", "EventLogUpdateReadmeShortcut2",
};

class LogTexts {
public:
    explicit LogTexts(const CLangText &texts)
    {
        for (const char *key : kKeys)
            texts_.emplace(std::string_view(key), texts.Get(key));
    }
    // Looked up without making a string of the key: a view asks this per part of every line.
    const QString &operator()(const char *key) const
    {
        static const QString none;
        const auto it = texts_.find(std::string_view(key));
        return it == texts_.end() ? none : it->second;
    }
private:
    std::unordered_map<std::string_view, QString> texts_;
};

// What one writing of a view looks up once and reuses: the installed version
// of each product named, the release notes of each product, the long date of
// each day.
struct ViewCache {
    QHash<QString, std::optional<QString>> versions;
    QHash<int, QString> readmes;
    QDate day;
    QString dayText;
};

std::optional<QString> installedVersion(const QString &product, ViewCache *cache)
{
    if (cache) {
        if (const auto it = cache->versions.constFind(product); it != cache->versions.cend())
            return *it;
    }
    QString version;
    std::optional<QString> found;
    if (ReadInstalledVersion(product, version))
        found = version;
    if (cache)
        cache->versions.insert(product, found);
    return found;
}

template <typename Texts>
QString upToDateLine(const Texts &t, const QString &product, ViewCache *cache = nullptr)
{
    const std::optional<QString> version = installedVersion(product, cache);
    if (!version)
        return t("EventLogCurrentProduct") + product + t("EventLogProductIsUpToDate1") + QLatin1Char('\n');
    return t("EventLogCurrentProduct") + product + t("EventLogProductIsUpToDate2") + *version
           + t("EventLogProductIsUpToDate1") + QLatin1Char('\n');
}

// The body of a record of the whole log, with its line end. Kinds 8 and 9 (a
// download's end and each of its blocks), 22 and kinds this program does not
// know have no text of their own: they give no line at all, rather than a bare
// time with the next record glued to it.
QString body(const LogTexts &t, int osKind, int kind, const QString &t1, const QString &t2, ViewCache &cache)
{
    const QString nl = QStringLiteral("\n");
    const QString sp = t("EventLogSingleSpace");
    switch (kind) {
    case 0: return t("EventLogTimeForUpdate1") + t1 + t("EventLogTimeForUpdate2") + t2 + nl;
    case 1: return upToDateLine(t, t1, &cache);
    case 2: return t("EventLogDialingDunConnection1") + t2 + t("EventLogDialingDunConnection2") + t1 + nl;
    case 3: return t("EventLogAuthenticatingUser") + t2 + nl;
    case 4: return t("EventLogDunConnectionMade1") + t2 + t("EventLogDunConnectionMade2") + nl;
    case 5:
        return t("EventLogUpdateInactivityDropDunConnection1") + t2 + t("EventLogUpdateInactivityDropDunConnection2")
               + nl;
    case 6: return t("EventLogDownloadingFilesFromFtpSite1") + t1 + t("EventLogDownloadingFilesFromFtpSite2") + nl;
    case 7: return t("EventLogDownloadingFileFromFtpSite1") + t2 + t("EventLogDownloadingFileFromFtpSite2") + nl;
    case 10: return t("EventLogProduct") + t1 + t("EventLogUpdateRequiredReboot") + nl;
    case 11: return t("EventLogProduct") + t1 + t("EventLogUpdateDone") + t2 + nl;
    case 12: return t("EventLogPromptForUpdateComplete") + t1 + sp + t2 + nl;
    case 13: return t("EventLogUnableToFindUpdateInfoOnServer") + nl;
    case 14:
        // Written with its time and line end like every other line.
        return osKind == 1 ? t("EventLogRasNotInstalled1") + t2 + t("EventLogRasNotInstalled2") + nl
                           : t("EventLogDunNotInstalled1") + t2 + t("EventLogDunNotInstalled2") + nl;
    case 15: return t("EventLogUnableToProcessUpdateIniFile") + t1 + sp + t2 + nl;
    case 16: return t("EventLogUnableToDownLoadVersionInfo") + t1 + sp + t2 + nl;
    case 17: return t("EventLogUnableToProcessVersionInfo") + t1 + sp + t2 + nl;
    case 18: return t("EventLogUnableToProcessUpdateIniFile") + nl;
    case 19: return t("EventLogUnableToConnectToCustomSite") + t1 + sp + t2 + nl;
    case 20: return t("EventLogUnableToConnectToUrl") + t2 + nl;
    case 21: return t("EventLogUnableToMakeDunConnection") + t2 + nl;
    case 23: return t("EventLogUnableToDownloadFileFromFtpServer") + t1 + sp + t2 + nl;
    case 24: return t("EventLogUpdateAborted") + t1 + nl;
    case 25: return t("EventLogUpdateFailed") + t1 + sp + t2 + nl;
    default: return {};
    }
}

// "+<long date> HH:MM:SS " (hours, minutes, seconds). The long date is made
// once per day of the log.
QString prefix(const QDateTime &time, ViewCache &cache)
{
    const QDate day = time.date();
    if (day != cache.day || cache.dayText.isEmpty()) {
        cache.day = day;
        cache.dayText = QLocale().toString(day, QLocale::LongFormat);
    }
    const QTime t = time.time();
    const auto two = [](int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); };
    QString out;
    out.reserve(cache.dayText.size() + 12);
    out += QLatin1Char('+');
    out += cache.dayText;
    out += QLatin1Char(' ');
    out += two(t.hour());
    out += QLatin1Char(':');
    out += two(t.minute());
    out += QLatin1Char(':');
    out += two(t.second());
    out += QLatin1Char(' ');
    return out;
}

QString logFilePath(CPatchwellCtrl &ctrl)
{
    return ctrl.GetLogDirectory() + QLatin1String(kLogFileName);
}

// An empty text and "-1" both mean "no text".
QString detail(const QString &text)
{
    return text == QLatin1String("-1") ? QString() : text;
}

// The record's lines of the recent-updates view: only the updates of products
// still detected (a kind-11 record of another product gives nothing, as every
// other kind does), and the release notes' line when the engine names a file.
QString recentLines(const LogTexts &t, CPatchwellCtrl &ctrl, CProductList &products, const QDateTime &time,
                    int kind, const QString &t1, const QString &t2, ViewCache &cache)
{
    if (kind != 11)
        return {};
    for (int i = 0; i < products.count(); ++i) {
        const CProductSettings *p = products.at(i);
        if (p->productName != t1)
            continue;
        QString lines = prefix(time, cache) + t("EventLogProduct") + t1 + t("EventLogUpdateDone") + t2 + QLatin1Char('\n');
        // The release notes' line belongs to the update's line above it: indented,
        // without a time of its own; it names the file, as the viewer has no shortcut.
        auto known = cache.readmes.constFind(p->productIndex);
        if (known == cache.readmes.cend())
            known = cache.readmes.insert(p->productIndex, ctrl.GetReadmeFile(p->productIndex));
        const QString &readme = *known;
        if (!readme.isEmpty())
            lines += t("EventLogUpdateReadmeShortcut1") + t1 + t("EventLogTimeForUpdate2") + t2
                     + t("EventLogUpdateReadmeShortcut2") + QLatin1Char(' ') + tl::mapPath(readme) + QLatin1Char('\n');
        return lines;
    }
    return {};
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

QString ProductUpToDateLine(const CLangText &texts, const QString &productName)
{
    return upToDateLine([&texts](const char *key) { return texts.Get(key); }, productName);
}

bool WriteEventLogView(CPatchwellCtrl &ctrl, const QString &installDirectory, int osKind, EventLogView view,
                       CProductList &products)
{
    QFile file(tl::mapPath(logFilePath(ctrl)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const LogTexts texts(CLangText(installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventLogging")));
    ViewCache cache;
    // Written in blocks as the records are read: the view is never held whole
    // in memory, and a full disk ends the writing at the block it hit.
    constexpr qsizetype kBlock = 64 * 1024;
    QByteArray block;
    block.reserve(kBlock + 4096);
    const auto flushBlock = [&file, &block] {
        if (block.isEmpty())
            return true;
        const bool ok = file.write(block) == block.size();
        block.clear();
        return ok && file.error() == QFileDevice::NoError;
    };
    const long count = ctrl.GetLogRecordCount();
    for (long i = 0; i < count; ++i) {
        const QDateTime time = ctrl.GetLogRecordTime(i);
        QString first, second;
        const int kind = int(ctrl.GetLogRecord(i, first, second));
        first = detail(first);
        second = detail(second);
        if (view == EventLogView::Whole) {
            const QString text = body(texts, osKind, kind, first, second, cache);
            if (text.isEmpty())
                continue;
            block += prefix(time, cache).toUtf8();
            block += text.toUtf8();
        } else {
            const QString lines = recentLines(texts, ctrl, products, time, kind, first, second, cache);
            if (lines.isEmpty())
                continue;
            block += lines.toUtf8();
        }
        if (block.size() >= kBlock && !flushBlock())
            return false;
    }
    return flushBlock() && file.flush() && file.error() == QFileDevice::NoError;
}

void ShowEventLogView(CPatchwellApp &app, EventLogView view, CProductList &products)
{
    CPatchwellCtrl *ctrl = app.control();
    if (!ctrl)
        return;
    const QString command = QStringLiteral("notepad ") + logFilePath(*ctrl);
    bool written = false;
    {
        const WaitCursor wait;
        written = WriteEventLogView(*ctrl, app.installDirectory, app.osKind, view, products);
    }
    if (!written)
        app.messageBox(QStringLiteral("Failed to creat log file."), MB_OK, MB_ICONNONE);
    else
        CProcessLauncher(command).Start();   // a viewer that cannot start is not reported
    // The box above may have let the program end meanwhile.
    if (view == EventLogView::RecentUpdates && app.control())
        app.SetUpdateAlert(false);
}
