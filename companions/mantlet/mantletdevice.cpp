// The Mantlet form's work on the modem: reading identity and settings,
// writing settings, and changing the country with the restart it needs.
#include "mantletform.h"

#include "clock.h"
#include "deviceanswers.h"
#include "devicelink.h"
#include "uiservices.h"
#include "windowmessages.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>

using companions::Reply;

void TMantletForm::initialize(TApdComPort *port, const QString &deviceName, QObject *owner,
                              quint32 formFinishedMsg, quint32 refreshComPortMsg)
{
    link_->setPort(port);
    selectedDeviceName = deviceName;
    owner_ = owner;
    formFinishedMsg_ = formFinishedMsg;
    refreshComPortMsg_ = refreshComPortMsg;
}

void TMantletForm::showForm(bool show, bool countryChangeable, bool firstTimeInstall, const QString &productType)
{
    bShown = show;
    if (!show) {
        hide();
        return;
    }
    bCountryChangeable = countryChangeable;
    bFirstTimeInstall = firstTimeInstall;
    productType_ = productType;
    WelcomeCountryLabel->setVisible(countryChangeable);
    if (!bWaitingForReset)
        PageControl->setCurrentWidget(firstTimeInstall ? WelcomePage : SettingsPage);
    if (Identity.country->text().isEmpty())
        Identity.country->setText(companions::countryOfProductType(productType));
    this->show();
    raise();
    updateButtons();
    // Read once the host's call has returned: the read waits for the modem.
    if (!bBusy && !bWaitingForReset && !bReadPending) {
        bReadPending = true;
        QTimer::singleShot(0, this, [this] {
            bReadPending = false;
            if (bShown && !bBusy && !bWaitingForReset)
                readModem();
        });
    }
}

void TMantletForm::portDataAvailable() { link_->takeAvailable(); }

void TMantletForm::setComPtrs(TApdComPort *port, const QString &deviceName)
{
    link_->setPort(port);
    selectedDeviceName = deviceName;
}

void TMantletForm::setWaitForComPortRefresh(bool waiting)
{
    // The host has closed, waited out and reopened the port. A hand-back after
    // we gave up still brings the form back to the modem.
    if (!waiting && (bWaitingForReset || bResetAbandoned))
        QTimer::singleShot(0, this, &TMantletForm::resumeAfterReset);
}

void TMantletForm::usbResetReceived()
{
    if (bWaitingForReset || bResetAbandoned)
        QTimer::singleShot(0, this, &TMantletForm::resumeAfterReset);
}

void TMantletForm::reportNoAnswer(const Reply &reply) { setStatus(StatusLabel, companions::replyProblem(reply)); }

bool TMantletForm::readModem()
{
    QPointer<TMantletForm> guard(this);
    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Reading the modem's settings...");

    Reply id = link_->command("ati7\r");
    if (!guard)
        return false;
    bool ok = id.ok();
    if (ok) {
        const companions::DeviceIdentity identity = companions::parseIdentity(id.text);
        Identity.show(identity);
        currentCountry_ = Identity.country->text();

        Reply settings = link_->command("ati4\r");
        if (!guard)
            return false;
        ok = settings.ok();
        if (ok) {
            loaded_ = mantlet::parseModemSettings(settings.text);
            showValues(loaded_);
            clearStatus(StatusLabel);
        } else {
            reportNoAnswer(settings);
        }
    } else {
        reportNoAnswer(id);
    }
    bBusy = false;
    updateButtons();
    return ok;
}

void TMantletForm::showValues(const mantlet::SettingValues &values)
{
    for (auto it = RegisterEdits.cbegin(); it != RegisterEdits.cend(); ++it) {
        if (values.contains(it.key()))
            it.value()->setValue(values[it.key()]);
    }
    const int flow = FlowControlCombo->findData(values.value(QStringLiteral("&K"), -1));
    if (flow >= 0)
        FlowControlCombo->setCurrentIndex(flow);
}

mantlet::SettingValues TMantletForm::editedValues() const
{
    mantlet::SettingValues values;
    for (auto it = RegisterEdits.cbegin(); it != RegisterEdits.cend(); ++it) {
        if (loaded_.contains(it.key()))
            values.insert(it.key(), it.value()->value());
    }
    if (loaded_.contains(QStringLiteral("&K")) && FlowControlCombo->currentIndex() >= 0)
        values.insert(QStringLiteral("&K"), FlowControlCombo->currentData().toInt());
    return values;
}

bool TMantletForm::saveSettings()
{
    const mantlet::SettingValues edited = editedValues();
    const QByteArray command = mantlet::composeSettingsCommand(loaded_, edited);
    if (command.isEmpty()) {
        setStatus(StatusLabel, "The settings are unchanged.");
        return true;
    }
    QPointer<TMantletForm> guard(this);
    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Saving the settings...");
    Reply set = link_->command(command);
    if (!guard)
        return false;
    bool ok = set.ok();
    if (ok) {
        Reply store = link_->command("at&w\r");
        if (!guard)
            return false;
        ok = store.ok();
        if (!ok)
            reportNoAnswer(store);
    } else {
        reportNoAnswer(set);
    }
    if (ok) {
        loaded_ = edited;
        setStatus(StatusLabel, "The settings were saved.");
    } else {
        message(text("The modem did not take the new settings."), MB_OK, MB_ICONWARNING);
        if (!guard)
            return false;
    }
    bBusy = false;
    updateButtons();
    return ok;
}

void TMantletForm::ApplyBtnClick()
{
    if (bBusy || bWaitingForReset)
        return;
    saveSettings();
}

void TMantletForm::DoneBtnClick()
{
    if (bBusy || bWaitingForReset)
        return;
    QPointer<TMantletForm> guard(this);
    if (!loaded_.isEmpty() && !mantlet::composeSettingsCommand(loaded_, editedValues()).isEmpty()) {
        const int answer = message(text("Save the changed settings before leaving?"), MB_YESNOCANCEL,
                                   MB_ICONQUESTION);
        if (!guard || answer == IDCANCEL)
            return;
        if (answer == IDYES && !saveSettings())
            return;
        if (!guard)
            return;
        if (answer == IDNO)
            showValues(loaded_);
    }
    PostMessage(owner_, formFinishedMsg_, 0, 0);
}

void TMantletForm::CountryBtnClick()
{
    if (bBusy || bWaitingForReset || !bCountryChangeable)
        return;
    QPointer<TMantletForm> guard(this);
    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Reading the list of countries...");
    Reply list = link_->command("AT~C?\r");
    if (!guard)
        return;
    bBusy = false;
    const QList<companions::Country> countries = companions::parseCountryList(list.text);
    if (!list.ok() || countries.isEmpty()) {
        if (list.ok())
            setStatus(StatusLabel, "This modem's country cannot be changed.");
        else
            reportNoAnswer(list);
        updateButtons();
        return;
    }
    CountryList->clear();
    for (const companions::Country &c : countries) {
        auto *item = new QListWidgetItem(c.name, CountryList);
        item->setData(Qt::UserRole, c.code);
        if (c.name.compare(currentCountry_, Qt::CaseInsensitive) == 0)
            CountryList->setCurrentItem(item);
    }
    connect(CountryList, &QListWidget::currentItemChanged, this, &TMantletForm::updateButtons,
            Qt::UniqueConnection);
    clearStatus(StatusLabel);
    PageControl->setCurrentWidget(CountryPage);
    updateButtons();
}

void TMantletForm::ChangeCountryBtnClick()
{
    QListWidgetItem *item = CountryList->currentItem();
    if (bBusy || bWaitingForReset || !item)
        return;
    const QString name = item->text();
    const QByteArray code = item->data(Qt::UserRole).toString().toLatin1();
    if (name.compare(currentCountry_, Qt::CaseInsensitive) == 0) {
        PageControl->setCurrentWidget(SettingsPage);
        return;
    }
    QPointer<TMantletForm> guard(this);
    const int answer = message(text("Set the modem to %s? The modem restarts, which takes a few seconds.", {name}),
                               MB_YESNO, MB_ICONQUESTION);
    if (!guard || answer != IDYES)
        return;

    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Changing the country...");
    Reply set = link_->command("atc10=" + code + '\r');
    if (!guard)
        return;
    Reply store;
    if (set.ok()) {
        // Stored, so that the country outlives the restart.
        store = link_->command("at&w\r");
        if (!guard)
            return;
    }
    bBusy = false;
    if (!set.ok() || !store.ok()) {
        reportNoAnswer(set.ok() ? store : set);
        updateButtons();
        message(text("The modem did not take the new country."), MB_OK, MB_ICONWARNING);
        return;
    }
    if (bUSBModem) {
        startUsbReset(name);
        return;
    }
    // A modem on a serial line keeps its port: read it again at once.
    PageControl->setCurrentWidget(SettingsPage);
    if (readModem() && guard)
        setStatus(StatusLabel, "The country is now %s.", {currentCountry_});
}

void TMantletForm::startUsbReset(const QString &countryName)
{
    pendingCountry_ = countryName;
    bWaitingForReset = true;
    PageControl->setCurrentWidget(SettingsPage);
    setStatus(StatusLabel, "The modem restarts with the new country. Please wait...");
    updateButtons();
    // The restart must reach the modem before the host closes its port for
    // the wait: its answer comes first, then the message.
    QPointer<TMantletForm> guard(this);
    const Reply restart = link_->command("at~x!\r", 36);
    if (!guard)
        return;
    if (restart.result == Reply::PortClosed && restart.raw.isEmpty() && !link_->portOpen()) {
        bWaitingForReset = false;
        reportNoAnswer(restart);
        updateButtons();
        return;
    }
    PostMessage(owner_, refreshComPortMsg_, 0, 0);
    resetTimer_->setEnabled(true);
}

void TMantletForm::resumeAfterReset()
{
    if ((!bWaitingForReset && !bResetAbandoned) || bBusy)
        return;
    // Both hand-back calls may come; the port must be open again to go on.
    if (!link_->portOpen())
        return;
    bWaitingForReset = false;
    bResetAbandoned = false;
    resetTimer_->setEnabled(false);
    QPointer<TMantletForm> guard(this);
    // The modem may need a moment after the port returns before it answers.
    bool ok = false;
    for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
        ok = readModem();
        if (!guard)
            return;
    }
    if (ok)
        setStatus(StatusLabel, "The country is now %s.", {currentCountry_});
}

void TMantletForm::resetWaitExpired()
{
    if (!bWaitingForReset)
        return;
    if (link_->portOpen()) {
        // The port is back although nobody said so.
        resumeAfterReset();
        return;
    }
    bWaitingForReset = false;
    bResetAbandoned = true;
    setStatus(StatusLabel, "The modem did not come back after the restart.");
    updateButtons();
    message(text("The modem did not come back after the restart. Check its cable, then open the Configuration "
                 "Manager again."),
            MB_OK, MB_ICONWARNING);
}
