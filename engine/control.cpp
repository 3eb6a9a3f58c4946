#include "control.h"

#include "clock.h"
#include "download.h"
#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace pw {

namespace {

constexpr int kScheduleCheckMs = 60000;
constexpr int kFirstCheckMs = 2000;

QString productFolderName(const QString &name)
{
    QString out;
    for (QChar c : name)
        out += (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.'))
                   ? c
                   : QChar('_');
    return out.isEmpty() || out.startsWith(QLatin1Char('.')) ? QStringLiteral("_") + out : out;
}

// A site text: a URL ("http://...", "file://...") or a directory (a path of
// this machine or of the original platform, absolute or relative to base).
QUrl siteUrl(const QString &text, const QString &base)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    if (t.contains(QLatin1String("://")))
        return QUrl(t);
    QString path = tl::mapPath(t);
    if (QFileInfo(path).isRelative() && !base.isEmpty())
        path = tl::mapPath(base) + QLatin1Char('/') + path;
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}

QUrl withFolder(QUrl url, const QString &folder)
{
    QString f = folder.trimmed();
    f.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (f.isEmpty() || !url.isValid())
        return url;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(QDir::cleanPath(path + f));
    return url;
}

} // namespace

PatchwellControl::PatchwellControl() : log_(logDirectory(), tl::tallylineRoot())
{
    products_.detect(QDateTime::currentDateTime());
    schedule_ = new ScaledTimer(this, kScheduleCheckMs);
    connect(schedule_, &ScaledTimer::timeout, this, &PatchwellControl::checkSchedule);
    schedule_->setEnabled(true);
    auto *first = new ScaledTimer(this, kFirstCheckMs);
    first->setSingleShot(true);
    connect(first, &ScaledTimer::timeout, this, &PatchwellControl::checkSchedule);
    first->setEnabled(true);
}

PatchwellControl::~PatchwellControl()
{
    delete run_;   // leaves nothing half-installed
}

QString PatchwellControl::stateDirectory()
{
    return tl::tallylineRoot() + QStringLiteral("/patchwell");
}

QString PatchwellControl::logDirectory()
{
    return stateDirectory() + QStringLiteral("/log");
}

QString PatchwellControl::productFolder(int product) const
{
    return stateDirectory() + QStringLiteral("/updates/") + productFolderName(products_.name(product));
}

QUrl PatchwellControl::siteOf(int product) const
{
    const QString base = products_.text(product, values::InstallDirectory);
    if (products_.number(product, values::ProductSiteEnabled, 0)) {
        const QString own = products_.text(product, values::ProductSite);
        if (!own.trimmed().isEmpty())
            return siteUrl(own, base);
    }
    return withFolder(siteUrl(products_.text(product, values::UpdateUrl), base),
                      products_.text(product, values::UpdateIniDirectory));
}

void PatchwellControl::report(int kind, long number, const QString &text, const QString &first,
                              const QString &second)
{
    // No login written into a site's address reaches the log or the host.
    const QString shownText = withoutCredentials(text);
    // The setting is read once a run: a large download reports thousands of blocks.
    if (logAll_ < 0)
        logAll_ = ProductStore::serviceNumber(values::LogAllEvents, 0) != 0;
    if (logAll_ > 0 || !EventLog::isRoutine(kind))
        log_.add({QDateTime::currentDateTime(), kind, withoutCredentials(first), withoutCredentials(second)}, true);
    if (kind == 0 && run_) {
        // What the prompt offers stays known after the run (and a restart).
        const int p = run_->setup().product;
        products_.setText(p, "ReadmeFile", run_->readmeFile());
        browser_[products_.name(p)] = run_->installsThroughBrowser();
    }
    if (kind == 11)
        ProductStore::setServiceNumber(values::RecentUpdates, ProductStore::serviceNumber(values::RecentUpdates, 0) + 1);
    // Through the event loop: a host that shows a box or cancels in its handler
    // never does so with the engine's own code on the stack. Events wait in
    // order; one call of the loop hands over all that are waiting (a large
    // download reports thousands of blocks).
    pending_.push_back({kind, number, shownText});
    if (!deliveryQueued_) {
        deliveryQueued_ = true;
        QMetaObject::invokeMethod(this, &PatchwellControl::deliverEvents, Qt::QueuedConnection);
    }
}

void PatchwellControl::deliverEvents()
{
    deliveryQueued_ = false;
    // One at a time from the front: a handler that waits in a loop of its own
    // sees the later events there, in order, as it would with one call each.
    while (!pending_.isEmpty()) {
        const PendingEvent e = pending_.takeFirst();
        if (sink_)
            sink_(e.kind, e.number, e.text);
    }
}

void PatchwellControl::checkSchedule()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < products_.count(); ++i) {
        const QDateTime next = products_.date(i, values::NextUpdate);
        if (next.isValid() && next <= now && !queue_.contains(i) && !(run_ && run_->setup().product == i))
            queue_ << i;
    }
    startNext();
}

long PatchwellControl::updateNow(int product, bool)
{
    if (!products_.valid(product))
        return E_INVALIDARG_;
    if (!queue_.contains(product) && !(run_ && run_->setup().product == product))
        queue_ << product;
    startNext();
    return S_OK_;
}

void PatchwellControl::startNext()
{
    while (!run_ && !queue_.isEmpty()) {
        const int product = queue_.takeFirst();
        if (!products_.valid(product))
            continue;
        const QString name = products_.name(product);
        if (products_.number(product, values::ConnectionType, 0) == 1) {
            // No dial-up networking on this machine.
            report(14, product, {}, name, products_.text(product, values::PreferredConnection));
            const QDateTime now = QDateTime::currentDateTime();
            products_.setDate(product, values::PreviousUpdate, now);
            products_.setDate(product, values::NextUpdate,
                              now.addDays(products_.number(product, values::Interval, kDefaultIntervalDays)));
            continue;
        }
        logAll_ = -1;
        RunSetup setup;
        setup.product = product;
        setup.productName = name;
        setup.installedVersion = products_.text(product, values::InstalledVersion);
        setup.site = siteOf(product);
        setup.customSite = products_.number(product, values::ProductSiteEnabled, 0)
                           && !products_.text(product, values::ProductSite).trimmed().isEmpty();
        setup.credentials.enabled = products_.number(product, values::UserNameEnabled, 0) != 0;
        setup.credentials.user = products_.text(product, values::UserName);
        setup.credentials.password = products_.text(product, values::Password);
        if (!setup.site.userInfo().isEmpty()) {
            // A login written into the address is a login for that site, sent
            // like the General tab's and kept out of every text.
            if (!setup.credentials.enabled)
                setup.credentials = {setup.site.userName(), setup.site.password(), true};
            setup.site.setUserInfo({});
        }
        setup.confirm = products_.number(product, values::ConfirmAllUpdates, 1) != 0;
        setup.stateDirectory = productFolder(product);
        setup.stateBase = tl::tallylineRoot();
        setup.publicKeys = products_.text(product, values::UpdatePublicKey);
        run_ = new UpdateRun(
            &network_, setup,
            [this](int kind, long number, const QString &text, const QString &first, const QString &second) {
                report(kind, number, text, first, second);
            },
            [this, name](const QString &version) {
                const int p = products_.indexOf(name);
                return p >= 0 && products_.setText(p, values::InstalledVersion, version);
            },
            this);
        connect(run_, &UpdateRun::over, this, &PatchwellControl::runOver, Qt::QueuedConnection);
        run_->start();
    }
}

void PatchwellControl::runOver()
{
    UpdateRun *run = run_;
    if (!run || !run->isOver())
        return;
    const int product = products_.indexOf(run->setup().productName);
    if (product >= 0) {
        const QDateTime now = QDateTime::currentDateTime();
        products_.setDate(product, values::PreviousUpdate, now);
        products_.setDate(product, values::NextUpdate,
                          now.addDays(products_.number(product, values::Interval, kDefaultIntervalDays)));
    }
    run_ = nullptr;
    run->deleteLater();
    startNext();
}

bool PatchwellControl::validProduct(const QVariantList &args, int at) const
{
    return args.size() > at && products_.valid(args[at].toInt());
}

QVariant PatchwellControl::Invoke(int id, QVariantList &a, bool *ok)
{
    if (ok)
        *ok = true;
    auto bad = [ok] {
        if (ok)
            *ok = false;
        return QVariant();
    };
    auto need = [&](int n) { return a.size() >= n; };
    const int p = a.isEmpty() ? -1 : a[0].toInt();
    auto text = [&](const char *value) -> QVariant {
        if (!validProduct(a))
            return bad();
        return products_.text(p, value);
    };
    auto setText = [&](const char *value) -> QVariant {
        if (!need(2) || !validProduct(a))
            return bad();
        products_.setText(p, value, a[1].toString());
        return QVariant();
    };
    auto flag = [&](const char *value, long fallback) -> QVariant {
        if (!validProduct(a))
            return bad();
        return products_.number(p, value, fallback) != 0;
    };
    auto setFlag = [&](const char *value) -> QVariant {
        if (!need(2) || !validProduct(a))
            return bad();
        products_.setNumber(p, value, a[1].toBool() ? 1 : 0);
        return QVariant();
    };

    switch (id) {
    case DispUpdateRunning:
        return bool(run_);
    case DispCancelUpdate:
        if (!run_)
            return qlonglong(E_FAIL_);
        queue_.clear();
        run_->cancel();
        return qlonglong(S_OK_);
    case DispSetConfirmAllUpdates:
        return setFlag(values::ConfirmAllUpdates);
    case DispGetConnectionType:
        if (!validProduct(a))
            return bad();
        return short(products_.number(p, values::ConnectionType, 0));
    case DispSetConnectionType:
        if (!need(2) || !validProduct(a))
            return bad();
        products_.setNumber(p, values::ConnectionType, a[1].toInt() == 1 ? 1 : 0);
        return QVariant();
    case DispGetNextUpdate:
        if (!validProduct(a))
            return bad();
        return products_.date(p, values::NextUpdate);
    case DispSetNextUpdate:
        if (!need(2) || !validProduct(a))
            return bad();
        products_.setDate(p, values::NextUpdate, a[1].toDateTime());
        return QVariant();
    case DispGetProductCount:
        return qlonglong(products_.count());
    case DispGetPreferredConnection:
        return text(values::PreferredConnection);
    case DispSetPreferredConnection:
        return setText(values::PreferredConnection);
    case DispGetPreviousUpdate:
        if (!validProduct(a))
            return bad();
        return products_.date(p, values::PreviousUpdate);
    case DispGetProductName:
        if (!validProduct(a))
            return bad();
        return products_.name(p);
    case DispGetUpdateInterval:
        if (!validProduct(a))
            return bad();
        return qlonglong(products_.number(p, values::Interval, kDefaultIntervalDays));
    case DispSetUpdateInterval:
        if (!need(2) || !validProduct(a))
            return bad();
        products_.setNumber(p, values::Interval, qBound(1, a[1].toInt(), 365));
        return QVariant();
    case DispSetRunFromStartUp:
        return setFlag(values::RunFromStartUp);
    case DispGetRunFromStartUp:
        return flag(values::RunFromStartUp, 0);
    case DispUpdateNow:
        if (!validProduct(a))
            return qlonglong(E_INVALIDARG_);
        return qlonglong(updateNow(p, false));
    case DispGetConfirmAllUpdates:
        return flag(values::ConfirmAllUpdates, 1);
    case DispDetectProducts:
        products_.detect(QDateTime::currentDateTime());
        return qlonglong(S_OK_);
    case DispAnswerUpdatePrompt:
        if (!need(2) || !run_ || run_->setup().product != p)
            return qlonglong(E_FAIL_);
        return qlonglong(run_->answerPrompt(a[1].toBool()) ? S_OK_ : E_FAIL_);
    case DispGetInstallThroughBrowser:
        if (!validProduct(a))
            return bad();
        return browser_.value(products_.name(p), false)
               || (run_ && run_->setup().product == p && run_->installsThroughBrowser());
    case DispGetLogRecordCount:
        return qlonglong(log_.count());
    case DispClearLog:
        log_.clear();
        return QVariant();
    case DispGetLogAllEvents:
        return ProductStore::serviceNumber(values::LogAllEvents, 0) != 0;
    case DispSetLogAllEvents:
        if (!need(1))
            return bad();
        ProductStore::setServiceNumber(values::LogAllEvents, a[0].toBool() ? 1 : 0);
        logAll_ = -1;
        return QVariant();
    case DispAnswerCompletionPrompt:
        if (!need(2) || !run_ || run_->setup().product != p)
            return false;
        return run_->answerCompletion(a[1].toBool());
    case DispGetLogRecordTime: {
        const EventRecord *r = log_.at(p);
        return r ? r->time : QDateTime();
    }
    case DispGetLogRecord: {
        const EventRecord *r = log_.at(p);
        while (a.size() < 3)
            a << QString();
        if (!r) {
            a[1] = QString();
            a[2] = QString();
            return qlonglong(-1);
        }
        a[1] = r->first;
        a[2] = r->second;
        return qlonglong(r->kind);
    }
    case DispGetLogDirectory:
        return log_.directory();
    case DispGetReadmeFile: {
        if (!validProduct(a))
            return bad();
        if (run_ && run_->setup().product == p && !run_->readmeFile().isEmpty())
            return run_->readmeFile();
        const QString readme = products_.text(p, "ReadmeFile");
        return QFileInfo::exists(readme) ? readme : QString();
    }
    case DispGetProductSiteEnabled:
        return flag(values::ProductSiteEnabled, 0);
    case DispSetProductSiteEnabled:
        return setFlag(values::ProductSiteEnabled);
    case DispGetProductSite:
        return text(values::ProductSite);
    case DispSetProductSite:
        return setText(values::ProductSite);
    case DispGetDialupAvailable:
        return false;
    case DispSetPhonebook:
        return setText(values::Phonebook);
    case DispGetPhonebook:
        return text(values::Phonebook);
    case DispLoadPhonebookEntries:
        return validProduct(a) ? QVariant() : bad();
    case DispGetPhonebookEntry:
        return QString();
    case DispGetPhonebookEntryCount:
        return qlonglong(0);
    case DispSetUpdateAlert:
        if (!need(1))
            return bad();
        if (!p)
            ProductStore::setServiceNumber(values::RecentUpdates, 0);
        return QVariant();
    case DispGetRecentUpdateCount:
        return qlonglong(ProductStore::serviceNumber(values::RecentUpdates, 0));
    case DispGetUserName:
        return text(values::UserName);
    case DispGetPassword:
        return text(values::Password);
    case DispSetUserName:
        return setText(values::UserName);
    case DispSetPassword:
        return setText(values::Password);
    case DispSetUserNameEnabled:
        return setFlag(values::UserNameEnabled);
    case DispGetUserNameEnabled:
        return flag(values::UserNameEnabled, 0);
    default:
        return bad();
    }
}

} // namespace pw
