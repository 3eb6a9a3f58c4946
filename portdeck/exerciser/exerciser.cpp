#include "exerciser.h"

#include "clock.h"
#include "registry.h"
#include "simdevices.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

QMutex gRecentLock;
UiServices *gQtServices = nullptr;

// Commands the programs ask, for "error=" faults.
const char *const kQueries[] = {"ati7", "ati12", "ati15", "ati4", "ati17", "ati18", "ati19", "ati20",
                                "at~c?", "at&w", "at*w?", "ati16", "ATE0", "at&f4&w"};

// The library forms Portdeck shows on its right.
const char *const kLibraryForms[] = {"TQuillonForm", "TMantletForm", "TGantryForm",
                                     "TSprocketForm", "TWicketForm", "TTesselForm"};

bool isLibraryForm(const QObject *o)
{
    for (const char *name : kLibraryForms)
        if (o->inherits(name))
            return true;
    return false;
}

} // namespace

int loopLevel()
{
    return QThread::currentThread()->loopLevel();
}

bool usable(const QWidget *w)
{
    return w && w->isVisible() && w->isEnabled();
}

QString describe(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(none)");
    QString name = w->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(w->metaObject()->className());
    if (auto *b = qobject_cast<const QAbstractButton *>(w); b && !b->text().isEmpty())
        name += QStringLiteral(" \"") + b->text() + QLatin1Char('"');
    return name;
}

Exerciser::Exerciser(const ExerciserOptions &options, ProgramHost &host)
    : options_(options), host_(host), rng_(options.seed)
{
    clock_.start();
    log_.setFileName(options_.logPath);
    if (!log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        std::fprintf(stderr, "exerciser: cannot write the action log %s\n", qPrintable(options_.logPath));
    firmwareFile_ = options_.root + QStringLiteral("/firmware.bin");
    QFile fw(firmwareFile_);
    if (!fw.exists() && fw.open(QIODevice::WriteOnly))
        fw.write("VARNEL-FW 5240 05/01/00\r\n" + QByteArray(3000, 'x'));
    setUiServices(nullptr);
    gQtServices = &ui();
    setUiServices(this);
}

Exerciser::~Exerciser()
{
    setUiServices(nullptr);
}

void Exerciser::note(const QString &action)
{
    const QString line = QStringLiteral("%1 ms L%2 %3").arg(clock_.elapsed(), 7).arg(loopLevel()).arg(action);
    log_.write(line.toUtf8() + '\n');
    QMutexLocker lock(&gRecentLock);
    recent_ << line;
    if (recent_.size() > 40)
        recent_.removeFirst();
}

QString Exerciser::recentActions() const
{
    QMutexLocker lock(&gRecentLock);
    return recent_.join(QLatin1Char('\n'));
}

void Exerciser::fail(const QString &why)
{
    ++failures_;
    const QString text = QStringLiteral("FAILED (seed %1): %2").arg(options_.seed).arg(why);
    note(text);
    std::fprintf(stderr, "exerciser: %s\nlast actions:\n%s\naction log: %s\n", qPrintable(text),
                 qPrintable(recentActions()), qPrintable(options_.logPath));
    for (const ExercisedDevice &d : devices_) {
        QFile f(d.transcript);
        if (f.open(QIODevice::ReadOnly)) {
            if (f.size() > 1500)
                f.seek(f.size() - 1500);
            std::fprintf(stderr, "--- COM%d (%s) ---\n%s\n", d.com, qPrintable(d.product), f.readAll().constData());
        }
    }
    std::fflush(stderr);
    if (options_.endWithExit)
        ::_exit(3);   // inside the real program: the run ends here, the supervisor reports it
    finish();
}

qint64 Exerciser::realBound(qint64 unscaledMs, qint64 floorMs) const
{
    return std::max(floorMs, qint64(double(unscaledMs) * scale_));
}

// ---- the window as a user sees it ----

QWidget *Exerciser::window() const
{
    return host_.window();
}

QWidget *Exerciser::own(const char *name) const
{
    QWidget *w = window();
    if (!w)
        return nullptr;
    // The left panel's buttons, then the top row: never a library form's control of the same name.
    if (auto *panel = w->findChild<QWidget *>(QStringLiteral("OptionsPageControl"), Qt::FindDirectChildrenOnly))
        if (auto *found = panel->findChild<QWidget *>(QLatin1String(name)))
            return found;
    return w->findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

QWidget *Exerciser::defaultSheet() const
{
    QWidget *w = window();
    auto *pages = w ? w->findChild<QWidget *>(QStringLiteral("PageControl1"), Qt::FindDirectChildrenOnly) : nullptr;
    return pages ? pages->findChild<QWidget *>(QStringLiteral("DefaultSheet"), Qt::FindDirectChildrenOnly) : nullptr;
}

QList<QWidget *> Exerciser::deviceButtons() const
{
    QList<QWidget *> out;
    if (QWidget *box = own("ScrollBox1"))
        for (QPushButton *b : box->findChildren<QPushButton *>())
            if (b->inherits("TCustomBitBtn") && b->isVisible())
                out << b;
    return out;
}

QWidget *Exerciser::shownForm() const
{
    if (QWidget *sheet = defaultSheet())
        for (QWidget *w : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (isLibraryForm(w) && w->isVisible())
                return w;
    return nullptr;
}

QWidget *Exerciser::libraryFormOf(QWidget *w) const
{
    for (; w; w = w->parentWidget())
        if (isLibraryForm(w))
            return w;
    return nullptr;
}

static QWidget *currentPage(QWidget *pages)
{
    auto *stack = qobject_cast<QStackedWidget *>(pages);
    return stack ? stack->currentWidget() : nullptr;
}

bool Exerciser::productScreen() const
{
    QWidget *page = currentPage(own("OptionsPageControl"));
    return page && page->objectName() == QLatin1String("OptionsSheet") && window()->isVisible();
}

bool Exerciser::deviceList() const
{
    QWidget *page = currentPage(own("OptionsPageControl"));
    return page && page->objectName() == QLatin1String("ModemSheet");
}

bool Exerciser::idle() const
{
    return loopLevel() <= baseLoopLevel_ && !QApplication::activeModalWidget();
}

QString Exerciser::screenName() const
{
    if (QWidget *form = shownForm())
        return QStringLiteral("tool %1").arg(QString::fromLatin1(form->metaObject()->className()));
    if (productScreen())
        return QStringLiteral("product screen");
    if (deviceList())
        return QStringLiteral("device list");
    return QStringLiteral("no screen");
}

// Library forms come with their first showing; each is watched for being hidden.
void Exerciser::watchForms()
{
    QWidget *sheet = defaultSheet();
    if (!sheet)
        return;
    for (QWidget *w : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!isLibraryForm(w) || watchedForms_.contains(w))
            continue;
        watchedForms_.insert(w);
        w->installEventFilter(this);
        connect(w, &QObject::destroyed, this, [this, w] { watchedForms_.remove(w); });
    }
}

bool Exerciser::eventFilter(QObject *watched, QEvent *event)
{
    auto *form = qobject_cast<QWidget *>(watched);
    if (form && form->inherits("TQuillonForm") && (event->type() == QEvent::Hide || event->type() == QEvent::Show)) {
        const bool hidden = event->type() == QEvent::Hide;
        // A window minimised hides its children without their being hidden themselves.
        if (!hidden || form->isHidden()) {
            for (const auto &watch : watches_) {
                for (const QString &fault : watch->poll(clock_.elapsed()))
                    QTimer::singleShot(0, this, [this, fault] { fail(fault); });
                hidden ? watch->formHidden() : watch->formShown();
            }
            note(hidden ? QStringLiteral("configuration form hidden") : QStringLiteral("configuration form shown"));
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- the program's boxes and dialogs ----

int Exerciser::messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon)
{
    note(QStringLiteral("box shown: ") + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).left(120));
    if (QWidget *form = libraryFormOf(parent); form && form->isHidden())
        QTimer::singleShot(0, this, [this, text, form = QString::fromLatin1(form->metaObject()->className())] {
            fail(QStringLiteral("%1 opened a box while hidden: \"%2\"").arg(form, text.left(120)));
        });
    for (const auto &watch : watches_)
        watch->boxShown(text, clock_.elapsed());
    if (endPressedMs_ >= 0 && text.startsWith(QLatin1String("There is currently a product update in progress")))
        endPressedMs_ = -1;   // refused: pressed again once the box is answered
    if (probe_.active && text.startsWith(QLatin1String("There is currently a product update in progress"))) {
        if (probe_.refusedSinceMs < 0)
            probe_.refusedSinceMs = clock_.elapsed();
        probe_.pressAgainAtMs = clock_.elapsed() + realBound(2000, 300);
    }
    const int answer = gQtServices->messageBox(parent, text, caption, buttons, icon);
    note(QStringLiteral("box answered %1").arg(answer));
    return answer;
}

void Exerciser::dialogPause(QWidget *parent, int ms)
{
    // A dialog's own loop, short; it ends with its parent as a real one does.
    QEventLoop loop;
    if (parent)
        connect(parent, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString Exerciser::openFileName(QWidget *parent, const QString &title, const QString &, const QString &)
{
    note(QStringLiteral("open dialog: ") + title);
    if (QWidget *form = libraryFormOf(parent); form && form->isHidden())
        QTimer::singleShot(0, this, [this, title] { fail(QStringLiteral("a hidden form opened a file dialog: ") + title); });
    const QPointer<QWidget> owner(parent);
    dialogPause(parent, 20 + pick(300));
    if (parent && !owner) {   // as a real dialog: gone with its parent, nothing chosen
        note(QStringLiteral("open dialog gone with its parent"));
        return {};
    }
    // Only the companion tools are given a file: Portdeck's own browsing
    // would start the chosen file with another program.
    bool updater = false, tool = false;
    for (QWidget *w = parent; w; w = w->parentWidget()) {
        updater = updater || w->inherits("TSprocketForm");
        tool = tool || w->inherits("TSprocketForm") || w->inherits("TWicketForm") || w->inherits("TGantryForm");
    }
    QString answer;
    if (updater && chance(50)) {
        answer = firmwareFile_;
    } else if (tool && chance(50)) {
        // Any bytes at all: a damaged capture, image or file to send.
        answer = options_.root + QStringLiteral("/random-%1.bin").arg(pick(4));
        QFile f(answer);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            QByteArray bytes(pick(4000), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(pick(256));
            f.write(bytes);
        }
    }
    note(QStringLiteral("open dialog answered \"%1\"").arg(answer));
    return answer;
}

QString Exerciser::saveFileName(QWidget *parent, const QString &title, const QString &, const QString &)
{
    note(QStringLiteral("save dialog: ") + title);
    const QPointer<QWidget> owner(parent);
    dialogPause(parent, 20 + pick(300));
    if (parent && !owner)
        return {};
    const QString answer = chance(50) ? options_.root + QStringLiteral("/saved-%1.txt").arg(pick(3)) : QString();
    note(QStringLiteral("save dialog answered \"%1\"").arg(answer));
    return answer;
}

bool Exerciser::showHelp(QWidget *, const QString &helpFile, int context)
{
    note(QStringLiteral("help %1 %2").arg(helpFile).arg(context));
    return true;
}

int Exerciser::chooseLanguage(QWidget *parent, const QList<LanguageChoice> &languages, int)
{
    dialogPause(parent, 20 + pick(200));
    const int answer = languages.isEmpty() || chance(20) ? -1 : languages[pick(int(languages.size()))].languageId;
    note(QStringLiteral("language dialog answered %1").arg(answer, 0, 16));
    return answer;
}

// ---- the run ----

QString Exerciser::randomFaults()
{
    QStringList faults;
    const int n = 1 + pick(2);
    for (int i = 0; i < n; ++i) {
        switch (pick(7)) {
        case 0: faults << QStringLiteral("silent"); break;
        case 1: faults << QStringLiteral("silent-after=%1").arg(1 + pick(8)); break;
        case 2: faults << QStringLiteral("garbage=%1").arg(1 + pick(24)); break;
        case 3:
        case 4: faults << QStringLiteral("error=") + QLatin1String(kQueries[pick(int(std::size(kQueries)))]); break;
        case 5: faults << QStringLiteral("lose-ati7-head"); break;
        default: faults << QStringLiteral("baud=57600"); break;
        }
    }
    return faults.join(QLatin1Char(','));
}

QString Exerciser::randomText()
{
    static const char kChars[] = "0123456789012345678901234567890123456789abcXYZ -+*#,.";
    QString text;
    const int n = 1 + pick(12);
    for (int i = 0; i < n; ++i)
        text += QLatin1Char(kChars[pick(int(sizeof kChars) - 1)]);
    return text;
}

void Exerciser::useDevices(const QList<ExercisedDevice> &devices)
{
    devices_ = devices;
    for (const ExercisedDevice &d : devices_) {
        returnAtMs_ << -1;
        if (d.product == QLatin1String("isdnta"))
            watches_ << std::make_shared<exerciser::TranscriptWatch>(
                d.transcript, QStringLiteral("COM%1").arg(d.com), exerciser::TranscriptWatch::Settings{});
    }
}

void Exerciser::startDevices()
{
    sims_ = std::make_unique<SimDevices>(options_.root);
    ownBlocking = true;
    const QList<ExercisedDevice> devices = sims_->startTypical(rng_, tapiMode_, [this](const QString &s) { note(s); });
    ownBlocking = false;
    useDevices(devices);
}

void Exerciser::startProgram()
{
    restartAtMs_ = -1;
    ++programs_;
    // Part of the programs run at the real clock: a wait that freezes the
    // window lasts there as long as a user would see it.
    const bool slow = pick(100) < options_.slowPercent;
    scale_ = slow ? 1.0 : options_.fastScale;
    slowPrograms_ += slow;
    const QString language = chance(50) ? QStringLiteral("407") : QStringLiteral("409");
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", language);
    QStringList args{QStringLiteral("/l")};
    if (chance(50))
        args << QStringLiteral("/y");
    if (tapiMode_)
        args << QStringLiteral("/t");
    note(QStringLiteral("start Portdeck %1, language %2, clock %3").arg(args.join(QLatin1Char(' ')), language).arg(scale_));
    host_.startProgram(args, scale_);
    watchedForms_.clear();
    probe_ = Probe{};
    blockedSinceMs_ = -1;
    nextProbeMs_ = clock_.elapsed() + realBound(3000 + pick(8000), 2000 + pick(6000));
    const qint64 restartWindow = scale_ >= 0.5 ? tl::ticksToUnscaledMs(30) : 0;
    for (const auto &watch : watches_)
        watch->setSettings({realBound(60000, 5000), restartWindow});
}

void Exerciser::programEnded()
{
    note(QStringLiteral("Portdeck ended"));
    for (const auto &watch : watches_)
        watch->formShown();   // a form of the next program is watched afresh
    host_.dropProgram();
    restartAtMs_ = clock_.elapsed() + 100 + pick(400);
}

int Exerciser::run()
{
    note(QStringLiteral("seed %1, %2 s, root %3").arg(options_.seed).arg(options_.seconds).arg(options_.root));
    if (host_.canRestart())
        startProgram();
    else
        scale_ = tl::timeScale();

    beatTimer_.setInterval(100);
    connect(&beatTimer_, &QTimer::timeout, this, [this] {
        lastBeat = clock_.elapsed();
        if (loopLevel() <= baseLoopLevel_)
            topLevelSeenMs_ = clock_.elapsed();
    });
    beatTimer_.start();
    checkTimer_.setInterval(250);
    connect(&checkTimer_, &QTimer::timeout, this, [this] { check(); });
    checkTimer_.start();
    actionTimer_.setSingleShot(true);
    connect(&actionTimer_, &QTimer::timeout, this, [this] { act(); });
    actionTimer_.start(300);
    if (!host_.canRestart())
        return 0;   // inside the real program: its own loop runs the session

    QApplication::exec();
    host_.dropProgram();
    if (sims_)
        sims_->stopAll();
    note(summary());
    std::fprintf(stderr, "exerciser: %s\n", qPrintable(summary()));
    return failures_ ? 1 : 0;
}

QString Exerciser::summary() const
{
    return QStringLiteral("seed %1 %2: %3 actions, %4 program starts (%5 at the real clock), %6 ways out, %7 ms")
        .arg(options_.seed)
        .arg(failures_ ? "FAILED" : "passed")
        .arg(actions_)
        .arg(programs_)
        .arg(slowPrograms_)
        .arg(probes_)
        .arg(clock_.elapsed());
}
