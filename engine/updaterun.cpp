#include "updaterun.h"

#include "process.h"
#include "safefs.h"
#include "siteverify.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace pw {

namespace {

constexpr qint64 kBlockBytes = 5000;

QString describe(const Download *d)
{
    return d->error().isEmpty() ? QStringLiteral("transfer failed") : d->error();
}

} // namespace

UpdateRun::UpdateRun(QNetworkAccessManager *manager, const RunSetup &setup, Report report, Record record,
                     QObject *parent)
    : QObject(parent), manager_(manager), setup_(setup), report_(std::move(report)), record_(std::move(record))
{
}

UpdateRun::~UpdateRun()
{
    if (download_)
        download_->cancel();
    removeStaging();
}

QUrl UpdateRun::siteFile(const QString &name) const
{
    QUrl url = setup_.site;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + name);
    return url;
}

void UpdateRun::start()
{
    if (!setup_.site.isValid() || setup_.site.isEmpty()
        || !QStringList{"http", "https", "file"}.contains(setup_.site.scheme())) {
        fail(18, setup_.productName, {});
        return;
    }
    state_ = State::VersionInfo;
    download_ = new Download(manager_, this);
    connect(download_, &Download::finished, this, &UpdateRun::versionInfoFetched);
    download_->start(siteFile(QLatin1String(kVersionFileName)), kMaxVersionFileBytes, setup_.credentials);
}

void UpdateRun::versionInfoFetched()
{
    Download *d = download_;
    if (!d || state_ != State::VersionInfo)
        return;
    d->deleteLater();
    const QString url = siteFile(QLatin1String(kVersionFileName)).toString(QUrl::RemoveUserInfo);
    switch (d->outcome()) {
    case Download::Done:
        break;
    case Download::NotFound:
        fail(13, setup_.productName, url);
        return;
    case Download::ConnectFailed:
        if (setup_.customSite)
            fail(19, setup_.site.toString(QUrl::RemoveUserInfo), describe(d));
        else
            fail(20, setup_.productName, setup_.site.toString(QUrl::RemoveUserInfo),
                 setup_.site.toString(QUrl::RemoveUserInfo));
        return;
    case Download::Cancelled:
        return;
    default:
        fail(16, url, describe(d));
        return;
    }
    versionText_ = d->data();
    if (!hasPinnedKeys(setup_.publicKeys)) {
        versionInfoVerified(nullptr);
        return;
    }
    state_ = State::Signature;
    download_ = new Download(manager_, this);
    connect(download_, &Download::finished, this, &UpdateRun::signatureFetched);
    download_->start(siteFile(QLatin1String(kVersionFileName) + QLatin1String(kSignatureSuffix)), kMaxSignatureBytes,
                     setup_.credentials);
}

void UpdateRun::signatureFetched()
{
    Download *d = download_;
    if (!d || state_ != State::Signature)
        return;
    d->deleteLater();
    const QString url = siteFile(QLatin1String(kVersionFileName) + QLatin1String(kSignatureSuffix))
                            .toString(QUrl::RemoveUserInfo);
    switch (d->outcome()) {
    case Download::Done: {
        const QByteArray signature = d->data();
        versionInfoVerified(&signature);
        return;
    }
    case Download::NotFound:   // a product that pins keys takes no unsigned file
        versionInfoVerified(nullptr);
        return;
    case Download::Cancelled:
        return;
    default:
        fail(16, url, describe(d));
        return;
    }
}

void UpdateRun::versionInfoVerified(const QByteArray *signature)
{
    const QString url = siteFile(QLatin1String(kVersionFileName)).toString(QUrl::RemoveUserInfo);
    QString why;
    if (!verifyVersionFile(versionText_, signature, setup_.publicKeys, setup_.productName, QDate::currentDate(), info_,
                           &why)) {
        fail(17, url, why);
        return;
    }
    if (!setup_.installedVersion.isEmpty() && compareVersions(info_.version, setup_.installedVersion) <= 0) {
        state_ = State::Over;
        report_(1, setup_.product, {}, setup_.productName, {});
        end();
        return;
    }
    if (info_.readme.isEmpty()) {
        askToUpdate();
        return;
    }
    state_ = State::Readme;
    if (!prepareFolder())
        return;
    readmePath_ = setup_.stateDirectory + QStringLiteral("/readme-") + info_.version + QStringLiteral(".txt");
    download_ = new Download(manager_, this);
    connect(download_, &Download::finished, this, &UpdateRun::readmeFetched);
    download_->start(siteFile(info_.readme), kMaxReadmeBytes, setup_.credentials, readmePath_ + QStringLiteral(".part"));
}

void UpdateRun::readmeFetched()
{
    Download *d = download_;
    if (!d || state_ != State::Readme)
        return;
    d->deleteLater();
    // The notes are a courtesy: without them the update is still offered.
    const QString part = readmePath_ + QStringLiteral(".part");
    if (d->outcome() == Download::Done) {
        QFile::remove(readmePath_);
        QFile::rename(part, readmePath_);
    } else {
        QFile::remove(part);
        readmePath_.clear();
    }
    askToUpdate();
}

void UpdateRun::askToUpdate()
{
    state_ = State::Prompt;
    report_(0, setup_.product, info_.version, setup_.productName, info_.version);
    if (!setup_.confirm)
        answerPrompt(true);
}

bool UpdateRun::answerPrompt(bool yes)
{
    if (state_ != State::Prompt)
        return false;
    if (!yes) {
        state_ = State::Over;
        end();
        return true;
    }
    if (info_.browser) {
        QUrl page(info_.browserPage);
        if (page.isRelative())
            page = siteFile(info_.browserPage);
        OpenURL(page.toString());
        state_ = State::Completion;
        report_(12, setup_.product, info_.version, setup_.productName, info_.version);
        return true;
    }
    startFiles();
    return true;
}

bool UpdateRun::prepareFolder()
{
    QString why;
    if (!safefs::makeFolder(setup_.stateBase, setup_.stateDirectory, &why)) {
        fail(25, setup_.productName, why);
        return false;
    }
    return true;
}

void UpdateRun::removeStaleStaging()
{
    // Left by a run that was killed; no other run of this product is going on.
    const QStringList stale = QDir(setup_.stateDirectory)
                                  .entryList({QStringLiteral(".staging-*")},
                                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : stale)
        safefs::removeTree(setup_.stateDirectory + QLatin1Char('/') + name);
}

void UpdateRun::startFiles()
{
    state_ = State::Files;
    if (!prepareFolder())
        return;
    removeStaleStaging();
    QTemporaryDir staging(setup_.stateDirectory + QStringLiteral("/.staging-XXXXXX"));
    if (!staging.isValid()) {
        fail(25, setup_.productName, QStringLiteral("cannot create a staging folder: ") + staging.errorString());
        return;
    }
    staging.setAutoRemove(false);
    stagingPath_ = staging.path();
    report_(6, info_.files.size(), {}, setup_.site.toString(QUrl::RemoveUserInfo), {});
    fileIndex_ = -1;
    nextFile();
}

void UpdateRun::nextFile()
{
    ++fileIndex_;
    if (fileIndex_ >= info_.files.size()) {
        filesComplete();
        return;
    }
    const UpdateFile &f = info_.files[fileIndex_];
    blocksSent_ = 0;
    report_(7, long(f.size), f.name, setup_.productName, f.name);
    if (state_ != State::Files)   // cancelled from the event's handler
        return;
    download_ = new Download(manager_, this);
    connect(download_, &Download::progress, this, [this](qint64 received) { emitBlocks(received, false); });
    connect(download_, &Download::finished, this, &UpdateRun::fileFetched);
    download_->start(siteFile(f.name), f.size, setup_.credentials, stagingPath_ + QLatin1Char('/') + f.name);
}

void UpdateRun::emitBlocks(qint64 received, bool final)
{
    const qint64 size = info_.files[fileIndex_].size;
    qint64 due = received / kBlockBytes;
    if (final)
        due = qMax<qint64>(1, (size + kBlockBytes - 1) / kBlockBytes);
    while (blocksSent_ < due && state_ == State::Files) {
        ++blocksSent_;
        report_(9, long(blocksSent_), {}, setup_.productName, {});
    }
}

void UpdateRun::fileFetched()
{
    Download *d = download_;
    if (!d || state_ != State::Files)
        return;
    d->deleteLater();
    const UpdateFile &f = info_.files[fileIndex_];
    switch (d->outcome()) {
    case Download::Done:
        break;
    case Download::ConnectFailed:
        fail(15, siteFile(f.name).toString(QUrl::RemoveUserInfo), describe(d));
        return;
    case Download::Cancelled:
        return;
    default:
        fail(23, f.name, describe(d));
        return;
    }
    if (d->received() != f.size) {
        fail(23, f.name, QStringLiteral("received %1 of %2 bytes").arg(d->received()).arg(f.size));
        return;
    }
    // What counts is what the disk holds, read back after the sync.
    QString why;
    if (!verifyFileOnDisk(stagingPath_ + QLatin1Char('/') + f.name, f.size, f.sha256, &why)) {
        fail(23, f.name, why);
        return;
    }
    emitBlocks(f.size, true);
    if (state_ == State::Files)
        nextFile();
}

void UpdateRun::filesComplete()
{
    report_(8, info_.files.size(), {}, setup_.productName, {});
    if (state_ != State::Files)
        return;
    // Into place in one rename; an older copy of the same version goes first.
    const QString target = setup_.stateDirectory + QLatin1Char('/') + info_.version;
    const QString previous = target + QStringLiteral(".previous");
    QString link = safefs::linkBelow(setup_.stateBase, target);
    if (link.isEmpty() && safefs::isLink(previous))
        link = previous;
    if (!link.isEmpty()) {
        fail(25, setup_.productName, link + QStringLiteral(" is a link; nothing was changed"));
        return;
    }
    safefs::removeTree(previous);
    const bool hadTarget = QFileInfo::exists(target);
    if (hadTarget && !QDir().rename(target, previous)) {
        fail(25, setup_.productName, QStringLiteral("cannot replace ") + target);
        return;
    }
    if (!QDir().rename(stagingPath_, target)) {
        if (hadTarget)
            QDir().rename(previous, target);
        fail(25, setup_.productName, QStringLiteral("cannot move the update into ") + target);
        return;
    }
    stagingPath_.clear();
    safefs::syncFolder(setup_.stateDirectory);
    safefs::removeTree(previous);
    if (info_.userStep) {
        state_ = State::Completion;
        report_(12, setup_.product, info_.version, setup_.productName, info_.version);
        return;
    }
    recordAndFinish();
}

bool UpdateRun::answerCompletion(bool yes)
{
    if (state_ != State::Completion)
        return false;
    if (!yes) {
        // The files stay for the user's own step; the version is not recorded, so
        // the next check offers the update again.
        state_ = State::Over;
        end();
        return true;
    }
    recordAndFinish();
    return true;
}

void UpdateRun::recordAndFinish()
{
    state_ = State::Over;
    // Success is announced only once it is on record.
    if (!record_ || !record_(info_.version)) {
        fail(25, setup_.productName, QStringLiteral("cannot record the installed version ") + info_.version);
        return;
    }
    if (info_.restart)
        report_(10, setup_.product, info_.version, setup_.productName, info_.version);
    report_(11, setup_.product, info_.version, setup_.productName, info_.version);
    end();
}

void UpdateRun::cancel()
{
    if (state_ == State::Over)
        return;
    if (download_)
        download_->cancel();
    state_ = State::Over;
    removeStaging();
    report_(24, setup_.product, {}, setup_.productName, {});
    end();
}

void UpdateRun::fail(int kind, const QString &first, const QString &second, const QString &text)
{
    state_ = State::Over;
    removeStaging();
    report_(kind, setup_.product, text, first, second);
    end();
}

void UpdateRun::removeStaging()
{
    if (!stagingPath_.isEmpty()) {
        safefs::removeTree(stagingPath_);
        stagingPath_.clear();
    }
}

void UpdateRun::end()
{
    state_ = State::Over;
    emit over();
}

} // namespace pw
