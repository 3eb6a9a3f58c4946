#pragma once
// The 56K business modem's configuration screen: the modem's identity and
// settings as it reports them, the settings written back, the country changed
// on a modem that allows it (which restarts a USB modem: the host is told to
// wait for the port, and we resume when it hands the port back), and a welcome
// page on the first installation.

#include "companionform.h"
#include "formparts.h"
#include "modemsettings.h"
#include "productlibs.h"

#include <QByteArray>
#include <QMap>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class ScaledTimer;
class TApdComPort;

namespace companions { class DeviceLink; struct Reply; }

class TMantletForm : public companions::CompanionForm {
    Q_OBJECT
public:
    // Help contexts of the pages.
    static constexpr int kWelcomeHelpId = 110;
    static constexpr int kSettingsHelpId = 120;
    static constexpr int kCountryHelpId = 130;
    // How long we wait for a restarted modem to be handed back (ticks, 120 s:
    // the host's own close and power-cycle waits may take about a minute).
    static constexpr int kResetWaitTicks = 2184;

    explicit TMantletForm(QWidget *host);

    void initialize(TApdComPort *port, const QString &deviceName, QObject *owner,
                    quint32 formFinishedMsg, quint32 refreshComPortMsg);
    void showForm(bool show, bool countryChangeable, bool firstTimeInstall, const QString &productType);
    int helpId() const;
    void portDataAvailable();
    void usbResetReceived();
    void setComPtrs(TApdComPort *port, const QString &deviceName);
    void setWaitForComPortRefresh(bool waiting);
    void setUsbFlag(bool usb) { bUSBModem = usb; }

    bool isBusy() const { return bBusy; }
    bool isWaitingForReset() const { return bWaitingForReset; }

    // Widgets, named as their members.
    QStackedWidget *PageControl;
    QWidget *WelcomePage;
    QWidget *SettingsPage;
    QWidget *CountryPage;
    QLabel *WelcomeCountryLabel;
    QPushButton *ContinueBtn;
    companions::IdentityLabels Identity;
    QMap<QString, QSpinBox *> RegisterEdits;
    QComboBox *FlowControlCombo;
    QPushButton *CountryBtn;
    QPushButton *ApplyBtn;
    QPushButton *DoneBtn;
    QListWidget *CountryList;
    QPushButton *ChangeCountryBtn;
    QPushButton *CancelCountryBtn;
    QLabel *StatusLabel;

protected:
    QString caption() const override;
    void retranslate() override;

private:
    void buildWelcomePage();
    void buildSettingsPage();
    void buildCountryPage();

    void ContinueBtnClick();
    void CountryBtnClick();
    void ApplyBtnClick();
    void DoneBtnClick();
    void ChangeCountryBtnClick();
    void CancelCountryBtnClick();

    bool readModem();
    bool saveSettings();
    void startUsbReset(const QString &countryName);
    void resumeAfterReset();
    void resetWaitExpired();
    mantlet::SettingValues editedValues() const;
    void showValues(const mantlet::SettingValues &values);
    void updateButtons();
    void reportNoAnswer(const companions::Reply &reply);

    companions::DeviceLink *link_;
    ScaledTimer *resetTimer_;
    QPointer<QObject> owner_;
    quint32 formFinishedMsg_ = productlibs::kFormFinishedMessage;
    quint32 refreshComPortMsg_ = productlibs::kRefreshComPortMessage;
    QString selectedDeviceName;
    QString productType_;
    QString currentCountry_;
    QString pendingCountry_;
    mantlet::SettingValues loaded_;
    bool bCountryChangeable = false;
    bool bFirstTimeInstall = false;
    bool bUSBModem = false;
    bool bBusy = false;
    bool bWaitingForReset = false;
    bool bReadPending = false;
    bool bShown = false;
    bool bResetAbandoned = false;
};
