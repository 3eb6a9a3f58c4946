// Flash From Disk: the button that opens the firmware updater's screen, the
// file-transfer component it works with, and the routing of the transfer's
// events to the library whose screen is shown.

#include "containerframe.h"
#include "protocol.h"
#include "widgets.h"

#include <QDir>
#include <QFrame>
#include <QLabel>

void TcontainerFrame::setUpFileTransfer()
{
    ApdProtocol1->setComPort(ApdComPort1);
    ApdProtocol1->setProtocolType(ProtocolType::ptXmodem);   // with the arithmetic checksum
    ApdProtocol1->setHandshakeWait(1092);
    ApdProtocol1->setStatusInterval(10);
    connect(ApdProtocol1, &TApdProtocol::protocolStatus, this, &TcontainerFrame::ApdProtocol1ProtocolStatus);
    connect(ApdProtocol1, &TApdProtocol::protocolError, this, &TcontainerFrame::ApdProtocol1ProtocolError);
    connect(ApdProtocol1, &TApdProtocol::protocolFinish, this, &TcontainerFrame::ApdProtocol1ProtocolFinish);
}

void TcontainerFrame::flashdiskbtnClick()
{
    currentActivity = QStringLiteral("FlashFromDisk");
    resetQuillonHelpOverride();
    if (QDir::currentPath() != startDirectory)
        QDir::setCurrent(startDirectory);
    if (modemSelected == QLatin1String("56KModem")) {
        helpFile = QStringLiteral("analog.hlp");
        helpContext = 44;
    } else {
        helpFile = QStringLiteral("isdnta.hlp");
        helpContext = 130;
    }
    AddUsbResetTrigger();
    log("flashdiskbtnClick: ApdComPort1->AddDataTrigger(USB_RESET_MSG, false)\n");
    flashdiskbtn->paintAvailable(false);
    instructionsStatic->hide();
    dividerBevel->hide();
    statusInfoStatic->hide();
    DialUp_Instructions->hide();
    if (!hideTool())
        return;
    bFlashScreenOpened = true;
    if (showTool(QStringLiteral("FlashFromDisk")))
        EnableTools();
}

void TcontainerFrame::ApdProtocol1ProtocolStatus(int options)
{
    if (control == QLatin1String("FlashFromDisk") && libs.updater.module)
        libs.updater.ModemUpdaterProtocol1ProtocolStatus(ApdProtocol1, options);
}

void TcontainerFrame::ApdProtocol1ProtocolError(int errorCode)
{
    if (control == QLatin1String("Terminal")) {
        if (libs.terminal.module)
            libs.terminal.TerminalProtocol1ProtocolError(ApdProtocol1, errorCode);
    } else if (control == QLatin1String("FlashFromDisk")) {
        if (libs.updater.module)
            libs.updater.ModemUpdaterProtocol1ProtocolError(ApdProtocol1, errorCode);
    }
}

void TcontainerFrame::ApdProtocol1ProtocolFinish(int errorCode)
{
    if (control == QLatin1String("Terminal")) {
        if (libs.terminal.module)
            libs.terminal.TerminalProtocol1ProtocolFinish(ApdProtocol1, errorCode);
    } else if (control == QLatin1String("FlashFromDisk")) {
        if (libs.updater.module)
            libs.updater.ModemUpdaterProtocol1ProtocolFinish(ApdProtocol1, errorCode);
    }
}
