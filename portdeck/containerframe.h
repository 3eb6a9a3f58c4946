#pragma once
// The main window of Portdeck. All state of the program lives in this one
// object; its handlers carry the names of the component and the event. The
// implementation is split by concern: containerframe.cpp (construction and
// state), mainwindow_layout.cpp, navigation.cpp, link.cpp, identification.cpp,
// detection_direct.cpp, detection_tapi.cpp, productscreens.cpp, libraries.cpp,
// showdll.cpp, flash.cpp.

#include "commandline.h"
#include "debuglog.h"
#include "libraries.h"
#include "process.h"
#include "productcodes.h"
#include "serialportaccess.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class LanguageDictionary;
class PanelButton;
class TCustomBitBtn;
class StatusAnimation;
class ScaledTimer;
namespace tl {
class SerialPortWatcher;
}
class TApdComPort;
class TApdDataPacket;
class TApdTapiDevice;
class TApdProtocol;
class TAboutBox;
class TDebugForm;
class TNonModalMsgBox;
class TPromptMsgForm;
class QLabel;
class QFrame;
class QGroupBox;
class QStackedWidget;
class QScrollArea;
class QTabBar;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

// Window messages of Portdeck's own, posted by the product libraries.
constexpr quint32 WM_FORM_FINISHED = productlibs::kFormFinishedMessage;       // 33168, a tool finished
constexpr quint32 WM_REFRESH_COMPORT = productlibs::kRefreshComPortMessage;   // 33169, USB power-cycle request

// The update service's own registration; its "InstallDirectory" is where it lives.
inline constexpr const char *kPatchwellRegistrationKey = "Software\\Varnel\\Patchwell\\Products\\Patchwell";

// One product found by the direct-mode scan.
struct DeviceRecord {
    int nComnPort = 0;
    int nModemType = 0;            // 0 56K business modem, 1 ISDN TA, 2 IDSL modem
    bool bCountryChangeable = false;
    QString name;
};

// Product models as the update service knows them.
enum ProductModel { Model56KBusMdm, Model56KBusMdmI, ModelISDNTA, ModelISDNTAPRO, ModelIDSLmodem,
                    ModelCount };

class TcontainerFrame : public QWidget {
    Q_OBJECT
public:
    // args without the program name. dictionary may be null (texts stay English).
    explicit TcontainerFrame(const QStringList &args, LanguageDictionary *dictionary = nullptr,
                             QWidget *parent = nullptr);
    ~TcontainerFrame() override;

    // ---- state made by the constructor ----
    bool bTapiMode = false;
    bool bLogging = false;
    bool bDebugWindow = false;
    bool bWaitAndYield = false;
    QString modemSelected = QStringLiteral("None");
    QString selectedDeviceName = QStringLiteral("None");
    QString control = QStringLiteral("None");
    QString lastControl = QStringLiteral("None");
    QString currentActivity = QStringLiteral("None");
    QString deviceNames[4];
    bool portSeen[128] = {};
    bool bCurrentComPortOccupied = false;
    bool TapiConnection = false;
    bool bModemDetectMode = false;
    bool b_PowerCycleUSB = false;
    bool bExitButtonClicked = false;
    bool b_selectDeviceMode = false;
    bool bCommFailed = false;
    bool bFlashScreenOpened = false;
    bool bUsbResetTriggerAdded = false;
    bool bQuillonInitialized = false;
    bool bQuillonShown = false;
    int usbResetTriggerHandle = 0;
    QString ati7State;
    int animationPhase = 0;
    int helpContext = 10;
    QString helpFile;
    QString startDirectory;
    QString productVersion = QStringLiteral("3.2");
    QString buildNumber = QStringLiteral("3.02.05");
    QString versionText;
    ProductCodes productCodes;
    QString ModemData;
    static const char *const productNameTable[6];

    // ---- identity ----
    QString lastProductCode;
    QString serialNumber;
    QString productTypeText;
    QString firmwareDates[ModelCount];

    // ---- product screens ----
    QString switchClass = QStringLiteral("Domestic");
    bool bEuropeanSwitch = false;
    bool bFirstEuropeanInstall = false;
    QString switchSettingsText;       // last ATI12 answer
    bool bSwitchSettingsKnown = false;
    int n_Spid_Attempts = 0;
    bool m_bCorvaneFirstTimeInstall = false;

    // ---- detection ----
    DeviceRecord deviceRecords[30];
    int ModemCount = 0;
    DeviceRecord currentDevice;
    QStringList tapiCandidates;       // up to 128 names
    int candidateCursor = 0;
    QStringList detectedProducts;     // TAPI mode
    int m_nNumDetectedProducts = 0;
    int tapiPortCloseCount = 0;
    bool bTimerRestartFlag = false;
    bool bDetectLoopRunning = false;
    bool modelFound[ModelCount] = {};
    bool modelRegistered[ModelCount] = {};
    QList<TCustomBitBtn *> deviceButtons;

    // ---- window ----
    int storedLeft = 0, storedTop = 0;
    bool appTerminated = false;
    CommandLineOptions options;

    // ---- components ----
    TApdComPort *ApdComPort1 = nullptr;
    TApdComPort *ApdComPort2 = nullptr;
    TApdTapiDevice *ApdTapiDevice1 = nullptr;
    TApdProtocol *ApdProtocol1 = nullptr;
    TApdDataPacket *ApdDataPacket1 = nullptr;
    TApdDataPacket *QuillonDataPacket = nullptr;
    TApdDataPacket *QuillonAti12DataPacket = nullptr;
    TApdDataPacket *IDSLDataPacket = nullptr;
    TApdDataPacket *CallLog = nullptr;
    TApdDataPacket *DetectApdDataPacket = nullptr;
    ScaledTimer *TimerAtOpen = nullptr;
    ScaledTimer *Timer1 = nullptr;
    ScaledTimer *Detect_Timer = nullptr;
    ScaledTimer *Timer_Animation = nullptr;
    ProductLibraries libs;

    // ---- widgets ----
    QLabel *moreConnectedBitmap = nullptr;
    QLabel *tllogoImage = nullptr;
    QLabel *tlbannerImage = nullptr;
    QLabel *brandLabel = nullptr;
    PanelButton *helpBtn = nullptr, *supportBtn = nullptr, *contactsBtn = nullptr,
                *OnlineManualBtn = nullptr;
    QStackedWidget *OptionsPageControl = nullptr;
    QWidget *ModemSheet = nullptr;
    QWidget *OptionsSheet = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QWidget *scrollContents = nullptr;
    PanelButton *detectBtn = nullptr, *ExitBtn = nullptr;
    PanelButton *appwizBtn = nullptr, *terminalbtn = nullptr, *flashdiskbtn = nullptr,
                *updatebtn = nullptr, *SpidBtn = nullptr, *protomonitorbtn = nullptr,
                *backbtn = nullptr, *TerminateBtn = nullptr;
    QStackedWidget *PageControl1 = nullptr;
    QWidget *DefaultSheet = nullptr;
    QWidget *DetectionSheet = nullptr;
    StatusAnimation *statusAnimationAvi = nullptr;
    QLabel *statusInfoStatic = nullptr;
    QLabel *modemImage = nullptr;
    QFrame *dividerBevel = nullptr;
    QLabel *instructionsStatic = nullptr;
    QLabel *modemInstructions = nullptr;
    QLabel *DialUp_Instructions = nullptr;
    QFrame *modemBevel = nullptr;
    QTabBar *Info_TabSet = nullptr;
    QStackedWidget *PageControl_Info = nullptr;
    QWidget *Sheet_Info = nullptr;
    QWidget *Sheet_CallLog = nullptr;
    QGroupBox *productGroupBox = nullptr;
    QLabel *infoCaptions[8] = {};
    QLabel *infoValues[8] = {};
    QLabel *detectionTitle = nullptr;
    QLabel *InfoText = nullptr;
    QFrame *Shapes[5] = {};
    QMenu *popupMenu = nullptr;
    QAction *AboutPortdeck1 = nullptr;
    QPointer<TAboutBox> AboutBox;
    QPointer<TDebugForm> DebugForm;
    QPointer<TDebugForm> ownedDebugForm;
    QPointer<TNonModalMsgBox> NonModalMsgBox;
    QPointer<TPromptMsgForm> PromptMsgForm;

    // ---- services ----
    DebugLog logger;
    LanguageDictionary *dictionary = nullptr;
    // How the program ends; tests replace it.
    std::function<void()> terminateApplication;
    // Releases the single-instance lock (set by the program entry).
    std::function<void()> releaseMutex;
    // The PC's date and time as the device clock is set from it; tests fix it.
    std::function<QDateTime()> clockNow;
    // Called after detection and after a product screen is ready (screenshots of the demo).
    std::function<void(const QString &what)> milestone;

    // ---- log family and texts ----
    void log(const char *format) { logger.log(format); }
    void log(const char *format, const QString &text) { logger.log(format, text); }
    void log(const char *format, int value) { logger.log(format, value); }
    void log(const char *format, int first, int second) { logger.log(format, first, second); }
    QString tr_(const char *source) const;
    void statusText(const char *text);
    int messageBox(const QString &text);

    // ---- start-up ----
    void FormCreate();
    void TimerAtOpenTimer();
    void createDialogs();

    // ---- navigation ----
    void EnterToolMode();
    void EnableTools();
    bool UpdateInProgress();
    void resetQuillonHelpOverride();
    void detectBtnClick();
    void backbtnClick();
    void TerminateBtnClick();
    void FormClose();
    void leaveToolBeforeExit();
    void helpBtnClick();
    void appwizBtnClick();
    void terminalbtnClick();
    void SpidBtnClick();
    void protmonitorbtnClick();
    void Info_TabSetChange(int index);
    void Timer_AnimationTimer();
    void AboutPortdeck1Click();
    void paintDetect(bool available);
    void startToolButton(PanelButton *button, const QString &name, bool setsHelp, bool hidesDialUp,
                         bool disablesPackets);
    void showDeviceListScreen(bool fromBack);
    // A keyboard user is never left without a focused control (keyboardfocus.cpp).
    void setUpKeyboardFocus();
    void restoreKeyboardFocus();
    void placeKeyboardFocus(bool onFirst);
    bool focusFirstTool = false;   // set when a product screen opens
    bool isToolShownFor(const QString &product, PanelButton *button) const;

    // ---- library binding ----
    void LoadLibraries();
    void ShowDLL(int show);
    void UnloadLibraries();
    // Unloads the libraries, then runs finish (its log line and the end of the
    // program). A library form must not go while one of its waits or boxes is
    // still on the stack: with a nested loop running, the open boxes are closed
    // and both steps wait until every loop has returned.
    void unloadAndFinish(std::function<void()> finish);
    bool exitPending() const { return !pendingFinish_.isEmpty(); }
    // Loop level of the main loop: the lowest level at which the event loop
    // has gone idle since the window was made, and never above one more than
    // the level the window was made at.
    int mainLoopLevel = -1;
    void noteLoopLevel();
    void countryQuery();
    bool switchStillCurrent(int switchNumber);
    QString quillonSerialNumber() const;
    int libraryLanguage() const;
    int libraryLocale() const;
    // The user picked another language: Portdeck's texts and the libraries' follow.
    void ChangeLanguage(int languageId);
    // 0 not European, 1 European, anything else undecided.
    int EuropeanSwitchStatus();
    template <class Library> void loadLibrary(Library &library);
    template <class Library> bool unloadLibrary(Library &library, void (*destroy)());

    // ---- tool launching ----
    // The manual or the support program on the product CD.
    struct CdProgram {
        QString path;               // read once per run, kept
        bool running = false;
        ProcessHandle process = nullptr;
    };
    CdProgram manualProgram;
    CdProgram supportProgram;
    bool bRestoreClicked = false;
    bool bPortWait = false;           // Portdeck waits for the port after Patchwell
    bool bPatchwellWaitRunning = false;
    void updatebtnClick();
    void OnlineManualBtnClick();
    void supportBtnClick();
    static QString patchwellProgramPath(const QString &installDirectory);
    bool isForegroundWindow() const;
    void runPatchwell();
    void waitForPatchwell(ProcessHandle process);
    void takePortBackAfterPatchwell();
    void launchCdProgram(CdProgram &program, const char *valueName, const char *locationLog, bool isManual);

    // ---- flash from disk ----
    void setUpFileTransfer();
    void flashdiskbtnClick();
    void ApdProtocol1ProtocolStatus(int options);
    void ApdProtocol1ProtocolError(int errorCode);
    void ApdProtocol1ProtocolFinish(int errorCode);
    // ---- call log ----
    QRadioButton *RadioIncoming = nullptr;
    QRadioButton *RadioOutgoing = nullptr;
    QPushButton *ExportBtn = nullptr;
    QLabel *lblNumber = nullptr, *lblPort = nullptr, *lblDate = nullptr, *lblTime = nullptr,
           *lblProtocol = nullptr, *lblCharge = nullptr;
    QPlainTextEdit *CallLogMemo = nullptr;
    QString incomingLog;
    QString outgoingLog;
    bool bIncomingLogReceived = false;   // the lists are read once per run
    void buildCallLogPage();
    void setCallLogLabels(bool incoming);
    void nameCallLog();
    void showCallLog(const QString &text);
    void PageControl_InfoChange();
    void CallLogStringPacket(const QString &text);
    void RadioIncomingClick();
    void RadioOutgoingClick();
    void ExportBtnClick();

    // ---- product registration ----
    QString patchwellInstallDirectory;   // read once, when first needed
    bool IniToRegistryInfo(const QString &iniName, const QString &version);
    static QString installedVersionText(const QString &version);
    // Each hides the shown tool or shows one through ShowDLL. A library may
    // wait while it goes or comes (a write it finishes, the country query) and
    // another button may switch tools meanwhile: then the call returns false,
    // and the caller leaves the screen to that later switch.
    int toolSwitches = 0;
    bool hideTool();
    bool showTool(const QString &name);
    void WMFormFinished(qintptr lParam);

    // ---- link ----
    void OpenLink();
    int SendAndWait(const QString &command, const QString &answers, int ticks);
    void sendGoodbye56K();
    void AddUsbResetTrigger();
    void ApdTapiDevice1TapiPortOpen();
    void ApdTapiDevice1TapiPortClose();
    void ApdTapiDevice1TapiFail();
    void Timer1Timer();
    void closeTapiConnection();
    void usbReopenTapi();
    void ApdComPort1TriggerData(int handle);
    void ApdComPort1TriggerAvail(int count);
    void usbResetDetected(const char *number);
    void WMRefreshComPort();
    void closeLink();
    void disableAnswerPackets();
    void failureStatusText();
    const char *failureText() const;
    void sendRaw(const QString &command);
    bool cancelCall();

    // ---- identification ----
    void ApdDataPacket1StringPacket(const QString &answer);
    void QuillonDataPacketStringPacket(const QString &answer);
    void IDSLDataPacketStringPacket(const QString &answer);
    void DetectApdDataPacketStringPacket(const QString &answer);
    QString detectAnswer;
    void ParseProductInfo(const QString &answer);
    void SetDateAndTimeNow(bool usOrder);
    void UpdateRegistryAfterFlashUpdate();
    void RefreshProductInfoAndWait();
    bool requestIdentity();
    void recordDetectedCandidate();

    // ---- detection ----
    void startDetection(bool directMode);
    void DetectModem_NonTAPI();
    void DetectModems();
    void tryConnection();
    void finishDetection(int count, bool directMode);
    // Ports the last direct pass could not open because the user may not, or
    // because another program holds them; told once at the end of the pass.
    QList<tl::PortAccessProblem> refusedPorts;
    // The current device's by-id name, taken when its port opens: after a USB
    // reset the device may come back under another node and COM number.
    QString currentPortStableName;
    void followMovedPort(int from, int to);
    QString portProblemsText(const QList<tl::PortAccessProblem> &problems) const;
    void UpdateModemButtonDisplay();
    void UpdateModemButtonDisplay_NonTAPI();
    TCustomBitBtn *deviceButton(int index);
    void HandleClickMessage(QWidget *control);

    // ---- devices plugged in or removed ----
    // While the device list is shown and nothing else runs, a change in the
    // machine's serial ports (settled for a moment) starts a detection pass
    // as the Detect button does. A change seen while a tool is open waits
    // until the list is shown again.
    tl::SerialPortWatcher *portWatcher = nullptr;
    ScaledTimer *portSettleTimer = nullptr;
    QString portsAtLastPass;
    bool portChangePending = false;
    void setUpHotplug();
    void portsMayHaveChanged();
    void portSettleTimerTimer();
    QString currentPortsSignature();
    bool showsIdleDeviceList() const;
    void OpenComPort_NonTAPI();
    void CloseComPort_NonTAPI();
    void closeConnection_NonTAPI();
    void resumeLibraryAfterUsbReset(int kind);
    static bool matchesNamePattern(const QString &name, const QString &pattern);
    static QString platformName() { return QStringLiteral("w2k"); }

    // ---- product screens ----
    void ShowCorvaneGUI();
    void ShowQuillonGUI();
    void ShowIDSLGUI();
    void openProductScreenCommon(const QString &type, const QString &helpFileName, int context);
    void Display_Product_info();
    void QuillonAti12DataPacketStringPacket(const QString &answer);
    void StartWizardBasedOnSwitch(const QString &answer);
    void Detect_ISDN_Status(const QString &answer);
    void Detect_TimerTimer();
    bool RegisterProductForFirstInstall();
    bool RegisterProductForFirstInstallOfCorvane();
    bool registerSerialNumber(const QString &key);
    void setInfoCaptions();

    // Window-position message.
    void windowPositionChanged();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void buildLayout();
    void buildComponents();
    void connectHandlers();
    void grabScreenshot(const QString &what);
    void finishWhenLoopsReturned();
    void runPendingExit();
    QList<std::function<void()>> pendingFinish_;
    QTimer *exitPoll_ = nullptr;
    bool formCreated_ = false;
    int timerAtOpenTicks_ = 0;
    bool closing_ = false;
};
