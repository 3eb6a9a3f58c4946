// ShowDLL: initialising, showing and hiding the library form that belongs to
// the current operation, and the country query made on the way.

#include "containerframe.h"
#include "serialport.h"
#include "tapidevice.h"

#include <QStackedWidget>

void TcontainerFrame::countryQuery()
{
    // In direct mode the detection has already found out.
    if (!bTapiMode)
        return;
    if (SendAndWait(QStringLiteral("AT~C?\r"), QStringLiteral("OK^ERROR^01:"), 36) == 3) {
        ApdComPort1->waitForMultiString(QStringLiteral("OK^ERROR"), 36, true);
        currentDevice.bCountryChangeable = true;
    } else {
        currentDevice.bCountryChangeable = false;
    }
}

// The country query waits for the device; a tool chosen meanwhile has shown
// itself, and this switch is over.
bool TcontainerFrame::switchStillCurrent(int switchNumber)
{
    if (switchNumber == toolSwitches)
        return true;
    log("ShowDLL: another tool was chosen meanwhile\n");
    return false;
}

void TcontainerFrame::ShowDLL(int show)
{
    const int switchNumber = ++toolSwitches;
    log("Inside ShowDLL: control=%s\n", control);
    if (bFlashScreenOpened && lastControl == QLatin1String("FlashFromDisk")) {
        b_PowerCycleUSB = false;
        UpdateRegistryAfterFlashUpdate();
        bFlashScreenOpened = false;
    }
    log("modemSelected=%s\n", modemSelected);

    QObject *const owner = this;
    QWidget *const host = DefaultSheet;
    const int language = libraryLanguage();
    const int locale = libraryLocale();
    const QByteArray productType = productTypeText.toLatin1();
    const QByteArray deviceName = selectedDeviceName.toLatin1();
    const unsigned char showFlag = show ? 1 : 0;

    if (control == QLatin1String("Appwizard") || control == QLatin1String("Appwizard_Congrats")) {
        if (modemSelected == QLatin1String("56KModem") && libs.config.module) {
            if (show) {
                EnterToolMode();
                libs.config.InitializeConfigForm(host, ApdComPort1, deviceName.constData(), owner,
                                                 WM_FORM_FINISHED, WM_REFRESH_COMPORT);
                libs.config.SetFormTopLeftPoint(0, 0);
                libs.config.SetConfigLanguage(language, locale);
            }
            countryQuery();
            if (!switchStillCurrent(switchNumber))
                return;
            log("call ShowConfigForm() with m_bCorvaneFirstTimeInstall=%d\n", int(m_bCorvaneFirstTimeInstall));
            libs.config.ShowConfigForm(showFlag, int(currentDevice.bCountryChangeable),
                                       int(m_bCorvaneFirstTimeInstall), productType.constData());
            libs.config.SetUSBFlag(ApdTapiDevice1->selectedDevice().contains(QLatin1String("USB")) ? 1 : 0);
        } else if (modemSelected == QLatin1String("ISDNTA") && libs.quillon.module) {
            if (show) {
                log("InitializeQuillon\n");
                const QByteArray serial = quillonSerialNumber().toLatin1();
                const QByteArray switchKind = switchClass.toLatin1();
                libs.quillon.InitializeQuillon(host, ApdComPort1, serial.constData(), switchKind.constData(), owner,
                                               WM_FORM_FINISHED);
                log("SetQuillonTopLeftPoint\n");
                libs.quillon.SetQuillonTopLeftPoint(0, 0);
                log("SetQuillonLanguage\n");
                libs.quillon.SetQuillonLanguage(language, locale);
                bQuillonInitialized = true;
                log("done with setquillonlang\n");
            }
            countryQuery();
            if (!switchStillCurrent(switchNumber))
                return;
            bQuillonShown = true;
            if (control == QLatin1String("Appwizard_Congrats")) {
                libs.quillon.ShowQuillonForm(showFlag, currentDevice.bCountryChangeable, "CONGRATS",
                                             productType.constData());
            } else {
                log("ShowQuillonForm(bShow, APPLICATION, %s\n", productTypeText);
                libs.quillon.ShowQuillonForm(showFlag, currentDevice.bCountryChangeable, "APPLICATION",
                                             productType.constData());
            }
        } else if (modemSelected == QLatin1String("IDSL")) {
            log("about to process and show IDSL screen bShow=%d\n", show);
            if (libs.idsl.module) {
                if (show) {
                    libs.idsl.InitializeIDSLForm(host, ApdComPort1, owner, WM_FORM_FINISHED);
                    log("after InitializeIDSLForm\n");
                    libs.idsl.SetIDSLFormTopLeftPoint(0, 0);
                    log("after SetFormTopLeftPoint\n");
                    libs.idsl.SetIDSLFormLanguage(language, locale);
                    log("after SetIDSLFormLanguage\n");
                }
                currentDevice.bCountryChangeable = false;
                libs.idsl.ShowIDSLForm(show);
            }
        }
    } else if (control == QLatin1String("Terminal")) {
        if (libs.terminal.module) {
            if (show) {
                libs.terminal.InitializeTerminal(host, ApdComPort1, ApdTapiDevice1, ApdProtocol1);
                libs.terminal.SetTerminalTopLeftPoint(0, 0);
                libs.terminal.SetTermLanguage(language, locale);
            }
            libs.terminal.ShowTerminal(show, modemSelected == QLatin1String("ISDNTA") ? "quillon" : "corvane");
        }
    } else if (control == QLatin1String("FlashFromDisk")) {
        if (libs.updater.module) {
            if (show) {
                libs.updater.InitializeModemUpdater(host, ApdComPort1, ApdProtocol1, deviceName.constData());
                libs.updater.SetModemUpdaterTopLeftPoint(0, 0);
                libs.updater.SetFlashLanguage(language, locale);
            }
            libs.updater.ShowModemUpdater(show);
        }
    } else if (control == QLatin1String("SpidWizard")) {
        if (libs.quillon.module) {
            if (show) {
                const QByteArray serial = quillonSerialNumber().toLatin1();
                const QByteArray switchKind = switchClass.toLatin1();
                libs.quillon.InitializeQuillon(host, ApdComPort1, serial.constData(), switchKind.constData(), owner,
                                               WM_FORM_FINISHED);
                // Language before position on this way in.
                libs.quillon.SetQuillonLanguage(language, locale);
                libs.quillon.SetQuillonTopLeftPoint(0, 0);
            }
            bQuillonShown = true;
            countryQuery();
            if (!switchStillCurrent(switchNumber))
                return;
            const char *mode = "MSNWizard";
            if (!bEuropeanSwitch) {
                mode = "SPID";
            } else if (bFirstEuropeanInstall) {
                mode = "FIRST_EUROPEAN_INSTALL";
                bFirstEuropeanInstall = false;
            }
            libs.quillon.ShowQuillonForm(showFlag, currentDevice.bCountryChangeable, mode, productType.constData());
        }
    } else if (control == QLatin1String("Decoder")) {
        if (libs.decoder.module) {
            if (show) {
                libs.decoder.InitializeDecoder(host, ApdComPort1);
                libs.decoder.SetDecoderTopLeftPoint(0, 0);
                libs.decoder.SetPPPLanguage(language, locale);
            }
            const QByteArray product = modemSelected.toLatin1();
            libs.decoder.ShowDecoderForm(show, product.constData());
        }
    }
    if (switchNumber == toolSwitches)
        lastControl = control;
}

QString TcontainerFrame::quillonSerialNumber() const
{
    // The library gets the untranslated text when the adapter reported none.
    if (serialNumber.isEmpty() || serialNumber == tr_("No Serial Number"))
        return QStringLiteral("No Serial Number");
    return serialNumber;
}
