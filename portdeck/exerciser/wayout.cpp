// The checks that run beside the actions: the devices' transcripts, a wait
// that never returns, and the ways out, which are pressed and must work.
#include "exerciser.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>

void Exerciser::check()
{
    if (finishing_)
        return;
    for (const auto &watch : watches_)
        for (const QString &fault : watch->poll(clock_.elapsed()))
            fail(fault);
    if (finishing_ || !window() || host_.ended()) {
        probe_.active = false;
        blockedSinceMs_ = -1;
        return;
    }
    checkNestedLoop();
    if (finishing_)
        return;
    if (probe_.active) {
        checkProbe();
        return;
    }
    // The ways out must be there at rest: Back on a screen of a product, Exit on every screen.
    const bool atRest = idle() && (productScreen() || shownForm());
    const bool wayOut = usable(own("backbtn")) || usable(own("TerminateBtn"));
    if (!atRest || wayOut) {
        blockedSinceMs_ = -1;
        return;
    }
    if (blockedSinceMs_ < 0)
        blockedSinceMs_ = clock_.elapsed();
    else if (clock_.elapsed() - blockedSinceMs_ > realBound(qint64(options_.stuckSeconds) * 1000, 10000))
        fail(QStringLiteral("neither Back nor Exit can be pressed on the %1 for %2 ms")
                 .arg(screenName())
                 .arg(clock_.elapsed() - blockedSinceMs_));
}

// A wait that never returns keeps answering events, so the watchdog does not see it.
void Exerciser::checkNestedLoop()
{
    const qint64 nestedMs = clock_.elapsed() - topLevelSeenMs_;
    if (nestedMs > realBound(45000, qint64(options_.stuckSeconds) * 2000))
        fail(QStringLiteral("a nested loop has been running for %1 ms (level %2)").arg(nestedMs).arg(loopLevel()));
}

// Back (mostly) or Exit is pressed at rest on a product or tool screen, and
// the run then only answers boxes until the screen has been left, or the
// program has ended, within a bound. A Back refused because a firmware update
// runs is pressed again until the update is over.
void Exerciser::startProbe()
{
    nextProbeMs_ = clock_.elapsed() + realBound(5000 + pick(15000), 3000 + pick(8000));
    const bool exit = chance(15);
    QWidget *button = own(exit ? "TerminateBtn" : "backbtn");
    if (!usable(button))
        return;   // the rest-time check above reports a way out that stays missing
    ++probes_;
    probe_ = Probe{};
    probe_.active = true;
    probe_.exit = exit;
    probe_.from = screenName();
    probe_.startedMs = clock_.elapsed();
    // Back waits for the device's goodbye and identity, a form finishes its
    // write first; Exit also waits for the waits under way to return.
    probe_.deadlineMs = probe_.startedMs + realBound(exit ? 60000 : 40000, 5000);
    note(QStringLiteral("way out: %1 on the %2").arg(exit ? "Exit" : "Back", probe_.from));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
}

void Exerciser::checkProbe()
{
    const qint64 now = clock_.elapsed();
    bool left = false;
    QString detail;
    if (!probe_.exit && idle()) {
        if (probe_.from.startsWith(QLatin1String("tool"))) {
            left = !shownForm() && productScreen() && usable(own("backbtn"));
        } else if (deviceList()) {
            // The device list reached must be usable.
            QStringList unusable;
            for (QWidget *b : deviceButtons())
                if (!b->isEnabled())
                    unusable << describe(b);
            if (!usable(own("detectBtn")) && !own("detectBtn")->isEnabled())
                unusable << QStringLiteral("detectBtn");
            if (!usable(own("ExitBtn")))
                unusable << QStringLiteral("ExitBtn");
            left = unusable.isEmpty();
            detail = unusable.join(QLatin1Char(' '));
        }
    }
    if (left) {
        note(QStringLiteral("way out worked in %1 ms").arg(now - probe_.startedMs));
        probe_.active = false;
        return;
    }
    // A refusal while an update runs: pressed again later, for as long as an update may take.
    if (probe_.refusedSinceMs >= 0 && probe_.pressAgainAtMs >= 0 && now >= probe_.pressAgainAtMs && idle()) {
        if (now - probe_.refusedSinceMs > realBound(150000, 15000)) {
            fail(QStringLiteral("%1 on the %2 has been refused for %3 ms: an update that never ends")
                     .arg(probe_.exit ? "Exit" : "Back", probe_.from)
                     .arg(now - probe_.refusedSinceMs));
            return;
        }
        probe_.pressAgainAtMs = -1;
        probe_.deadlineMs = now + realBound(probe_.exit ? 60000 : 40000, 5000);
        if (QWidget *button = own(probe_.exit ? "TerminateBtn" : "backbtn"); usable(button)) {
            note(QStringLiteral("way out pressed again"));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
        }
        return;
    }
    if (probe_.pressAgainAtMs >= 0)
        return;
    if (now > probe_.deadlineMs)
        fail(QStringLiteral("%1 pressed on the %2 %3 ms ago did not %4; now: %5%6")
                 .arg(probe_.exit ? "Exit" : "Back", probe_.from)
                 .arg(now - probe_.startedMs)
                 .arg(probe_.exit ? QStringLiteral("end the program") : QStringLiteral("leave it"), screenName(),
                      detail.isEmpty() ? QString() : QStringLiteral(" (not usable: %1)").arg(detail)));
}

void Exerciser::finish()
{
    if (finishing_)
        return;
    if (options_.endWithExit && !failures_ && window() && !host_.ended()) {
        // Inside the real program the run ends as a user ends it: by Exit,
        // pressed at rest (again, when an update refuses it); the program must
        // then end by itself within the bound, and the supervisor sees it end.
        actionTimer_.start(100);
        const qint64 now = clock_.elapsed();
        if (endBeganMs_ < 0)
            endBeganMs_ = now;
        if (endPressedMs_ < 0) {
            // The Exit of the tool list, or of the device list.
            QWidget *exit = usable(own("TerminateBtn")) ? own("TerminateBtn") : own("ExitBtn");
            if (idle() && usable(exit)) {
                endPressedMs_ = now;
                note(QStringLiteral("the run ends: ") + exit->objectName());
                QTest::mouseClick(exit, Qt::LeftButton, {}, QPoint(20, 10));
            } else if (QApplication::activeModalWidget()) {
                actInBox();
            } else if (now - endBeganMs_ > realBound(120000, 20000)) {
                fail(QStringLiteral("no Exit could be pressed for %1 ms on the %2").arg(now - endBeganMs_).arg(screenName()));
            }
        } else if (QApplication::activeModalWidget()) {
            actInBox();
        } else if (now - endPressedMs_ > realBound(60000, 10000)) {
            fail(QStringLiteral("Exit pressed %1 ms ago did not end the program").arg(now - endPressedMs_));
        }
        return;
    }
    finishing_ = true;
    actionTimer_.stop();
    checkTimer_.stop();
    note(QStringLiteral("finishing"));
    if (!host_.canRestart())
        return;
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
        if (loopLevel() > baseLoopLevel_)
            return;
        closer->stop();
        host_.dropProgram();
        QApplication::quit();
    });
    closer->start();
}
