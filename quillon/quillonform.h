#pragma once
// The ISDN TA's configuration form: one borderless child widget inside the
// host's window, with its pages, its response matchers on the host's port and
// the state of the read-back and of a save. The code is split by concern:
// quillonform.cpp (construction, layout, exports' entry points), navigation.cpp,
// readback.cpp, commandpump.cpp and one file per group of pages.

#include "debuglog.h"
#include "fragments.h"
#include "linesettings.h"
#include "protocolsettings.h"
#include "servicesettings.h"
#include "replyparsers.h"
#include "settings.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QShortcut;
class QSlider;
class QSpinBox;
class QTabWidget;
class ScaledTimer;
class TApdComPort;
class TApdDataPacket;
class TModemProgressForm;
class TPageControl;
namespace tl { class Dictionary; class Translator; }

class TQuillonForm : public QWidget {
    Q_OBJECT
public:
    explicit TQuillonForm(QWidget *parent);
    ~TQuillonForm() override;

    // Entry points of the exports.
    void initialize(TApdComPort *port, const QString &serialNumber, const QString &variant,
                    QObject *notifyWindow, quint32 notifyMessage);
    void showForm(bool show, bool countrySupported, const QString &mode, const QString &productType);
    void setLanguage(int language, unsigned locale);
    void setTopLeft(int left, int top);
    int helpId() const;
    int europeanSwitchStatus() const;
    void comPortTriggerAvail(int count);
    int helpOverride = 0;

    TModemProgressForm *progressForm() const { return progress_; }

    // Pages that remember whether they were filled since the last read-back.
    enum Sheet { ShBasic, ShData, ShVoice, ShIsdn, ShAdvVoice, ShPpp, ShThreshold, ShAodi,
                 ShCallF, ShClid, ShX75, ShCountry, ShCount };

    // --- Components, named as the form's design names them ----------------
    TPageControl *PageControl1;
    QWidget *BasicSheet, *DataSheet, *VoiceSheet, *AdvVoiceSheet, *ResetSheet, *ISDNSheet,
        *PPPSheet, *ThresholdSheet, *AODISheet, *X75Sheet, *CallFSheet, *CLIDSheet,
        *CountrySheet, *SpidSheet, *DetectionSheet, *MSNSheet, *ProfileSheet, *CongratsSheet;
    QPushButton *ConfigureBtn, *BtnProfile, *SaveBtn, *Btn_CancelCongrats;

    TApdDataPacket *Ati12DataPacket, *Ati15DataPacket, *Ati16DataPacket, *Ati7DataPacket,
        *Ati20DataPacket, *Ati19DataPacket, *Ati4DataPacket, *CountryDataPacket,
        *DefaultDataPacket, *ErrorApdDataPacket;
    ScaledTimer *DataTimer, *Detect_Timer, *Animation_Timer;
    tl::Dictionary *Dictionary;
    tl::Translator *Translator;

    // Basic page
    QComboBox *Outgoing_Combo, *DVO_Combo, *CBox_BasicPort1, *CBox_BasicPort2;
    QLabel *BChannel_SText;
    QRadioButton *RadioBtn_Auto, *RadioBtn_64K, *RadioBtn_56K;
    QPushButton *Basic_CallFBtn;
    // Data page
    QComboBox *Combo_DataIncoming, *Combo_DataDN, *Combo_DataOutgoing, *Combo_DataBChannel;
    QCheckBox *CkBox_DataEnDOV;
    QPushButton *PPPBtn, *Btn_AODI, *X75Btn;
    // Voice page
    QGroupBox *GBox_Port1, *GBox_Port2, *GroupBox2;
    QComboBox *Combo_ADP1_DN, *Combo_ADP2_DN, *Combo_ADP1_Bearer, *Combo_ADP2_Bearer,
        *Combo_Voice_DVO;
    QCheckBox *CkBox_ADP1_CallerID, *CkBox_ADP2_CallerID, *AdvCall1_CkBox, *AdvCall2_CkBox,
        *CkBox_VoiceMail;
    QSlider *TrackBar_ADP1_RecieveVol, *TrackBar_ADP2_RecieveVol;
    QPushButton *AdvVoice1Btn, *AdvVoice2Btn, *CallForwardBtn, *CallScreenBtn;
    QLabel *SText_DN, *SText_CallerID, *SText_BearerCap, *SText_ReceiveVol, *SText_AdvCall,
        *SText_DynVO, *STextVoiceMail;
    // Advanced voice page
    std::array<QCheckBox *, 2> CallWait_CkBox{}, Conference_CkBox{}, Drop_CkBox{},
        Forward_CkBox{}, Transfer_CkBox{}, Message_CkBox{};
    std::array<QLineEdit *, 2> Conference_Edit{}, Drop_Edit{}, Forward_Edit{}, Transfer_Edit{},
        Message_Edit{};
    QPushButton *AdvVoice_BackBtn;
    // Reset page
    QGroupBox *GroupBox1;
    QComboBox *Combo_Reset;
    QPushButton *ResetBtn, *Btn_ResetISDNLine;
    QLabel *StaticText54, *StaticText17;
    // ISDN line page: the line groups and the switch type
    QComboBox *Switch_Combo;
    QGroupBox *GBox_Euro, *GBox_Domestic, *GBox_LeasedLine, *GroupBox22;
    QRadioButton *RadioBtn_64K_1BC, *RadioBtn_128K_2BC, *RadioBtn_144K_2BC_D;
    // ISDN line page: domestic and European settings
    QLineEdit *Edit_IsdnArea, *Edit_IsdnDN1, *Edit_IsdnDN2, *Edit_IsdnSpid1, *Edit_IsdnSpid2;
    QLineEdit *Edit_IsdnMSNArea, *Edit_IsdnMSN1, *Edit_IsdnMSN2, *Edit_IsdnMSN3;
    QCheckBox *CkBox_IsdnAutoSpid, *CkBox_IsdnDataLink;
    QComboBox *TEIDN1_Combo, *TEIDN2_Combo, *Combo_IsdnTEI, *CBox_BusConfigure;
    QSpinBox *DN1_SpinEdit, *DN2_SpinEdit, *TEI_SpinEdit;
    // Call forwarding page: per MSN tab and ForwardKind
    QTabWidget *Call_PageControl;
    std::array<QWidget *, 3> CallForward_TabSheet{};
    std::array<std::array<QCheckBox *, 4>, 3> CallForward_CkBox{};
    std::array<std::array<QLineEdit *, 4>, 3> CallForward_Edit{};
    std::array<std::array<QLabel *, 4>, 3> CallForward_Network{};
    // Call screening page: policies per port (analog 1, analog 2, data) and twenty entries
    std::array<QComboBox *, 3> Combo_CLIDPort{};
    std::array<QPushButton *, 3> Btn_CLIDAcceptAll{};
    std::array<QLineEdit *, 20> Edit_CLIDNumber{};
    std::array<std::array<QCheckBox *, 3>, 20> CkBox_CLID{};
    // Sub-pages of a later stage: their buttons and the presets
    QPushButton *PPPDBABtn, *PPP_BackBtn, *AODI_BackBtn, *X75_BackBtn, *CallF_BackBtn,
        *CLID_BackBtn, *Threshold_BackBtn, *AODI_BandwidthBtn;
    QPushButton *BitBtnConversative, *BitBtnAggressive;
    // PPP page
    QComboBox *PPPmode_ComboBox, *Combo_PPPCompression, *Combo_PPPEndpoint;
    QLineEdit *Edit_PPPEndpoint, *Edit_PPPLocal, *Edit_PPPLongDist;
    QCheckBox *BACP_CkBox;
    // Thresholds page, in the order of ThresholdSettings::values
    std::array<QSpinBox *, 8> Threshold_MinEdit{}, Threshold_SecEdit{};   // sample times only
    std::array<QSlider *, 8> Threshold_TrackBar{};                         // thresholds only
    std::array<QSpinBox *, 8> Threshold_Edit{};                            // thresholds only
    // AO/DI page
    QCheckBox *CkBox_EnAODI, *CkBox_AODIReverseCharge;
    QGroupBox *GBox_AODI;
    QLineEdit *Edit_AODI_Provider, *Edit_AODI_DN;
    QComboBox *Combo_AODI_TEI, *Combo_AODI_Bandwidth;
    QSpinBox *CSpinEdit_AODI_TEI;
    // X.75 page
    QSpinBox *Edit_Frame, *Edit_Window;
    QComboBox *Combo_Layer3;
    // Country page
    QLabel *LabelCountrySelected, *LabelCountry, *WarningLabel, *CountryImage;
    QComboBox *Combo_Country;
    QPushButton *CountryBtn;
    QFrame *Country_Bevel;
    // Wizard pages
    QLineEdit *Edit_SpidAreaCode, *Edit_SpidDN1, *Edit_SpidDN2;
    QLineEdit *Edit_MSNArea, *Edit_MSNPort1, *Edit_MSNPort2, *Edit_MSNData;
    QLabel *InfoText;
    // Detection page: the data packets on their way and the two line lights
    std::array<QFrame *, 5> Shape_Data{};
    std::array<QFrame *, 2> Shape_Light{};
    // Profiles and congratulations
    QListWidget *ListBox_Profiles;
    QLabel *ProfileLabel;
    QLabel *Congrats_Label, *Data_Label, *DN1Text, *DN2Text, *DN3Text;
    QPushButton *BtnModify;
    std::array<QFrame *, 9> Shape{};   // the congratulations page's markers, three groups of three

    // --- State ----------------------------------------------------------------
    QPointer<TApdComPort> port;
    QString serialNumber, productVariant;
    QPointer<QObject> notifyWindow;
    quint32 notifyMessage = 0;
    bool loggingEnabled = false, waitAndYield = false;
    bool countrySupported = true, callForwardingSupported = true, callScreeningSupported = true;
    QString countryName;
    bool usCanada = false, europeanFlow = true;
    bool wizardRunning = false, wizardCommandSent = false, msnWizardPending = false;
    bool countryChanged = false, abortPending = false;
    QString wizardState = QStringLiteral("ready");
    int readyCount = 0;            // detection results that said "Ready" since mode "SPID"
    int pollCount = 0;             // detection polls made since the SPID or MSN page was shown
    int congratsFrame = 0;         // animation phase: 1 to 3 (congratulations) or 1 to 5 (detection)

    quillon::StoredReplies replies;
    int switchType = 0;
    bool model5241 = false, leasedLineCapable = false;
    QString pendingQuery, lastCommand;
    int retryCount = 0;
    bool errorSeen = false;
    bool clockSet = false;
    int clockStep = 0;             // 1 time command outstanding, 2 date command outstanding
    bool singleReplyMode = false;
    bool ati20Parsed = false, ati19Parsed = false, countryRequested = false;
    bool chainRunning = false;     // a read-back chain is under way
    bool chainFailed = false;      // the last chain ended without an answer

    quillon::CommandSlots commandSlots;
    int nextSlot = 0;
    // The flags that shape one write to the TA (a save, a reset, a preset, the
    // quick setup of the line numbers, the internet setup) and the read-back
    // that confirms it. Made afresh when such a write starts, dropped when its
    // read-back ends or it fails, so that nothing of one write leaks into the next.
    struct WriteRun {
        bool save = false;             // the read-back's end reports the outcome of a write
        bool resetAfterWrite = false;  // finish with "at&wz!" instead of "at&w"
        bool quickSetup = false;       // only the number slots; the wizard goes on afterwards
        bool internetSetup = false;    // the factory internet template is being written
        bool recheck = false;          // a command went unanswered: report the failure
        bool writing = false;          // commands of the write are still to be sent or confirmed
        bool leaving = false;          // the form is going: stop once the TA has stored the write
        bool failed = false;           // the TA stopped answering before it stored the write
        int profileStep = 0;           // a profile: 1 its line sent, 2 its "AT&W" sent
    };
    WriteRun run;
    WriteRun &beginRun() { run = WriteRun{}; return run; }
    bool switchTypeChanged = false;
    std::array<bool, ShCount> sheetFilled{};

    quillon::BasicSettings basicCur, basicRead;
    quillon::DataSettings dataCur, dataRead;
    quillon::VoiceSettings voiceCur, voiceRead;
    quillon::AdvVoiceSettings advCur, advRead;
    quillon::PppSettings pppCur, pppRead;
    quillon::ThresholdSettings thresholdCur, thresholdRead;
    quillon::X75Settings x75Cur, x75Read;
    quillon::AodiSettings aodiCur, aodiRead;
    quillon::LineSettings lineCur, lineRead;
    int lineReadSwitchType = 0;   // switch type read from the TA when the line page was filled
    quillon::ForwardingList forwardCur, forwardRead;
    quillon::ScreeningList screenCur, screenRead;
    bool callFFromVoice = false, thresholdFromPPP = true;
    bool basicPending = false;     // the basic page waits for the switch settings reply
    bool pppModeDynamic = false;   // PPP mode "Multi Link PPP with Dynamic Bandwidth" read

    // The form's showings: every show and hide starts a new one. Whatever was
    // started in one showing (a wait, a box, a command chain) ends with it.
    int showing = 0;
    bool shown = false;
    // How a wait of the form ended; after Left (the form was hidden, shown
    // anew or destroyed meanwhile) the caller touches nothing and sends nothing.
    enum class WaitEnd { Answered, TimedOut, Left };
    WaitEnd waitForReply(const QString &alternatives, int ticks);
    WaitEnd pause(int ticks);
    // A write under way is finished before the form goes (hidden or destroyed):
    // the TA stores it, or the user is told that it did not.
    void finishWriteBeforeLeaving();
    void finishProfileBeforeLeaving();
    void closeOwnBoxes();

    // --- Helpers shared by the parts of the form --------------------------------
    QString tx(const char *source) const;
    int say(const QString &text, int icon = 0x40);
    void logLine(const char *format);
    void logLine(const char *format, const QString &text);
    void logLine(const char *format, int value);
    void notifyHost();
    bool euroIsdn() const { return switchType == 0; }
    // A query, a command or a write is outstanding on the port: nothing else may be sent.
    bool linkBusy() const;
    void requestCountryList();

    // readback.cpp
    void disarmAll();
    void stopTimers();
    void sendQuery(const QString &query);
    void startChain(const char *diagnostic);
    void sendLine(const QString &line);
    void sendCommandLine(const QString &line, bool clockCommand = false);
    void applySwitchType(int type);
    void setProgressTarget(int target);
    void hideProgress();

    // commandpump.cpp
    void save();
    void composeSlots();
    void pumpNext();
    void internetSetup_();
    void disableActions();
    void enableActions();
    void showUpdating();
    void sendPrepared(const QString &line, int next);
    void resetConfiguration();
    void resetIsdnLine();
    void sendPreset(bool conservative);
    void applyProfile();

    // navigation.cpp
    void showAdvancedSet(QWidget *activate);
    void enterBasicPage();
    void showSubPage(QWidget *page);
    void enterPage(QWidget *page);
    bool askSaveChanges();
    bool captionIs(const QPushButton *button, const char *source) const;
    void applyNumberLabels();
    void fillActivePage();
    void showCongratulations(bool european);
    void showProfilePage();
    void modifyAfterWizard();
    void sendMsnNumbers();

    // linewizard.cpp
    void showWizardStep(QWidget *page);
    void showSpidPage();
    void showMsnPage();
    void showCountryWizardPage();
    void spidNext();
    void countryNext();
    void CountryBtnClick();
    void stopWizard();
    void abortConfirmed();
    void detectionResult(const QString &reply);

    // pages
    void fillBasic();
    void fillData();
    void fillVoice();
    void fillAdvVoice();
    void fillPpp();
    void fillThresholds();
    void fillX75();
    void fillAodi();
    void fillIsdn();
    void showLineSettings();
    void switchTypeChosen(int index);
    void showForwarding();
    void updateForwardBoxes(int msn);
    void showScreening();
    void updateAodiEnables();
    void updatePppEnables();
    void applyVoiceLayout();
    void applyVariantLayout(const QString &variant);
    void updateAdvVoiceEnables();
    void relayoutForLanguage();
    void showCountry();
    void adjustBasicPortItems();

    // accessibility.cpp
    void nameControls();
    void nameValueLabels();
    void focusActivePage();
    void keepFocusInForm();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void buildBasicPage();
    void buildDataPage();
    void buildVoicePage();
    void buildAdvVoicePage();
    void buildResetPage();
    void buildProfilePage();
    void buildLaterPages();
    void buildProtocolPages();
    void buildAodiPage();
    void buildIsdnPage();
    void buildServicePages();
    void buildCountryPage();
    void buildWizardPages();
    void buildAccessibility();
    void buildTabShortcuts();
    void stepTab(int step);
    void buildMatchers();
    void wireButtons();

    // readback.cpp handlers
    void Ati12DataPacketStringPacket(const QString &data);
    void Ati15DataPacketStringPacket(const QString &data);
    void Ati16DataPacketStringPacket(const QString &data);
    void Ati7DataPacketStringPacket(const QString &data);
    void Ati20DataPacketStringPacket(const QString &data);
    void Ati19DataPacketStringPacket(const QString &data);
    void Ati4DataPacketStringPacket(const QString &data);
    void CountryDataPacketStringPacket(const QString &data);
    void DefaultDataPacketStringPacket(const QString &data);
    void ErrorApdDataPacketStringPacket(const QString &data);
    void DataTimerTimer();
    void clockReply();
    void parseForwarding(bool labelsOnly);
    void parseScreening();

    // linewizard.cpp handlers and steps
    void Detect_TimerTimer();
    void Animation_TimerTimer();
    bool changeCountry(int index);
    void detectionSucceeded();
    void detectionFailed(const char *message);
    void recordSerialNumber();

    // navigation.cpp handlers
    void PageControl1Changing(QWidget *from, QWidget *to, bool *allow);
    void SaveBtnClick();
    void ConfigureBtnClick();
    void Btn_CancelCongratsClick();

    TModemProgressForm *progress_ = nullptr;
    DebugLog log_;
    bool filling_ = false;   // page controls are being set from the replies
    QList<QShortcut *> tabShortcuts_;
    friend class QuillonFormTestAccess;
};
