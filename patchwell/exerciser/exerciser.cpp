#include "exerciser.h"

#include "app.h"
#include "downloadprogressdialog.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"
#include "registry.h"
#include "tabctrlwithdisable.h"
#include "termination.h"
#include "updateevents.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

const char *const kProductsKey = "Software\\Varnel\\Patchwell\\Products";
const char *const kClassKey = "CLSID\\{CCFDE578-9BE0-11D1-8E3E-00A02450872B}";
const QStringList kProducts = {QStringLiteral("Varnel Brenmoor ISDN TA"), QStringLiteral("Varnel Lumora IDSL Modem")};

bool usable(const QWidget *w)
{
    return w && w->isVisible() && w->isEnabled();
}

} // namespace

// The desktop's side of the icon: what the exerciser clicks.
class Exerciser::Tray : public TrayBackend {
public:
    explicit Tray(Exerciser *owner) : owner_(owner) { owner_->tray = this; }
    ~Tray() override
    {
        if (owner_->tray == this)
            owner_->tray = nullptr;
    }
    bool add(const QIcon &, const QString &) override { return added = true; }
    void setIcon(const QIcon &) override {}
    void setToolTip(const QString &) override {}
    void remove() override { added = false; }
    void setMenu(QMenu *m) override { menu = m; }
    void popUp(QMenu *m, const QPoint &at) override
    {
        menu = m;
        m->popup(at);
    }
    bool added = false;
    QPointer<QMenu> menu;

private:
    Exerciser *owner_;
};

Exerciser::Exerciser(const ExerciserOptions &options) : options_(options), rng_(options.seed)
{
    log_.setFileName(options.logPath);
    log_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    clock_.start();
    setUiServices(this);
    setTrayBackendFactory([this] { return std::make_unique<Tray>(this); });
    beatTimer_.setInterval(100);
    connect(&beatTimer_, &QTimer::timeout, this, [this] { lastBeat = clock_.elapsed(); });
    connect(&actionTimer_, &QTimer::timeout, this, &Exerciser::act);
    actionTimer_.setSingleShot(true);
    wayOutTimer_.setInterval(500);
    connect(&wayOutTimer_, &QTimer::timeout, this, &Exerciser::checkWayOut);
}

Exerciser::~Exerciser()
{
    setTrayBackendFactory(nullptr);
    setUiServices(nullptr);
    for (QProcess *p : std::as_const(seconds_)) {
        p->kill();
        p->waitForFinished(5000);
        delete p;
    }
}

void Exerciser::note(const QString &action)
{
    const QString line = QStringLiteral("%1 ms: %2").arg(clock_.elapsed(), 7).arg(action);
    recent_.append(line);
    if (recent_.size() > 30)
        recent_.removeFirst();
    log_.write(line.toUtf8() + '\n');
    log_.flush();
}

QString Exerciser::recentActions() const
{
    return recent_.join(QLatin1Char('\n'));
}

void Exerciser::fail(const QString &why)
{
    ++failures_;
    note(QStringLiteral("FAILED: ") + why);
    fprintf(stderr, "exerciser: FAILED (seed %llu): %s\nlast actions:\n%s\naction log: %s\n",
            static_cast<unsigned long long>(options_.seed), qPrintable(why), qPrintable(recentActions()),
            qPrintable(options_.logPath));
    if (app_ && !app_->isClosing())
        ::kill(::getpid(), SIGTERM);
}

void Exerciser::setUpMachine()
{
    site_ = std::make_unique<FaultSite>();
    for (const QString &name : kProducts) {
        const QString key = QLatin1String(kProductsKey) + QLatin1Char('\\') + name;
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("InstalledVersion"), QStringLiteral("1.0"));
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("ProductUpdateURL"), site_->url());
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("UpdateIniDirectory"), QString());
    }
    // One product is due at once: the engine's own schedule starts a run.
    reg::writeString(RegRoot::LocalMachine, QLatin1String(kProductsKey) + QLatin1Char('\\') + kProducts[1],
                     QStringLiteral("NextUpdate"), QDateTime::currentDateTime().addDays(-1).toString(Qt::ISODate));
}

int Exerciser::run()
{
    note(QStringLiteral("seed %1, %2 s").arg(options_.seed).arg(options_.seconds));
    setUpMachine();
    beatTimer_.start();
    wayOutTimer_.start();
    while (clock_.elapsed() < qint64(options_.seconds) * 1000 && failures_ == 0)
        runProgram();
    for (QProcess *p : std::as_const(seconds_)) {
        if (p->state() != QProcess::NotRunning && !p->waitForFinished(20000)) {
            fail(QStringLiteral("a second start did not end: ") + p->arguments().join(QLatin1Char(' ')));
            p->kill();
        }
    }
    note(QStringLiteral("done: %1 programs, %2 actions, %3 failures").arg(programs_).arg(actions_).arg(failures_));
    fprintf(stderr, "exerciser: seed %llu: %d programs, %d actions, %s\n",
            static_cast<unsigned long long>(options_.seed), programs_, actions_, failures_ ? "FAILED" : "passed");
    return failures_ ? 1 : 0;
}

void Exerciser::runProgram()
{
    ++programs_;
    configOnly_ = chance(30);
    QStringList args;
    if (configOnly_) {
        // As Portdeck starts it: "-C", an empty word, the device's name (or one no product has).
        args << QStringLiteral("-C") << QString();
        args << (chance(80) ? kProducts[pick(2)] : QStringLiteral("No Such Device")).split(QLatin1Char(' '));
    }
    note(QStringLiteral("start program %1 %2").arg(programs_).arg(args.join(QLatin1Char(' '))));
    noIconSinceMs_ = hiddenSinceMs_ = -1;
    {
        CPatchwellApp app;
        app_ = &app;
        QObject::connect(&app, &CPatchwellApp::closing, qApp, [] { QCoreApplication::exit(0); },
                         Qt::QueuedConnection);
        TerminationHandler termination(app);
        actionTimer_.start(50);
        if (app.InitInstance(args) && !termination.terminated())
            QApplication::exec();
        actionTimer_.stop();
        note(QStringLiteral("program %1 ends").arg(programs_));
        app.ExitInstance();
        app_ = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    endSecondStarts();
    checkAfterProgram();
}

void Exerciser::endSecondStarts()
{
    // One started as this program was ending found no copy to ask and became
    // a program of its own (with no tray here, it waits in its failure box).
    // It must end on SIGTERM like any copy, and before the next program starts.
    for (QProcess *p : std::exchange(seconds_, {})) {
        if (p->state() != QProcess::NotRunning) {
            note(QStringLiteral("SIGTERM to a copy started beside the program"));
            p->terminate();
            if (!p->waitForFinished(20000)) {
                fail(QStringLiteral("a copy of its own did not end on SIGTERM"));
                p->kill();
                p->waitForFinished(5000);
            }
        }
        delete p;
    }
}

void Exerciser::checkAfterProgram()
{
    if (reg::keyExists(RegRoot::ClassesRoot, QLatin1String(kClassKey)))
        fail(QStringLiteral("the engine is still registered after the program ended"));
    const QStringList bad = QDir(options_.root + QStringLiteral("/registry")).entryList({QStringLiteral("*.bad")});
    if (!bad.isEmpty())
        fail(QStringLiteral("a registry file was damaged: ") + bad.join(QLatin1Char(' ')));
    QDirIterator it(options_.root + QStringLiteral("/patchwell/updates"), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString dir = it.next();
        if (QFileInfo(dir).fileName().startsWith(QLatin1String(".staging-")))
            fail(QStringLiteral("a staging folder was left: ") + dir);
    }
    for (const QString &name : kProducts) {
        const QString key = QLatin1String(kProductsKey) + QLatin1Char('\\') + name;
        const QString installed = reg::readString(RegRoot::LocalMachine, key, QStringLiteral("InstalledVersion")).value_or(QString());
        if (installed != QLatin1String("1.0") && !site_->published().contains(installed))
            fail(QStringLiteral("%1 has a version the site never offered: '%2'").arg(name, installed));
        if (reg::readString(RegRoot::LocalMachine, key, QStringLiteral("ProductUpdateURL")).value_or(QString()) != site_->url())
            fail(QStringLiteral("%1 lost its update address").arg(name));
    }
}

QDialog *Exerciser::shownSheet() const
{
    ConfigurationSheet *s = app_ && app_->mainFrame() ? app_->mainFrame()->existingSheet() : nullptr;
    return s && s->dialog()->isVisible() ? s->dialog() : nullptr;
}

int Exerciser::messageBox(QWidget *, const QString &text, const QString &, int buttons, int)
{
    note(QStringLiteral("box: ") + text.left(70).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    // The user reads for a while: everything else goes on meanwhile. The box
    // ends with its program, as every loop does.
    QEventLoop loop;
    boxes_.append(&loop);
    QTimer::singleShot(pick(1500), &loop, &QEventLoop::quit);
    QMetaObject::Connection ending;
    if (app_)
        ending = connect(app_, &CPatchwellApp::closing, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(ending);
    boxes_.removeOne(&loop);
    const int kind = buttons & 0x0F;
    const int answer = kind == MB_YESNO ? (chance(65) ? IDYES : IDNO) : kind == MB_OK ? IDOK : IDCANCEL;
    note(QStringLiteral("box answered %1").arg(answer));
    return answer;
}

void Exerciser::act()
{
    actionTimer_.start(20 + pick(280));
    if (!app_ || app_->isClosing())
        return;
    ++actions_;
    if (clock_.elapsed() >= qint64(options_.seconds) * 1000) {
        note(QStringLiteral("time is up: SIGTERM"));
        ::kill(::getpid(), SIGTERM);
        return;
    }
    const int r = pick(100);
    if (r < 18)
        doubleClickIcon();
    else if (r < 32)
        rightClickIcon();
    else if (r < 66)
        actInSheet();
    else if (r < 71)
        actInAbout();
    else if (r < 77)
        cancelDownload();
    else if (r < 80)
        secondStart();
    else if (r < 82)
        terminate();
    else if (r < 92)
        switchFault();
    else if (QMenu *menu = tray ? tray->menu.data() : nullptr; menu && menu->isVisible()) {
        note(QStringLiteral("menu dismissed"));
        menu->hide();
    }
}

void Exerciser::doubleClickIcon()
{
    if (!tray || !tray->added)
        return;
    note(QStringLiteral("double click on the icon"));
    tray->onMouse(WM_LBUTTONDBLCLK_);
}

void Exerciser::rightClickIcon()
{
    if (!tray || !tray->added)
        return;
    note(QStringLiteral("right click on the icon"));
    tray->onMouse(WM_RBUTTONUP_);
    QTimer::singleShot(30 + pick(300), this, &Exerciser::pickFromMenu);
}

void Exerciser::pickFromMenu()
{
    QMenu *menu = tray ? tray->menu.data() : nullptr;
    if (!app_ || app_->isClosing() || !menu || !menu->isVisible())
        return;
    QList<QAction *> items;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            items << a;
    if (items.isEmpty())
        return;
    // Exit now and then, so that programs come and go.
    QAction *a = items[chance(25) ? items.size() - 1 : pick(int(items.size()))];
    note(QStringLiteral("menu: %1%2").arg(a->text(), a->isEnabled() ? QString() : QStringLiteral(" (greyed)")));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
}

void Exerciser::actInSheet()
{
    auto *sheet = static_cast<CPropSheetManager *>(shownSheet());
    if (!sheet)
        return;
    QList<QWidget *> widgets;
    for (QWidget *w : sheet->findChildren<QWidget *>()) {
        if (!usable(w))
            continue;
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QListWidget *>(w)
            || w == sheet->tabControl())
            widgets << w;
    }
    if (widgets.isEmpty())
        return;
    QWidget *w = widgets[pick(int(widgets.size()))];
    // The buttons that end the sheet or start a run, less often than the rest.
    if ((w == static_cast<QWidget *>(sheet->okButton()) || w == static_cast<QWidget *>(sheet->cancelButton())) && chance(60))
        return;
    const QString name = w->objectName();
    if (w == sheet->tabControl()) {
        const int tab = pick(sheet->tabControl()->count());
        note(QStringLiteral("sheet: tab %1").arg(tab));
        QTest::mouseClick(sheet->tabControl(), Qt::LeftButton, {}, sheet->tabControl()->tabRect(tab).center());
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QString text;
        if (name.startsWith(QLatin1String("interval")))
            text = chance(10) ? QString() : QString::number(pick(420));
        else if (name.startsWith(QLatin1String("productSite")))
            text = chance(70) ? site_->url() : chance(50) ? QStringLiteral("   ") : QStringLiteral("http://127.0.0.1:9/gone");
        else
            text = QString(1 + pick(20), QLatin1Char('a' + pick(26)));
        note(QStringLiteral("sheet: type '%1' into %2").arg(text, name));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        if (list->count() == 0)
            return;
        const int row = pick(list->count());
        note(QStringLiteral("sheet: product %1").arg(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    } else {
        note(QStringLiteral("sheet: click %1 '%2'").arg(name, static_cast<QAbstractButton *>(w)->text()));
        const QPoint at = qobject_cast<QCheckBox *>(w) ? QPoint(8, w->height() / 2) : w->rect().center();
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }
}

void Exerciser::actInAbout()
{
    QWidget *about = app_->aboutBox();
    if (!about)
        return;
    if (chance(50)) {
        note(QStringLiteral("about: OK"));
        if (auto *ok = about->findChild<QAbstractButton *>(QStringLiteral("IDOK")))
            QTest::mouseClick(ok, Qt::LeftButton);
    } else {
        note(QStringLiteral("about: closed by the window manager"));
        about->close();
    }
}

void Exerciser::cancelDownload()
{
    CDownloadProgressDialog *d = app_->updateEvents() ? app_->updateEvents()->progressDialog() : nullptr;
    if (!usable(d))
        return;
    note(QStringLiteral("progress: Cancel"));
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
}

void Exerciser::secondStart()
{
    if (seconds_.size() >= 2)
        return;
    auto *p = new QProcess;
    QStringList args;
    if (chance(50))
        args << QStringLiteral("-C") << kProducts[pick(2)].split(QLatin1Char(' '));
    p->setProgram(options_.programDir + QStringLiteral("/patchwell"));
    p->setArguments(args);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setStandardOutputFile(QProcess::nullDevice());
    note(QStringLiteral("second start %1").arg(args.join(QLatin1Char(' '))));
    p->start();
    seconds_ << p;
    const int program = programs_;
    // It ends at once, having asked this copy to open its sheet.
    QTimer::singleShot(20000, this, [this, guard = QPointer<QProcess>(p), program] {
        QProcess *p = guard.data();
        if (!p || !seconds_.contains(p))
            return;
        if (p->state() != QProcess::NotRunning) {
            // Started as this copy was ending, it is a copy of its own: not a fault.
            if (program == programs_)
                fail(QStringLiteral("a second start ran on for 20 s"));
            p->kill();
            p->waitForFinished(5000);
        }
        seconds_.removeOne(p);
        p->deleteLater();
    });
}

void Exerciser::terminate()
{
    note(QStringLiteral("SIGTERM"));
    ::kill(::getpid(), SIGTERM);
}

void Exerciser::switchFault()
{
    if (chance(30)) {
        site_->publish(1000 + pick(40000));
        note(QStringLiteral("site: version %1 appears").arg(site_->version()));
        return;
    }
    const auto fault = FaultSite::Fault(pick(FaultSite::FaultCount));
    site_->setFault(fault);
    note(QStringLiteral("site: ") + FaultSite::faultName(fault));
}

void Exerciser::checkWayOut()
{
    if (!app_ || app_->isClosing() || !app_->mainFrame()) {
        noIconSinceMs_ = hiddenSinceMs_ = -1;
        return;
    }
    const qint64 now = clock_.elapsed();
    const qint64 stuck = qint64(options_.stuckSeconds) * 1000;
    if (!tray || !tray->added) {
        if (noIconSinceMs_ < 0)
            noIconSinceMs_ = now;
        else if (now - noIconSinceMs_ > stuck)
            fail(QStringLiteral("the program runs on with no tray icon"));
    } else {
        noIconSinceMs_ = -1;
    }
    // A sheet that is open but hidden, with no run and no box to bring it back.
    CMainFrame *frame = app_->mainFrame();
    const bool hidden = frame->sheetOpen && !shownSheet() && boxes_.isEmpty() && app_->control()
                        && !app_->control()->GetUpdateRunning();
    if (hidden) {
        if (hiddenSinceMs_ < 0)
            hiddenSinceMs_ = now;
        else if (now - hiddenSinceMs_ > stuck)
            fail(QStringLiteral("the sheet is open but hidden, and nothing will bring it back"));
    } else {
        hiddenSinceMs_ = -1;
    }
}
