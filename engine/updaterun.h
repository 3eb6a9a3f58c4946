#pragma once
// One update run for one product: fetch the site's version information, compare
// it with the installed version, ask (kind 0), download and verify every file
// into a staging folder, move the folder into place in one rename, and record
// the new version. Every step and every failure is reported as an event kind;
// a failed or cancelled run leaves the installed state as it was.

#include "download.h"
#include "versioninfo.h"

#include <QDir>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>

namespace pw {

struct RunSetup {
    int product = -1;
    QString productName;
    QString installedVersion;
    QUrl site;                 // directory of the product's update files
    bool customSite = false;   // the user's own product site
    Credentials credentials;
    bool confirm = true;       // wait for the host's answer to the update prompt
    QString stateDirectory;    // per-product folder: staging, installed versions, readme
    QString stateBase;         // nothing from here down to stateDirectory may be a link
    QString publicKeys;        // pinned keys: the version file must be signed by one
};

class UpdateRun : public QObject {
    Q_OBJECT
public:
    // kind, number, text of the event; the two texts of its log record.
    using Report = std::function<void(int kind, long number, const QString &text, const QString &first,
                                      const QString &second)>;

    // Stores the installed version; false when it could not be stored.
    using Record = std::function<bool(const QString &version)>;

    UpdateRun(QNetworkAccessManager *manager, const RunSetup &setup, Report report, Record record,
              QObject *parent = nullptr);
    ~UpdateRun() override;

    void start();
    bool answerPrompt(bool yes);        // false when no prompt is waiting
    bool answerCompletion(bool yes);    // false when no question is waiting
    void cancel();

    const RunSetup &setup() const { return setup_; }
    bool installsThroughBrowser() const { return info_.browser; }
    QString readmeFile() const { return readmePath_; }
    bool isOver() const { return state_ == State::Over; }

signals:
    void over();

private:
    enum class State { Idle, VersionInfo, Signature, Readme, Prompt, Files, Completion, Over };

    void versionInfoFetched();
    void signatureFetched();
    void versionInfoVerified(const QByteArray *signature);
    bool prepareFolder();
    void removeStaleStaging();
    void readmeFetched();
    void askToUpdate();
    void startFiles();
    void nextFile();
    void fileFetched();
    void filesComplete();
    void recordAndFinish();
    void fail(int kind, const QString &first, const QString &second, const QString &text = {});
    void end();
    void removeStaging();
    QUrl siteFile(const QString &name) const;
    void emitBlocks(qint64 received, bool final);

    QNetworkAccessManager *manager_;
    RunSetup setup_;
    Report report_;
    Record record_;
    QByteArray versionText_;
    State state_ = State::Idle;
    VersionInfo info_;
    QString readmePath_;
    QString stagingPath_;
    QPointer<Download> download_;
    int fileIndex_ = -1;
    qint64 blocksSent_ = 0;
};

} // namespace pw
