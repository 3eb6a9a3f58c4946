#include "containerframe.h"

#include "clock.h"
#include "datapacket.h"
#include "dialogs.h"
#include "language.h"
#include "protocol.h"
#include "serialport.h"
#include "suitesettings.h"
#include "tapidevice.h"
#include "uiservices.h"
#include "translator.h"
#include "widgets.h"
#include "windowmessages.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QThread>
#include <QTimer>

const char *const TcontainerFrame::productNameTable[6] = {
    "Varnel Tallyline 56K Business Modem", "Varnel Brenmoor ISDN TA", "Varnel Lumora IDSL Modem",
    "Tallyline^ TL ", "ISDN", "Lumora",
};

TcontainerFrame::TcontainerFrame(const QStringList &args, LanguageDictionary *dict, QWidget *parent)
    : QWidget(parent), dictionary(dict)
{
    setObjectName(QStringLiteral("containerFrame"));
    terminateApplication = [this] {
        appTerminated = true;
        QCoreApplication::quit();
    };
    buildComponents();
    buildLayout();
    buildCallLogPage();

    // A box the user opens before the start timer has run must not be taken
    // for the main loop: the level is bounded from the start and lowered each
    // time the event loop goes idle at a lower level.
    mainLoopLevel = QThread::currentThread()->loopLevel() + 1;
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TcontainerFrame::noteLoopLevel);

    // Button layout of version 3.2: Help and Contacts stay hidden.
    if (productVersion > QLatin1String("3.1")) {
        helpBtn->hide();
        contactsBtn->hide();
        OnlineManualBtn->move(155, 52);
        OnlineManualBtn->show();
        supportBtn->move(500, 52);
        supportBtn->show();
    }

    options = parseCommandLine(args);   // EConvertError ends the program
    bLogging = options.logging;
    bDebugWindow = options.debugWindow;
    bTapiMode = options.tapiMode;
    bWaitAndYield = options.waitAndYield;
    ApdComPort1->setBaud(options.baudRate);
    if (!bTapiMode) {
        ApdComPort1->setTapiMode(TapiMode::tmOff);
        ModemCount = 0;
    }
    logger.setEnabled(bLogging);
    if (bLogging) {
        logger.start();
        if (bDebugWindow) {
            ownedDebugForm = new TDebugForm(this);
            ownedDebugForm->show();
            logger.setSink([this](const QString &line) {
                if (ownedDebugForm)
                    ownedDebugForm->addLine(line);
            });
        }
    }
    suite::writeLogSettings({bLogging, bWaitAndYield});

    startDirectory = QDir::currentPath().left(512);
    setWindowIcon(QIcon(picture(QStringLiteral("pd32x32"))));

    if (dictionary)
        chooseLanguage(*dictionary, logger, this);

    versionText = tr_("Version %s (Build: %s)");
    versionText.replace(versionText.indexOf(QLatin1String("%s")), 2, productVersion);
    versionText.replace(versionText.indexOf(QLatin1String("%s")), 2, buildNumber);

    ApdComPort1->setWaitCharHook([this](char c) { ModemData.append(QLatin1Char(c)); });

    modemSelected = QStringLiteral("None");
    selectedDeviceName = QStringLiteral("None");
    switchClass = QStringLiteral("Domestic");
    instructionsStatic->setText(tr_("Click a button from the left panel to access a particular tool."));

    for (QString &name : deviceNames)
        name.clear();
    std::fill(std::begin(portSeen), std::end(portSeen), false);
    helpContext = 10;
    helpFile = QStringLiteral("nodevice.hlp");

    productCodes = ProductCodes();
    applyProdIdFile(productCodes);

    TimerAtOpen->setInterval(500);
    TimerAtOpen->setEnabled(true);

    connectHandlers();
    FormCreate();
    setUpHotplug();
    setUpKeyboardFocus();

    // Fixed texts of the window follow the dictionary; device answers never do.
    for (QLabel *value : infoValues)
        tl::Translator::exclude(value);
    tl::Translator::exclude(InfoText);
    tl::Translator::exclude(scrollContents);
    auto *translator = new tl::Translator(nullptr, this);
    translator->follow(this);
}

TcontainerFrame::~TcontainerFrame()
{
    // An exit still waiting for a loop (the application quit meanwhile) is
    // completed here, where no loop is left; a window closed without Exit
    // still takes its library forms with it.
    runPendingExit();
    UnloadLibraries();
}

QString TcontainerFrame::tr_(const char *source) const
{
    const QString text = QString::fromUtf8(source);
    return dictionary ? dictionary->translate(text) : text;
}

void TcontainerFrame::statusText(const char *text)
{
    statusInfoStatic->setText(tr_(text));
}

int TcontainerFrame::messageBox(const QString &text)
{
    return ui().messageBox(this, text, QApplication::applicationDisplayName(), MB_OK, MB_ICONNONE);
}

void TcontainerFrame::buildComponents()
{
    ApdComPort1 = new TApdComPort(this);
    ApdComPort1->setObjectName(QStringLiteral("ApdComPort1"));
    ApdComPort1->setBaud(57600);
    ApdComPort1->setTapiMode(TapiMode::tmOn);
    ApdComPort2 = new TApdComPort(this);
    ApdComPort2->setObjectName(QStringLiteral("ApdComPort2"));
    ApdComPort2->setTapiMode(TapiMode::tmOff);
    ApdTapiDevice1 = new TApdTapiDevice(this);
    ApdTapiDevice1->setObjectName(QStringLiteral("ApdTapiDevice1"));
    ApdTapiDevice1->setComPort(ApdComPort1);
    ApdTapiDevice1->setEnableVoice(false);
    ApdProtocol1 = new TApdProtocol(this);
    ApdProtocol1->setObjectName(QStringLiteral("ApdProtocol1"));

    auto packet = [this](const char *name, const char *start, bool include = true) {
        auto *p = new TApdDataPacket(this);
        p->setObjectName(QString::fromLatin1(name));
        p->setComPort(ApdComPort1);
        p->setStartCond(StartCond::scString);
        p->setStartString(QString::fromLatin1(start));
        p->setEndCond(EndCond::ecString);
        p->setEndString(QStringLiteral("OK"));
        p->setIncludeStrings(include);
        p->setIgnoreCase(false);   // "OK" ends an answer, "Looking" does not
        p->setEnabled(false);
        return p;
    };
    ApdDataPacket1 = packet("ApdDataPacket1", "56K Business Modem");
    QuillonDataPacket = packet("QuillonDataPacket", "Varnel Brenmoor ISDN");
    QuillonAti12DataPacket = packet("QuillonAti12DataPacket", "Switch Settings");
    IDSLDataPacket = packet("IDSLDataPacket", "Varnel");
    CallLog = packet("CallLog", "Charge Info", false);
    DetectApdDataPacket = new TApdDataPacket(this);
    DetectApdDataPacket->setObjectName(QStringLiteral("DetectApdDataPacket"));
    DetectApdDataPacket->setComPort(ApdComPort1);
    DetectApdDataPacket->setStartCond(StartCond::scAnyData);
    DetectApdDataPacket->setEndCond(EndCond::ecStringOrSize);
    DetectApdDataPacket->setEndString(QStringLiteral("OK"));
    DetectApdDataPacket->setPacketSize(5000);
    DetectApdDataPacket->setTimeout(90);
    DetectApdDataPacket->setAutoEnable(true);
    DetectApdDataPacket->setEnabled(false);

    TimerAtOpen = new ScaledTimer(this, 500);
    Timer1 = new ScaledTimer(this, 3500);
    Detect_Timer = new ScaledTimer(this, 5000);
    Timer_Animation = new ScaledTimer(this, 1000);
}

void TcontainerFrame::connectHandlers()
{
    connect(TimerAtOpen, &ScaledTimer::timeout, this, &TcontainerFrame::TimerAtOpenTimer);
    connect(Timer1, &ScaledTimer::timeout, this, &TcontainerFrame::Timer1Timer);
    connect(Detect_Timer, &ScaledTimer::timeout, this, &TcontainerFrame::Detect_TimerTimer);
    connect(Timer_Animation, &ScaledTimer::timeout, this, &TcontainerFrame::Timer_AnimationTimer);
    connect(ApdDataPacket1, &TApdDataPacket::stringPacket, this, &TcontainerFrame::ApdDataPacket1StringPacket);
    connect(QuillonDataPacket, &TApdDataPacket::stringPacket, this,
            &TcontainerFrame::QuillonDataPacketStringPacket);
    connect(QuillonAti12DataPacket, &TApdDataPacket::stringPacket, this,
            &TcontainerFrame::QuillonAti12DataPacketStringPacket);
    connect(IDSLDataPacket, &TApdDataPacket::stringPacket, this, &TcontainerFrame::IDSLDataPacketStringPacket);
    connect(DetectApdDataPacket, &TApdDataPacket::stringPacket, this,
            &TcontainerFrame::DetectApdDataPacketStringPacket);
    connect(ApdTapiDevice1, &TApdTapiDevice::tapiPortOpen, this, &TcontainerFrame::ApdTapiDevice1TapiPortOpen);
    connect(ApdTapiDevice1, &TApdTapiDevice::tapiPortClose, this, &TcontainerFrame::ApdTapiDevice1TapiPortClose);
    connect(ApdTapiDevice1, &TApdTapiDevice::tapiFail, this, &TcontainerFrame::ApdTapiDevice1TapiFail);
    connect(ApdComPort1, &TApdComPort::triggerData, this, &TcontainerFrame::ApdComPort1TriggerData);
    connect(ApdComPort1, &TApdComPort::triggerAvail, this, &TcontainerFrame::ApdComPort1TriggerAvail);

    connect(detectBtn, &PanelButton::clicked, this, &TcontainerFrame::detectBtnClick);
    connect(backbtn, &PanelButton::clicked, this, &TcontainerFrame::backbtnClick);
    connect(ExitBtn, &PanelButton::clicked, this, &TcontainerFrame::TerminateBtnClick);
    connect(TerminateBtn, &PanelButton::clicked, this, &TcontainerFrame::TerminateBtnClick);
    connect(helpBtn, &PanelButton::clicked, this, &TcontainerFrame::helpBtnClick);
    connect(appwizBtn, &PanelButton::clicked, this, &TcontainerFrame::appwizBtnClick);
    connect(terminalbtn, &PanelButton::clicked, this, &TcontainerFrame::terminalbtnClick);
    connect(SpidBtn, &PanelButton::clicked, this, &TcontainerFrame::SpidBtnClick);
    connect(protomonitorbtn, &PanelButton::clicked, this, &TcontainerFrame::protmonitorbtnClick);
    connect(flashdiskbtn, &PanelButton::clicked, this, &TcontainerFrame::flashdiskbtnClick);
    connect(updatebtn, &PanelButton::clicked, this, &TcontainerFrame::updatebtnClick);
    connect(OnlineManualBtn, &PanelButton::clicked, this, &TcontainerFrame::OnlineManualBtnClick);
    connect(supportBtn, &PanelButton::clicked, this, &TcontainerFrame::supportBtnClick);
    setUpFileTransfer();
    connect(AboutPortdeck1, &QAction::triggered, this, &TcontainerFrame::AboutPortdeck1Click);
}

void TcontainerFrame::createDialogs()
{
    AboutBox = new TAboutBox(versionText, dictionary, this);
    DebugForm = new TDebugForm(this);   // a window of its own, gone with the main window
    NonModalMsgBox = new TNonModalMsgBox(dictionary, this);
    connect(NonModalMsgBox, &TNonModalMsgBox::restoreClicked, this, [this] { bRestoreClicked = true; });
    PromptMsgForm = new TPromptMsgForm(dictionary, this);
}

void TcontainerFrame::FormCreate()
{
    control = QStringLiteral("None");
    lastControl = control;
    Timer_Animation->setEnabled(false);
    LoadLibraries();
    QApplication::setApplicationDisplayName(tr_("Portdeck"));
    setWindowTitle(tr_("Portdeck"));
    modemImage->hide();
    DialUp_Instructions->hide();
    Info_TabSet->hide();
    PageControl_Info->hide();
    instructionsStatic->setText(tr_("Click a button from the left panel to access a particular tool."));
    OptionsPageControl->setCurrentWidget(ModemSheet);
    PageControl1->setCurrentWidget(DefaultSheet);
    brandLabel->move(189, brandLabel->y());
    brandLabel->setText(tr_("Portdeck 3.0 - Product Detection"));
    brandLabel->adjustSize();
    paintDetect(false);
    detectBtn->setEnabled(false);
    log("constructor detectBtn->Enabled = FALSE\n");
    formCreated_ = true;
}

void TcontainerFrame::noteLoopLevel()
{
    const int level = QThread::currentThread()->loopLevel();
    if (mainLoopLevel < 0 || level < mainLoopLevel)
        mainLoopLevel = level;
}

void TcontainerFrame::TimerAtOpenTimer()
{
    noteLoopLevel();
    if (++timerAtOpenTicks_ < 2)
        return;
    TimerAtOpen->setEnabled(false);
    TimerAtOpen->setInterval(10000);
    if (bTapiMode)
        DetectModems();
    else
        DetectModem_NonTAPI();
}

bool TcontainerFrame::event(QEvent *e)
{
    if (e->type() == WindowMessageEvent::eventType()) {
        auto *msg = static_cast<WindowMessageEvent *>(e);
        if (msg->message() == WM_FORM_FINISHED)
            WMFormFinished(msg->lParam());
        else if (msg->message() == WM_REFRESH_COMPORT)
            WMRefreshComPort();
        return true;
    }
    if (e->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, &TcontainerFrame::restoreKeyboardFocus);
    return QWidget::event(e);
}

void TcontainerFrame::closeEvent(QCloseEvent *e)
{
    // Closing mid-download would leave the device half-written: refused as Exit refuses it.
    if (!closing_ && !appTerminated && UpdateInProgress()) {
        e->ignore();
        return;
    }
    if (!closing_ && !appTerminated) {
        closing_ = true;
        FormClose();
    }
    e->accept();
}

void TcontainerFrame::moveEvent(QMoveEvent *e)
{
    QWidget::moveEvent(e);
    windowPositionChanged();
}

void TcontainerFrame::windowPositionChanged()
{
    if (x() != storedLeft || y() != storedTop) {
        storedLeft = x();
        storedTop = y();
    }
}

void TcontainerFrame::contextMenuEvent(QContextMenuEvent *e)
{
    popupMenu->popup(e->globalPos());
}
