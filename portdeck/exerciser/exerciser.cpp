#include "exerciser.h"

#include "containerframe.h"
#include "portdeckdictionary.h"
#include "registry.h"
#include "widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

QMutex gRecentLock;
UiServices *gQtServices = nullptr;

// Commands the programs ask, for "error=" faults.
const char *const kQueries[] = {"ati7", "ati12", "ati15", "ati4", "ati17", "ati18", "ati19", "ati20",
                                "at~c?", "at&w", "at*w?", "ati16", "ATE0", "at&f4&w"};

int loopLevel()
{
    return QThread::currentThread()->loopLevel();
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

bool usable(const QWidget *w)
{
    return w && w->isVisible() && w->isEnabled();
}

} // namespace

Exerciser::Exerciser(const ExerciserOptions &options) : options_(options), rng_(options.seed)
{
    log_.setFileName(options_.logPath);
    if (!log_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        std::fprintf(stderr, "exerciser: cannot write the action log %s\n", qPrintable(options_.logPath));
    firmwareFile_ = options_.root + QStringLiteral("/firmware.bin");
    QFile fw(firmwareFile_);
    if (fw.open(QIODevice::WriteOnly))
        fw.write("VARNEL-FW 5240 05/01/00\r\n" + QByteArray(3000, 'x'));
    setUiServices(nullptr);
    gQtServices = &ui();
    setUiServices(this);
}

Exerciser::~Exerciser()
{
    frame_.reset();
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
    for (int i = 0; sims_ && i < sims_->count(); ++i)
        std::fprintf(stderr, "--- COM%d (%s) ---\n%s\n", sims_->device(i).com, qPrintable(sims_->device(i).product),
                     qPrintable(sims_->transcriptTail(i, 1500)));
    finish();
}

// ---- the program's boxes and dialogs ----

int Exerciser::messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon)
{
    note(QStringLiteral("box shown: ") + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).left(120));
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

void Exerciser::startDevices()
{
    sims_ = std::make_unique<SimDevices>(options_.root);
    tapiMode_ = chance(30);
    const struct { const char *product; const char *registryKey; const char *serial; const char *tapi; } kinds[] = {
        {"isdnta", "ISDN TA", "QB0001", "Varnel Brenmoor ISDN TA"},
        {"56k", "Business Modem", "TL0001", "Varnel Tallyline 56K Business Modem"},
        {"idsl", nullptr, "", "Varnel Lumora IDSL Modem"},
    };
    int com = 1;
    for (const auto &k : kinds) {
        if (k.product != kinds[0].product && chance(25))
            continue;   // not every machine has every product
        if (k.registryKey)
            reg::writeString(RegRoot::LocalMachine,
                             QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(QLatin1String(k.registryKey)),
                             "Serial Number1", QLatin1String(k.serial));
        const QString tapi = tapiMode_ ? QString::fromLatin1(k.tapi) : QString();
        QStringList extra;
        if (k.product == kinds[0].product && chance(35))
            extra << QStringLiteral("--country") << QString::number(1 + pick(6));   // a European line
        if (!sims_->add(QLatin1String(k.product), com, QLatin1String(k.serial), tapi, extra))
            note(QStringLiteral("tallysim %1 did not start").arg(QLatin1String(k.product)));
        note(QStringLiteral("device %1 on COM%2%3 %4").arg(QLatin1String(k.product)).arg(com)
                 .arg(tapiMode_ ? QStringLiteral(" (TAPI)") : QString(), extra.join(QLatin1Char(' '))));
        returnAtMs_ << -1;
        com += 1 + pick(2);
    }
}

void Exerciser::startProgram()
{
    restartAtMs_ = -1;
    terminated_ = false;
    ++programs_;
    const QString language = chance(50) ? QStringLiteral("407") : QStringLiteral("409");
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", language);
    QStringList args{QStringLiteral("/l")};
    if (chance(50))
        args << QStringLiteral("/y");
    if (tapiMode_)
        args << QStringLiteral("/t");
    note(QStringLiteral("start Portdeck %1, language %2").arg(args.join(QLatin1Char(' ')), language));
    frame_ = std::make_unique<TcontainerFrame>(args, dictionary_.get());
    frame_->terminateApplication = [this] {
        terminated_ = true;
        frame_->appTerminated = true;
        note(QStringLiteral("Portdeck terminated"));
    };
    frame_->createDialogs();
    frame_->show();
    ownChildren_ = frame_->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    stuckSinceMs_ = -1;
}

void Exerciser::endProgram()
{
    note(QStringLiteral("Portdeck window destroyed"));
    frame_.reset();
    restartAtMs_ = clock_.elapsed() + 100 + pick(400);
}

int Exerciser::run()
{
    clock_.start();
    note(QStringLiteral("seed %1, %2 s, root %3").arg(options_.seed).arg(options_.seconds).arg(options_.root));
    QDir::setCurrent(options_.root);
    dictionary_ = std::make_unique<PortdeckDictionary>();
    startDevices();
    startProgram();

    beatTimer_.setInterval(100);
    connect(&beatTimer_, &QTimer::timeout, this, [this] {
        lastBeat = clock_.elapsed();
        if (loopLevel() <= 1)
            topLevelSeenMs_ = clock_.elapsed();
    });
    beatTimer_.start();
    wayOutTimer_.setInterval(250);
    connect(&wayOutTimer_, &QTimer::timeout, this, [this] { checkWayOut(); });
    wayOutTimer_.start();
    actionTimer_.setSingleShot(true);
    connect(&actionTimer_, &QTimer::timeout, this, [this] { act(); });
    actionTimer_.start(300);

    QApplication::exec();
    frame_.reset();
    if (sims_)
        sims_->stopAll();
    note(QStringLiteral("%1 after %2 actions, %3 program starts").arg(failures_ ? "FAILED" : "passed")
             .arg(actions_).arg(programs_));
    std::fprintf(stderr, "exerciser: seed %llu %s: %d actions, %d program starts, %lld ms\n",
                 static_cast<unsigned long long>(options_.seed), failures_ ? "FAILED" : "passed", actions_,
                 programs_, static_cast<long long>(clock_.elapsed()));
    return failures_ ? 1 : 0;
}

void Exerciser::finish()
{
    if (finishing_)
        return;
    finishing_ = true;
    actionTimer_.stop();
    wayOutTimer_.stop();
    note(QStringLiteral("finishing"));
    // Every box answered and every nested loop returned before the window goes.
    auto *closer = new QTimer(this);
    closer->setInterval(50);
    connect(closer, &QTimer::timeout, this, [this, closer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
            return;
        }
        if (loopLevel() > 1)
            return;
        closer->stop();
        frame_.reset();
        QApplication::quit();
    });
    closer->start();
}

void Exerciser::act()
{
    if (finishing_)
        return;
    if (clock_.elapsed() >= qint64(options_.seconds) * 1000) {
        finish();
        return;
    }
    // The next action is due whatever this one does, so it may land inside a wait this one starts.
    actionTimer_.start(pick(5) == 0 ? 0 : pick(250));
    ++actions_;

    for (int i = 0; i < int(returnAtMs_.size()); ++i) {
        if (returnAtMs_[i] >= 0 && clock_.elapsed() >= returnAtMs_[i]) {
            returnAtMs_[i] = -1;
            note(QStringLiteral("COM%1 comes back").arg(sims_->device(i).com));
            sims_->comeBack(i);
        }
    }
    if (!frame_) {
        if (restartAtMs_ >= 0 && clock_.elapsed() >= restartAtMs_)
            startProgram();
        return;
    }
    if (terminated_) {
        if (loopLevel() <= 1)
            endProgram();
        return;
    }
    if (loopLevel() > 8) {   // deep enough: only the boxes are answered
        actInBox();
        return;
    }
    // Inside a wait, the ways out are what the program must survive most.
    if (loopLevel() >= 2 && chance(10)) {
        const int way = pick(10);
        if (way < 5) {
            if (usable(frame_->backbtn)) {
                note(QStringLiteral("click backbtn inside a wait"));
                QTest::mouseClick(frame_->backbtn, Qt::LeftButton, {}, QPoint(20, 10));
            }
        } else if (way < 8) {
            clickToolButton(true);
        } else {
            closeWindow();
        }
        return;
    }
    if (QApplication::activeModalWidget() && chance(70)) {
        actInBox();
        return;
    }
    // On a tool screen the user mostly works in the tool.
    const int r = shownForm() && chance(50) ? 30 + pick(32) : pick(100);
    if (r < 18)
        clickToolButton(false);
    else if (r < 30)
        clickDeviceButton();
    else if (r < 62)
        actInForm();
    else if (r < 72)
        clickTab();
    else if (r < 78)
        pressKey();
    else if (r < 86)
        switchFault();
    else if (r == 86 && chance(50))
        clickToolButton(true);
    else if (r == 87 && chance(30))
        closeWindow();
    // else: the user waits
}

// ---- actions ----

void Exerciser::clickDeviceButton()
{
    QList<QWidget *> buttons;
    for (TCustomBitBtn *b : frame_->deviceButtons)
        if (usable(b))
            buttons << b;
    if (buttons.isEmpty())
        return;
    QWidget *b = buttons[pick(int(buttons.size()))];
    note(QStringLiteral("click device button ") + describe(b));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 10));
}

void Exerciser::clickToolButton(bool exitToo)
{
    QList<PanelButton *> buttons;
    if (exitToo) {
        buttons = {frame_->TerminateBtn, frame_->ExitBtn};
    } else {
        // The ISDN TA's screens, where most waits are, come up more often.
        buttons = {frame_->detectBtn, frame_->appwizBtn, frame_->appwizBtn, frame_->appwizBtn, frame_->terminalbtn,
                   frame_->flashdiskbtn, frame_->SpidBtn, frame_->SpidBtn, frame_->protomonitorbtn,
                   frame_->backbtn, frame_->updatebtn,
                   frame_->helpBtn, frame_->OnlineManualBtn, frame_->supportBtn, frame_->contactsBtn};
        if (!chance(20))   // the top row is used less often
            buttons.erase(buttons.end() - 4, buttons.end());
    }
    QList<PanelButton *> usableButtons;
    for (PanelButton *b : buttons)
        if (usable(b))
            usableButtons << b;
    if (usableButtons.isEmpty())
        return;
    PanelButton *b = usableButtons[pick(int(usableButtons.size()))];
    note(QStringLiteral("click ") + b->objectName());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 10));
}

QWidget *Exerciser::shownForm() const
{
    for (QWidget *w : frame_->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!ownChildren_.contains(w) && w->isVisible())
            return w;
    return nullptr;
}

QList<QWidget *> Exerciser::candidates(QWidget *root) const
{
    QList<QWidget *> out;
    if (!root)
        return out;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!usable(w))
            continue;
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QAbstractSpinBox *>(w))
            out << w;
    }
    return out;
}

void Exerciser::actInForm()
{
    QList<QWidget *> widgets = candidates(shownForm());
    // The main window's own controls: the call log page and its buttons.
    if (frame_->PageControl_Info->isVisible())
        widgets += candidates(frame_->PageControl_Info->currentWidget());
    if (QWidget *window = QApplication::activeModalWidget())
        widgets += candidates(window);
    if (widgets.isEmpty())
        return;
    QWidget *w = widgets[pick(int(widgets.size()))];
    // The ways out of a tool are taken less often than its other controls.
    static const QRegularExpression leaving(QStringLiteral("Cancel|Abbrechen|Back|Zurück|Done|Fertig|Close|Schlie"));
    if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->text().contains(leaving) && chance(60))
        w = widgets[pick(int(widgets.size()))];
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        if (combo->count() == 0)
            return;
        note(QStringLiteral("choose in ") + describe(combo));
        combo->setFocus();
        QTest::keyClick(combo, chance(50) ? Qt::Key_Down : Qt::Key_Up);
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        const QString text = randomText();
        note(QStringLiteral("type \"%1\" into %2").arg(text, describe(edit)));
        edit->setFocus();
        if (chance(40))
            edit->selectAll();
        QTest::keyClicks(edit, text);
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
        note(QStringLiteral("step ") + describe(spin));
        spin->setFocus();
        QTest::keyClick(spin, chance(50) ? Qt::Key_Up : Qt::Key_Down);
    } else {
        note(QStringLiteral("click ") + describe(w));
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
        // An impatient second click, often inside the first one's wait.
        if (chance(15)) {
            QTimer::singleShot(pick(40), this, [this, target = QPointer<QWidget>(w)] {
                if (!finishing_ && usable(target)) {
                    note(QStringLiteral("click again ") + describe(target));
                    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(std::min(8, target->width() / 2),
                                                                         target->height() / 2));
                }
            });
        }
    }
}

void Exerciser::actInBox()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    QList<QAbstractButton *> buttons;
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
        if (usable(b))
            buttons << b;
    if (!buttons.isEmpty() && chance(80)) {
        QAbstractButton *b = buttons[pick(int(buttons.size()))];
        note(QStringLiteral("answer box with ") + describe(b));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
    } else {
        const bool escape = chance(60);
        note(QStringLiteral("press %1 in box %2").arg(escape ? "Escape" : "Enter", describe(modal)));
        QTest::keyClick(modal, escape ? Qt::Key_Escape : Qt::Key_Return);
    }
}

void Exerciser::clickTab()
{
    QList<QTabBar *> bars;
    for (QTabBar *bar : frame_->findChildren<QTabBar *>())
        if (usable(bar) && bar->count() > 0)
            bars << bar;
    if (bars.isEmpty())
        return;
    QTabBar *bar = bars[pick(int(bars.size()))];
    const int tab = pick(bar->count());
    if (!bar->isTabVisible(tab) || !bar->isTabEnabled(tab))
        return;
    note(QStringLiteral("tab \"%1\" of %2").arg(bar->tabText(tab), describe(bar->parentWidget())));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

void Exerciser::pressKey()
{
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        target = frame_.get();
    if (chance(10)) {   // the window's popup menu has the About box
        note(QStringLiteral("menu About..."));
        frame_->AboutPortdeck1->trigger();
        return;
    }
    const bool escape = chance(50);
    note(QStringLiteral("press %1 in %2").arg(escape ? "Escape" : "Enter", describe(target)));
    QTest::keyClick(target, escape ? Qt::Key_Escape : Qt::Key_Return);
}

void Exerciser::switchFault()
{
    if (!sims_ || sims_->count() == 0)
        return;
    const int i = pick(sims_->count());
    const int com = sims_->device(i).com;
    const int r = pick(100);
    if (r < 45) {
        note(QStringLiteral("COM%1 faults off").arg(com));
        sims_->setFaults(i, QString());
    } else if (r < 80) {
        const QString faults = randomFaults();
        note(QStringLiteral("COM%1 faults %2").arg(com).arg(faults));
        sims_->setFaults(i, faults);
    } else if (r < 92) {
        note(QStringLiteral("COM%1 USB reset").arg(com));
        sims_->reset(i);
    } else if (returnAtMs_[i] < 0) {
        returnAtMs_[i] = clock_.elapsed() + 200 + pick(3000);
        note(QStringLiteral("COM%1 vanishes until %2 ms").arg(com).arg(returnAtMs_[i]));
        sims_->vanish(i);
    }
}

void Exerciser::closeWindow()
{
    note(QStringLiteral("close the window"));
    frame_->close();
}

// ---- the way-out check ----

void Exerciser::checkWayOut()
{
    if (!frame_ || terminated_ || finishing_) {
        stuckSinceMs_ = -1;
        return;
    }
    // A wait that never returns keeps answering events, so the watchdog does not see it.
    const qint64 nestedMs = clock_.elapsed() - topLevelSeenMs_;
    if (nestedMs > qint64(options_.stuckSeconds) * 2000) {
        fail(QStringLiteral("a nested loop has been running for %1 ms (level %2)").arg(nestedMs).arg(loopLevel()));
        return;
    }
    const bool idle = loopLevel() <= 1 && !QApplication::activeModalWidget();
    const bool productScreen = frame_->modemSelected != QLatin1String("None") && frame_->isVisible();
    // A tool form shown must offer a button of its own; without one, Back must be there.
    QWidget *form = shownForm();
    bool formWay = false;
    for (QWidget *w : candidates(form))
        formWay = formWay || qobject_cast<QPushButton *>(w);
    const bool wayOut = form ? formWay : frame_->backbtn->isEnabled();
    if (!idle || !productScreen || wayOut) {
        stuckSinceMs_ = -1;
        return;
    }
    if (stuckSinceMs_ < 0) {
        stuckSinceMs_ = clock_.elapsed();
        return;
    }
    if (clock_.elapsed() - stuckSinceMs_ < qint64(options_.stuckSeconds) * 1000)
        return;
    QStringList enabled;
    for (PanelButton *b : {frame_->appwizBtn, frame_->terminalbtn, frame_->flashdiskbtn, frame_->updatebtn,
                           frame_->SpidBtn, frame_->protomonitorbtn, frame_->backbtn, frame_->TerminateBtn})
        enabled << QStringLiteral("%1=%2%3").arg(b->objectName()).arg(b->isEnabled()).arg(b->isVisible() ? "" : "(hidden)");
    fail(QStringLiteral("no way out of the %1 screen for %2 s: control=%3 activity=%4 form=%5 %6")
             .arg(frame_->modemSelected).arg(options_.stuckSeconds).arg(frame_->control, frame_->currentActivity,
                                                                          describe(shownForm()), enabled.join(' ')));
}
