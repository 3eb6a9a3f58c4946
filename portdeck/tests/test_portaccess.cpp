// Ports Portdeck may not open, or that another program holds: the user is
// told which port, which device and what to do, instead of hearing that the
// product does not answer.

#include "formfixture.h"
#include "portdeckdictionary.h"

#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PortAccessForm : public PortdeckForm {
protected:
    void TearDown() override
    {
        for (const QString &device : std::as_const(refused))
            tl::setOpenErrorForTesting(device, 0);
        if (holder.state() != QProcess::NotRunning) {
            holder.kill();
            holder.waitForFinished();
        }
        PortdeckForm::TearDown();
    }
    // Opening the device fails as it does for a user outside the node's
    // group. The tests may run as root, which no permission stops, so the
    // system's answer is injected; the node is given to the group a USB
    // serial adapter's node has, readable and writable by it.
    QString denyPermission(const FakeDevice &d)
    {
        const QString node = QFileInfo(d.linkPath()).symLinkTarget();
        const struct group *dialout = ::getgrnam("dialout");
        if (::geteuid() == 0 && dialout) {
            EXPECT_EQ(::chown(QFile::encodeName(node).constData(), uid_t(-1), dialout->gr_gid), 0);
        }
        EXPECT_EQ(::chmod(QFile::encodeName(node).constData(), 0660), 0);
        refuse(d, EACCES);
        struct stat st {};
        ::stat(QFile::encodeName(node).constData(), &st);
        const struct group *gr = ::getgrgid(st.st_gid);
        return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
    }
    void refuse(const FakeDevice &d, int error)
    {
        tl::setOpenErrorForTesting(d.linkPath(), error);
        refused << d.linkPath();
    }
    // A program that holds the port by a lock file, as the serial tools do.
    qint64 lockByAnotherProgram(const FakeDevice &d)
    {
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        EXPECT_TRUE(holder.waitForStarted());
        QFile lock(lockDir + QStringLiteral("/LCK..") + QFileInfo(d.linkPath()).fileName());
        EXPECT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(holder.processId()).rightJustified(10, ' ') + '\n');
        return holder.processId();
    }
    static QString usermodAdvice(const QString &group)
    {
        return QStringLiteral("The group \"%1\" gives access to the port. To join it, run\n\n"
                              "    sudo usermod -aG %1 $USER\n\n"
                              "then log out and log in again.")
            .arg(group);
    }

    QStringList refused;
    QProcess holder;
    PortdeckDictionary dictionary;   // outlives the window: TearDown ends it first
};

} // namespace

TEST_F(PortAccessForm, DetectionThatFindsNothingTellsWhichPortsItMayNotOpenOrAreHeld)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    FakeDevice &idsl = device(FakeProduct::Idsl, 3);
    FakeDevice &other = device(FakeProduct::IsdnTaPro, 4);
    const QString group = denyPermission(modem);
    const qint64 pid = lockByAnotherProgram(idsl);
    refuse(other, EBUSY);   // opened by another program for exclusive use
    start();
    detected();
    EXPECT_EQ(frame->ModemCount, 0);
    EXPECT_EQ(frame->statusInfoStatic->text(), "No Modem Detected");
    ASSERT_TRUE(waitFor([this] { return !ui.messages().isEmpty(); }, 3000));
    EXPECT_EQ(ui.messages(),
              QStringList({QStringLiteral("Portdeck may not open COM2 (%1): permission denied.\n"
                                          "COM3 (%2) is in use by another program: sleep (process %3).\n"
                                          "COM4 (%4) is in use by another program.\n\n")
                                   .arg(modem.linkPath(), idsl.linkPath())
                                   .arg(pid)
                                   .arg(other.linkPath())
                           + usermodAdvice(group) + "\n\nClose the program that holds the port, then try again."}));
    // Nothing was sent to a port another program holds.
    EXPECT_TRUE(idsl.commands().isEmpty());
    EXPECT_TRUE(modem.commands().isEmpty());
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_TRUE(frame->ExitBtn->isEnabled());
}

TEST_F(PortAccessForm, TheRefusedPortsAreToldInTheUsersLanguage)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "407");
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    FakeDevice &other = device(FakeProduct::IsdnTaPro, 4);
    refuse(modem, EACCES);
    refuse(other, EBUSY);
    frame = std::make_unique<TcontainerFrame>(QStringList{"/l"}, &dictionary);
    frame->milestone = [this](const QString &what) { milestones << what; };
    frame->show();
    detected();
    ASSERT_TRUE(waitFor([this] { return !ui.messages().isEmpty(); }, 3000));
    const QString text = ui.messages().value(0);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Portdeck darf COM2 (%1) nicht öffnen: Zugriff verweigert.\n"
                                               "COM4 (%2) wird von einem anderen Programm verwendet.\n\n")
                                    .arg(modem.linkPath(), other.linkPath())))
        << qPrintable(text);
    EXPECT_TRUE(text.endsWith("Schließen Sie das Programm, das den Anschluss belegt, und versuchen Sie es erneut."))
        << qPrintable(text);
}

TEST_F(PortAccessForm, DetectionThatFindsProductsNotesTheRefusedPortsWithoutABox)
{
    device(FakeProduct::IsdnTa, 1);
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    const QString group = denyPermission(modem);
    start();
    detected();
    EXPECT_EQ(frame->ModemCount, 1);
    EXPECT_EQ(button(0)->hint(), "Varnel Brenmoor ISDN TA  (COM1)");
    EXPECT_EQ(frame->statusInfoStatic->text(), "Number of products found: 1");
    EXPECT_EQ(frame->instructionsStatic->text(),
              "To access tools for a specific product, please click the product button from the access panel "
              "on the left side of the screen.\n\n"
                  + QStringLiteral("Portdeck may not open COM2 (%1): permission denied.\n\n").arg(modem.linkPath())
                  + usermodAdvice(group));
    QTest::qWait(200);
    EXPECT_TRUE(ui.shown.isEmpty());

    // A pass with nothing in the way says nothing more.
    tl::setOpenErrorForTesting(modem.linkPath(), 0);
    click(frame->detectBtn);
    detected();
    EXPECT_EQ(frame->ModemCount, 2);
    EXPECT_FALSE(frame->instructionsStatic->text().contains("COM2"));
    QTest::qWait(200);
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(PortAccessForm, AProductScreenWhosePortIsHeldSaysSoAndLeavesTheWayBack)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    start();
    detected();
    const qint64 pid = lockByAnotherProgram(isdn);
    click(button(0));
    EXPECT_EQ(ui.messages(),
              QStringList({QStringLiteral("COM1 (%1) is in use by another program: sleep (process %2).\n\n"
                                          "Close the program that holds the port, then try again.")
                               .arg(isdn.linkPath())
                               .arg(pid)}));
    EXPECT_TRUE(logHas("OpenComPort_NonTAPI() catch...\n"));
    ASSERT_TRUE(waitFor([this] { return frame->backbtn->isEnabled(); }, 3000));
    click(frame->backbtn);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_TRUE(frame->detectBtn->isEnabled());
}

TEST_F(PortAccessForm, AnIdslScreenWithoutPermissionSaysSo)
{
    // The IDSL modem has no "cannot communicate" box; a port the user may not
    // open is still told.
    FakeDevice &idsl = device(FakeProduct::Idsl, 2);
    start();
    detected();
    const QString group = denyPermission(idsl);
    click(button(0));
    EXPECT_EQ(ui.messages(), QStringList({QStringLiteral("Portdeck may not open COM2 (%1): permission denied.\n\n")
                                              .arg(idsl.linkPath())
                                          + usermodAdvice(group)}));
}

TEST_F(PortAccessForm, ATapiLineOnAPortWithoutPermissionSaysSo)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    start({"/l", "/t"});
    detected();
    // A node not even its group may use: joining the group would not help.
    const QString node = QFileInfo(isdn.linkPath()).symLinkTarget();
    refuse(isdn, EACCES);
    ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), 0600), 0);
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ui.messages(), QStringList({QStringLiteral("Portdeck may not open COM1 (%1): permission denied.\n\n"
                                                         "Ask the administrator of this computer for access to the port.")
                                              .arg(isdn.linkPath())}));
    EXPECT_TRUE(logHas("ApdTapiDevice1TapiFail()\n"));
}
