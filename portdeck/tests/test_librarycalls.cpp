// What Portdeck calls in its product libraries, with which arguments and in
// which order: ShowDLL for every operation and product, the wizard's modes,
// the routing of the port's and the protocol's events, the language hand-over,
// the European-switch answer and the unloading. One recording library stands
// in for all six.

#include "tooltestfixture.h"

#include <QPushButton>

namespace {

struct ShowCase {
    const char *control;
    const char *product;
    QStringList shown;    // calls of ShowDLL(1)
    QStringList hidden;   // calls of ShowDLL(0)
};

} // namespace

class LibraryCalls : public ToolForm {
protected:
    void SetUp() override
    {
        ToolForm::SetUp();
        const QString recorder = tl::programDirectory() + QStringLiteral("/portdeck-recorder/librecorder.so");
        // Our own hold keeps the record readable after Portdeck lets go.
        own = LoadLibrary(recorder);
        ASSERT_NE(own, nullptr) << qPrintable(lastModuleError());
        recorded = reinterpret_cast<const char *(*)()>(GetProcAddress(own, "recorderCalls"));
        clear = reinterpret_cast<void (*)()>(GetProcAddress(own, "recorderClear"));
        setEuropean = reinterpret_cast<void (*)(unsigned char)>(GetProcAddress(own, "recorderSetEuropeanStatus"));
        ASSERT_TRUE(recorded && clear && setEuropean);
        QMap<QString, QString> all;
        for (const char *lib : {"libmantlet.so", "libquillon.so", "libgantry.so", "libsprocket.so", "libwicket.so",
                                "libtessel.so"})
            all.insert(QString::fromLatin1(lib), recorder);
        setProductLibraryDirectory(libraryDirectory({}, all));
        start();
        detected();   // nothing attached: the device list stays empty
        clear();
    }
    void TearDown() override
    {
        ToolForm::TearDown();
        if (own)
            FreeLibrary(own);
    }

    // The record since the last clear, with the objects Portdeck passes named.
    QStringList calls()
    {
        QString text = QString::fromLatin1(recorded());
        const QList<QPair<const void *, const char *>> names = {
            {frame->DefaultSheet, "{sheet}"},   {frame->ApdComPort1, "{port}"},
            {frame->ApdTapiDevice1, "{tapi}"},  {frame->ApdProtocol1, "{protocol}"},
            {frame.get(), "{owner}"},
        };
        for (const auto &n : names)
            text.replace(QString::asprintf("%p", n.first), QLatin1String(n.second));
        QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        clear();
        return lines;
    }
    void select(const char *control, const char *product)
    {
        frame->control = QLatin1String(control);
        frame->modemSelected = QLatin1String(product);
    }

    HMODULE own = nullptr;
    const char *(*recorded)() = nullptr;
    void (*clear)() = nullptr;
    void (*setEuropean)(unsigned char) = nullptr;
};

TEST_F(LibraryCalls, ShowDllInitialisesShowsAndHidesTheFormOfEachOperation)
{
    frame->selectedDeviceName = QStringLiteral("TL 56K USB");
    frame->productTypeText = QStringLiteral("US/Canada External");
    frame->serialNumber = QStringLiteral("QB0001");
    frame->switchClass = QStringLiteral("European");
    frame->m_bCorvaneFirstTimeInstall = true;

    const QList<ShowCase> cases = {
        {"Appwizard", "56KModem",
         {"_InitializeConfigForm({sheet},{port},TL 56K USB,{owner},33168,33169)", "_SetFormTopLeftPoint(0,0)",
          "_SetConfigLanguage(409,409)", "_ShowConfigForm(1,1,1,US/Canada External)", "_SetUSBFlag(0)"},
         {"_ShowConfigForm(0,1,1,US/Canada External)", "_SetUSBFlag(0)"}},
        {"Appwizard", "ISDNTA",
         {"_InitializeQuillon({sheet},{port},QB0001,European,{owner},33168)", "_SetQuillonTopLeftPoint(0,0)",
          "_SetQuillonLanguage(409,409)", "_ShowQuillonForm(1,1,APPLICATION,US/Canada External)"},
         {"_ShowQuillonForm(0,1,APPLICATION,US/Canada External)"}},
        {"Appwizard_Congrats", "ISDNTA",
         {"_InitializeQuillon({sheet},{port},QB0001,European,{owner},33168)", "_SetQuillonTopLeftPoint(0,0)",
          "_SetQuillonLanguage(409,409)", "_ShowQuillonForm(1,1,CONGRATS,US/Canada External)"},
         {"_ShowQuillonForm(0,1,CONGRATS,US/Canada External)"}},
        {"Terminal", "ISDNTA",
         {"_InitializeTerminal({sheet},{port},{tapi},{protocol})", "_SetTerminalTopLeftPoint(0,0)",
          "_SetTermLanguage(409,409)", "_ShowTerminal(1,quillon)"},
         {"_ShowTerminal(0,quillon)"}},
        {"Terminal", "56KModem",
         {"_InitializeTerminal({sheet},{port},{tapi},{protocol})", "_SetTerminalTopLeftPoint(0,0)",
          "_SetTermLanguage(409,409)", "_ShowTerminal(1,corvane)"},
         {"_ShowTerminal(0,corvane)"}},
        {"FlashFromDisk", "56KModem",
         {"_InitializeModemUpdater({sheet},{port},{protocol},TL 56K USB)", "_SetModemUpdaterTopLeftPoint(0,0)",
          "_SetFlashLanguage(409,409)", "_ShowModemUpdater(1)"},
         {"_ShowModemUpdater(0)"}},
        {"Decoder", "IDSL",
         {"_InitializeDecoder({sheet},{port})", "_SetDecoderTopLeftPoint(0,0)", "_SetPPPLanguage(409,409)",
          "_ShowDecoderForm(1,IDSL)"},
         {"_ShowDecoderForm(0,IDSL)"}},
        // The IDSL library clears the country flag for what follows.
        {"Appwizard", "IDSL",
         {"_InitializeIDSLForm({sheet},{port},{owner},33168)", "_SetIDSLFormTopLeftPoint(0,0)",
          "_SetIDSLFormLanguage(409,409)", "_ShowIDSLForm(1)"},
         {"_ShowIDSLForm(0)"}},
        {"Appwizard", "None", {}, {}},
        {"None", "ISDNTA", {}, {}},
    };
    for (const ShowCase &c : cases) {
        SCOPED_TRACE(std::string(c.control) + " / " + c.product);
        frame->currentDevice.bCountryChangeable = true;
        select(c.control, c.product);
        frame->ShowDLL(1);
        EXPECT_EQ(calls(), c.shown);
        EXPECT_EQ(frame->lastControl, QLatin1String(c.control));
        frame->ShowDLL(0);
        EXPECT_EQ(calls(), c.hidden);
        if (QByteArray(c.product) == "IDSL" && QByteArray(c.control) == "Appwizard") {
            EXPECT_FALSE(frame->currentDevice.bCountryChangeable);
        }
    }
    EXPECT_TRUE(logHas("Inside ShowDLL: control=Decoder\n"));
    EXPECT_TRUE(logHas("about to process and show IDSL screen bShow=1\n"));
}

TEST_F(LibraryCalls, TheLineWizardShowsTheFirstEuropeanInstallOnceThenTheMsnWizard)
{
    frame->serialNumber.clear();   // the library is told there is none
    frame->productTypeText = QStringLiteral("Germany External");
    frame->currentDevice.bCountryChangeable = false;
    select("SpidWizard", "ISDNTA");
    frame->ShowDLL(1);
    // Language before position on this way in.
    EXPECT_EQ(calls(), QStringList({"_InitializeQuillon({sheet},{port},No Serial Number,Domestic,{owner},33168)",
                                    "_SetQuillonLanguage(409,409)", "_SetQuillonTopLeftPoint(0,0)",
                                    "_ShowQuillonForm(1,0,SPID,Germany External)"}));
    EXPECT_TRUE(frame->bQuillonShown);

    frame->bEuropeanSwitch = true;
    frame->bFirstEuropeanInstall = true;
    frame->ShowDLL(1);
    EXPECT_EQ(calls().last(), "_ShowQuillonForm(1,0,FIRST_EUROPEAN_INSTALL,Germany External)");
    EXPECT_FALSE(frame->bFirstEuropeanInstall);
    frame->ShowDLL(1);
    EXPECT_EQ(calls().last(), "_ShowQuillonForm(1,0,MSNWizard,Germany External)");
}

TEST_F(LibraryCalls, EuropeanSwitchFromTheLibraryOnceInitialisedElseFromTheStoredAnswer)
{
    frame->bQuillonInitialized = false;
    frame->switchSettingsText.clear();
    EXPECT_EQ(frame->EuropeanSwitchStatus(), 255);
    frame->switchSettingsText = QStringLiteral("Switch Settings\r\n  *W =0\r\n");
    EXPECT_EQ(frame->EuropeanSwitchStatus(), 1);
    frame->switchSettingsText = QStringLiteral("Switch Settings\r\n  *W =3\r\n");
    EXPECT_EQ(frame->EuropeanSwitchStatus(), 0);
    EXPECT_TRUE(calls().isEmpty());

    frame->bQuillonInitialized = true;
    setEuropean(1);
    EXPECT_EQ(frame->EuropeanSwitchStatus(), 1);
    setEuropean(7);
    EXPECT_EQ(frame->EuropeanSwitchStatus(), 7);
    EXPECT_EQ(calls(), QStringList({"_EuropeanSwitchStatus", "_EuropeanSwitchStatus"}));
}

TEST_F(LibraryCalls, PortAndProtocolEventsGoToTheLibraryOfTheCurrentActivity)
{
    struct Route {
        const char *activity;   // currentActivity, and control
        const char *product;
        QStringList avail, status, error, finish;
    };
    const QList<Route> routes = {
        {"FlashFromDisk", "56KModem", {"_ModemUpdaterComPort1TriggerAvail({port},5)"},
         {"_ModemUpdaterProtocol1ProtocolStatus({protocol},2)"}, {"_ModemUpdaterProtocol1ProtocolError({protocol},-3)"},
         {"_ModemUpdaterProtocol1ProtocolFinish({protocol},0)"}},
        {"Appwizard", "56KModem", {"_CorvaneComPort1TriggerAvail({port},5)"}, {}, {}, {}},
        {"Appwizard", "ISDNTA", {"_QuillonComPort1TriggerAvail({port},5)"}, {}, {}, {}},
        {"Appwizard", "IDSL", {}, {}, {}, {}},
        {"Terminal", "ISDNTA", {}, {}, {"_TerminalProtocol1ProtocolError({protocol},-3)"},
         {"_TerminalProtocol1ProtocolFinish({protocol},0)"}},
        {"Decoder", "ISDNTA", {}, {}, {}, {}},
        {"None", "None", {}, {}, {}, {}},
    };
    for (const Route &r : routes) {
        SCOPED_TRACE(std::string(r.activity) + " / " + r.product);
        frame->currentActivity = QLatin1String(r.activity);
        select(r.activity, r.product);
        frame->ApdComPort1TriggerAvail(5);
        EXPECT_EQ(calls(), r.avail);
        frame->ApdProtocol1ProtocolStatus(2);
        EXPECT_EQ(calls(), r.status);
        frame->ApdProtocol1ProtocolError(-3);
        EXPECT_EQ(calls(), r.error);
        frame->ApdProtocol1ProtocolFinish(0);
        EXPECT_EQ(calls(), r.finish);
    }

    // During a flash a data trigger asks the updater for its last command first;
    // a reset announced after its own "at~x!" is the updater's to handle.
    frame->currentActivity = QStringLiteral("FlashFromDisk");
    select("FlashFromDisk", "56KModem");
    frame->ApdComPort1TriggerData(4);
    EXPECT_EQ(calls(), QStringList({"_LastComportCmd", "_ModemUpdaterComPort1TriggerData({port},4)"}));
    EXPECT_TRUE(logHas("at~x! <--lastflashcmd\n"));
    frame->currentActivity = QStringLiteral("Terminal");
    frame->ApdComPort1TriggerData(4);
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(LibraryCalls, LanguageGoesToFiveLibrariesInOrderAndUnloadingToAllSix)
{
    frame->ChangeLanguage(0x407);
    QStringList names;
    for (const QString &call : calls())
        names << call.section(QLatin1Char('('), 0, 0);
    // The IDSL library is not told.
    EXPECT_EQ(names, QStringList({"_SetConfigLanguage", "_SetQuillonLanguage", "_SetPPPLanguage",
                                  "_SetTermLanguage", "_SetFlashLanguage"}));

    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(calls(), QStringList({"_DestroyDll", "_DestroyQuillonDll", "_DestroyDll", "_DestroyDll",
                                    "_DestroyDecoderDll", "_DestroyIDSLFormDll"}));
    EXPECT_EQ(frame->libs.config.module, nullptr);
    EXPECT_EQ(frame->libs.idsl.module, nullptr);
    EXPECT_EQ(frame->control, "None");
}
