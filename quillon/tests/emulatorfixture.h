#pragma once
// The form against the device emulator: tallysim started on a pseudo-terminal
// with a transcript of what it receives, the host's port open on it.

#include "formtest.h"

#include "paths.h"
#include "quillonform.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>

inline QString emulatorPath() { return tl::programDirectory() + QStringLiteral("/tallysim"); }

// The command lines the emulator received, in order, from its transcript.
inline QStringList commandsIn(const QString &logFile)
{
    QFile f(logFile);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (!line.startsWith("> "))
            continue;
        QString text = QString::fromLatin1(line.mid(2));
        text.replace(QLatin1String("\\r"), QLatin1String("\r"));
        out.append(text);
    }
    return out;
}

class EndToEnd : public QuillonFormTest {
protected:
    void SetUp() override
    {
        if (!QFile::exists(emulatorPath()))
            GTEST_SKIP() << "tallysim is not built";
        ui_ = &ui;
        setUiServices(&ui);
        host = std::make_unique<HostWindow>();
        host->resize(600, 400);
        host->show();
        logFile = root.file("tallysim.log");
        emulator.setProgram(emulatorPath());
        emulator.setArguments({"--product", "isdnta", "--com", "9", "--switch", "2", "--log", logFile});
        emulator.start();
        ASSERT_TRUE(emulator.waitForStarted(5000));
        ASSERT_TRUE(waitFor([&] { return emulator.canReadLine(); }, 5000));
        port = new TApdComPort(host.get());
        port->setComNumber(9);
        port->open();
        module = LoadLibrary(QStringLiteral(QUILLON_TESTABLE_LIBRARY));
        ASSERT_NE(module, nullptr);
        ASSERT_TRUE(q.resolve(module));
        QObject::connect(port, &TApdComPort::triggerAvail, host.get(), [this](int count) {
            q.triggerAvail(port, static_cast<uint16_t>(count));
            port->flushInBuffer();
        });
        initialize();
    }
    void TearDown() override
    {
        QuillonFormTest::TearDown();
        if (emulator.state() != QProcess::NotRunning) {
            emulator.terminate();
            if (!emulator.waitForFinished(5000))
                emulator.kill();
        }
    }
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
    bool readBack()
    {
        return waitFor([&] { return quillon()->clockSet && !progressVisible() && !quillon()->chainRunning; }, 20000);
    }
    void openTab(const char *caption)
    {
        auto *pc = widget<TPageControl>("PageControl1");
        for (int i = 0; i < pc->tabBar()->count(); ++i)
            if (pc->tabBar()->tabText(i) == QLatin1String(caption))
                pc->tabBar()->setCurrentIndex(i);
    }

    QProcess emulator;
    QString logFile;
    UiServices *ui_ = nullptr;
};
