#pragma once
// The main window with the real product libraries and tallysim devices: the
// library forms are found as the new children of the default sheet.

#include "formfixture.h"
#include "modules.h"
#include "paths.h"
#include "windowmessages.h"

#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <csignal>

// A firmware image as the updater takes it: its product and date in the first
// line, then bytes of no meaning.
inline QByteArray firmwareImage(const QByteArray &code, const QByteArray &date, int size)
{
    QByteArray bytes = "VARNEL-FW " + code + ' ' + date + "\r\n";
    QRandomGenerator random(7);
    while (bytes.size() < size)
        bytes.append(char(random.bounded(256)));
    return bytes;
}

class ToolForm : public PortdeckForm {
protected:
    // Flash From Disk of the product shown, once its firmware date is read, with
    // the image written to a file the file dialog will answer with; null when
    // the screen does not come.
    QWidget *updaterWithImage(const QByteArray &image, const QString &fileName = QStringLiteral("fw.bin"))
    {
        click(frame->flashdiskbtn);
        QWidget *form = shownForm();
        if (!form) {
            ADD_FAILURE() << "the updater's screen is not shown";
            return nullptr;
        }
        auto *date = inForm<QLabel>(form, "FirmwareDateValue");
        EXPECT_TRUE(waitFor([&] { return date && !date->text().isEmpty(); }));
        QFile f(root.file(fileName));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(image);
        f.close();
        ui.fileAnswers << f.fileName();
        return form;
    }

    void TearDown() override
    {
        PortdeckForm::TearDown();
        setProductLibraryDirectory(QString());
        for (auto &p : sims) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }

    // One emulated product as COMn; false when tallysim is not built.
    bool sim(const char *product, int com, const QStringList &extra = {}, double timeScale = 0)
    {
        const QString program = tl::programDirectory() + QStringLiteral("/tallysim");
        if (!QFile::exists(program))
            return false;
        auto p = std::make_unique<QProcess>();
        if (timeScale > 0) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TALLYLINE_TIME_SCALE"), QString::number(timeScale));
            p->setProcessEnvironment(env);
        }
        // A fixed link names the port: a pseudo-terminal's own name may be handed
        // to another program while the device is off the bus.
        p->start(program, QStringList{"--product", product, "--com", QString::number(com), "--link",
                                      root.file(QStringLiteral("ttyCOM%1").arg(com)), "--log",
                                      root.file(QStringLiteral("COM%1.log").arg(com)), "--fault-file",
                                      root.file(QStringLiteral("faults-COM%1.txt").arg(com))}
                              + extra);
        const bool ready = p->waitForReadyRead(10000);
        simComs.push_back(com);
        sims.push_back(std::move(p));
        return ready;
    }
    // The device on COMn takes other faults while it runs ("" for none).
    void setFaults(int com, const QByteArray &faults)
    {
        QFile f(root.file(QStringLiteral("faults-COM%1.txt").arg(com)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(faults);
        f.close();
        for (size_t i = 0; i < sims.size(); ++i)
            if (simComs[i] == com)
                ::kill(pid_t(sims[i]->processId()), SIGUSR1);
        QTest::qWait(50);
    }
    QString transcript(int com)
    {
        QFile f(root.file(QStringLiteral("COM%1.log").arg(com)));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }

    // Opens the screen of the first product found.
    void openProduct(const char *type)
    {
        detected();
        ASSERT_FALSE(frame->deviceButtons.isEmpty());
        ownChildren = frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        click(button(0));
        ASSERT_TRUE(waitFor([&] { return milestones.contains(QLatin1String(type)); }));
        ASSERT_TRUE(waitFor([&] { return frame->backbtn->isEnabled(); }));
    }
    // The library form shown in the default sheet, if any.
    QWidget *shownForm()
    {
        for (QWidget *w : frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!ownChildren.contains(w) && w->isVisible())
                return w;
        }
        return nullptr;
    }
    QWidget *formNamed(const char *className)
    {
        for (QWidget *w : frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (w->inherits(className))
                return w;
        }
        return nullptr;
    }
    template <class T> T *inForm(QWidget *form, const char *name)
    {
        return form ? form->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    void finishForm(qintptr lParam = 0)
    {
        PostMessage(frame.get(), 33168, 0, lParam);
        QTest::qWait(50);
    }
    // A library directory with links to the built libraries, some left out or replaced.
    QString libraryDirectory(const QStringList &leaveOut, const QMap<QString, QString> &replace = {})
    {
        for (const char *lib : {"libmantlet.so", "libquillon.so", "libgantry.so", "libsprocket.so",
                                "libwicket.so", "libtessel.so"}) {
            const QString name = QString::fromLatin1(lib);
            if (leaveOut.contains(name))
                continue;
            const QString target = replace.value(name, tl::programDirectory() + QLatin1Char('/') + name);
            QFile::link(target, libs.filePath(name));
        }
        return libs.path();
    }

    std::vector<std::unique_ptr<QProcess>> sims;
    std::vector<int> simComs;
    QList<QWidget *> ownChildren;
    QTemporaryDir libs;
};
