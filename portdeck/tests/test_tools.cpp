// The tool screens with the real product libraries against tallysim: each
// tool shown and left by Back and by the form-finished message, a missing and
// an incomplete library, the language and help hand-over, Exit, and two
// libraries asking the one port at once.

#include "portdeckdictionary.h"
#include "tooltestfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

const char *const kMissingGantry =
    "The following file is missing or corrupted: gantry.dll.\n\nPlease re-install the software for your product.";

void registerSerial(const char *product, const char *serial)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(product),
                     "Serial Number1", serial);
}

} // namespace

class ToolScreens : public ToolForm {
protected:
    // Lets a library's own command chain run out before the next click.
    void settle(int com)
    {
        QString before;
        for (int i = 0; i < 100 && before != transcript(com); ++i) {
            before = transcript(com);
            QTest::qWait(150);
        }
    }
    void showAndLeave(PanelButton *button, const char *name, int com)
    {
        SCOPED_TRACE(name);
        ASSERT_TRUE(waitFor([&] { return button->isEnabled(); }));
        click(button);
        EXPECT_EQ(frame->control, name);
        EXPECT_NE(shownForm(), nullptr);
        EXPECT_FALSE(button->isEnabled());
        settle(com);
        click(frame->backbtn);
        EXPECT_EQ(frame->control, "None");
        EXPECT_EQ(shownForm(), nullptr);
        ASSERT_TRUE(waitFor([&] { return button->isEnabled(); }));

        // Shown again (the library reuses its form), then left by the library's message.
        click(button);
        QWidget *form = shownForm();
        EXPECT_NE(form, nullptr);
        settle(com);
        finishForm(1);   // not finished: nothing changes
        EXPECT_EQ(frame->control, name);
        EXPECT_EQ(shownForm(), form);
        finishForm(0);
        ASSERT_TRUE(waitFor([&] { return frame->control == "None" && shownForm() == nullptr; }));
        EXPECT_TRUE(waitFor([&] { return button->isEnabled(); }));
    }
};

TEST_F(ToolScreens, EveryIsdnTaToolIsShownAndLeft)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("ISDNTA");
    EXPECT_TRUE(ui.shown.isEmpty());
    const int countryQueries = transcript(1).count(QLatin1String("> AT~C?"));
    showAndLeave(frame->appwizBtn, "Appwizard", 1);
    EXPECT_TRUE(frame->bQuillonInitialized);
    EXPECT_TRUE(frame->bQuillonShown);
    EXPECT_TRUE(logHas("InitializeQuillon\n"));
    EXPECT_TRUE(logHas("done with setquillonlang\n"));
    EXPECT_TRUE(logHas("ShowQuillonForm(bShow, APPLICATION, US/Canada External\n"));
    showAndLeave(frame->terminalbtn, "Terminal", 1);
    showAndLeave(frame->flashdiskbtn, "FlashFromDisk", 1);
    showAndLeave(frame->SpidBtn, "SpidWizard", 1);
    showAndLeave(frame->protomonitorbtn, "Decoder", 1);
    // In direct mode the detection's answer is passed on: no country query of the tools.
    EXPECT_EQ(transcript(1).count(QLatin1String("> AT~C?")), countryQueries);
    EXPECT_TRUE(logHas("Inside ShowDLL: control=Decoder\n"));
    EXPECT_TRUE(ui.messages().isEmpty()) << qPrintable(ui.messages().join("|"));
}

TEST_F(ToolScreens, BusinessModemToolsLanguageAndExit)
{
    registerSerial("Business Modem", "TL0001");
    if (!sim("56k", 2, {"--serial", "TL0001"}))
        GTEST_SKIP() << "tallysim is not built";
    PortdeckDictionary dictionary;
    frame = std::make_unique<TcontainerFrame>(QStringList{"/l"}, &dictionary);
    frame->terminateApplication = [this] {
        terminated = true;
        frame->appTerminated = true;
    };
    frame->milestone = [this](const QString &what) { milestones << what; };
    frame->show();
    openProduct("56KModem");
    EXPECT_FALSE(frame->SpidBtn->isVisible());
    EXPECT_FALSE(frame->protomonitorbtn->isVisible());
    showAndLeave(frame->terminalbtn, "Terminal", 2);

    click(frame->appwizBtn);
    QWidget *mantlet = shownForm();
    ASSERT_NE(mantlet, nullptr);
    EXPECT_TRUE(logHas("call ShowConfigForm() with m_bCorvaneFirstTimeInstall=0\n"));
    auto *done = inForm<QPushButton>(mantlet, "DoneBtn");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), "Done");
    frame->ChangeLanguage(0x407);
    EXPECT_EQ(done->text(), QString::fromUtf8("Fertig"));
    frame->ChangeLanguage(0x409);
    EXPECT_EQ(done->text(), "Done");

    // The library's own way out posts the form-finished message.
    ASSERT_TRUE(waitFor([&] { return done->isEnabled(); }));
    settle(2);
    done->click();
    ASSERT_TRUE(waitFor([&] { return frame->control == "None"; }));
    EXPECT_EQ(shownForm(), nullptr);
    EXPECT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));

    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(frame->libs.config.module, nullptr);
    EXPECT_EQ(frame->libs.quillon.module, nullptr);
    EXPECT_EQ(frame->libs.terminal.module, nullptr);
    EXPECT_EQ(frame->libs.updater.module, nullptr);
    EXPECT_EQ(frame->libs.decoder.module, nullptr);
    EXPECT_EQ(frame->libs.idsl.module, nullptr);
    EXPECT_EQ(frame->control, "None");
    EXPECT_EQ(frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), ownChildren.size());
    frame.reset();
}

TEST_F(ToolScreens, IdslConfigurationAndDecoder)
{
    if (!sim("idsl", 3))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("IDSL");
    EXPECT_FALSE(frame->SpidBtn->isVisible());
    showAndLeave(frame->appwizBtn, "Appwizard", 3);
    EXPECT_TRUE(logHas("about to process and show IDSL screen bShow=1\n"));
    EXPECT_TRUE(logHas("after SetIDSLFormLanguage\n"));
    EXPECT_FALSE(frame->currentDevice.bCountryChangeable);
    showAndLeave(frame->protomonitorbtn, "Decoder", 3);
}

TEST_F(ToolScreens, AMissingLibraryIsReportedOnceAndItsToolStaysOff)
{
    registerSerial("ISDN TA", "QB0002");
    if (!sim("isdnta", 1, {"--serial", "QB0002"}))
        GTEST_SKIP() << "tallysim is not built";
    setProductLibraryDirectory(libraryDirectory({"libgantry.so"}));
    start();
    EXPECT_EQ(ui.messages(), QStringList{kMissingGantry});
    EXPECT_EQ(frame->libs.terminal.module, nullptr);
    EXPECT_NE(frame->libs.quillon.module, nullptr);
    EXPECT_NE(frame->libs.idsl.module, nullptr);
    openProduct("ISDNTA");
    EXPECT_TRUE(frame->terminalbtn->isVisible());
    EXPECT_FALSE(frame->terminalbtn->isEnabled());
    EXPECT_TRUE(frame->appwizBtn->isEnabled());
    EXPECT_EQ(ui.messages().size(), 1);
}

TEST_F(ToolScreens, ALibraryWithoutOneExportCountsAsAbsent)
{
    registerSerial("ISDN TA", "QB0003");
    if (!sim("isdnta", 1, {"--serial", "QB0003"}))
        GTEST_SKIP() << "tallysim is not built";
    const QString incomplete = tl::programDirectory() + QStringLiteral("/portdeck-incomplete/libwicket.so");
    // Our own hold on the library keeps its call counter readable after Portdeck lets go.
    HMODULE own = LoadLibrary(incomplete);
    ASSERT_NE(own, nullptr) << qPrintable(lastModuleError());
    auto calls = reinterpret_cast<int (*)()>(GetProcAddress(own, "portdeckTestlibCalls"));
    ASSERT_NE(calls, nullptr);
    setProductLibraryDirectory(libraryDirectory({}, {{"libwicket.so", incomplete}}));
    start();
    EXPECT_EQ(ui.messages(), QStringList{"The following file is missing or corrupted: Wicket.dll.\n\nPlease "
                                         "re-install the software for your product."});
    EXPECT_TRUE(logHas("missing export _SetPPPLanguage\n"));
    EXPECT_EQ(frame->libs.decoder.module, nullptr);
    EXPECT_EQ(frame->libs.decoder.InitializeDecoder, nullptr);
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->protomonitorbtn->isEnabled(); }));
    click(frame->protomonitorbtn);
    EXPECT_EQ(frame->control, "Decoder");
    EXPECT_EQ(shownForm(), nullptr);
    click(frame->backbtn);
    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(calls(), 0);
    FreeLibrary(own);
}

TEST_F(ToolScreens, TheHelpOverrideIsResetBeforeATool)
{
    registerSerial("ISDN TA", "QB0004");
    if (!sim("isdnta", 1, {"--serial", "QB0004"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("ISDNTA");
    click(frame->appwizBtn);
    ASSERT_TRUE(frame->bQuillonInitialized);
    settle(1);
    HMODULE quillon = LoadLibrary(QStringLiteral("quillon.dll"));
    ASSERT_NE(quillon, nullptr);
    auto setOverride = reinterpret_cast<SetHelpIdOverrideFn>(GetProcAddress(quillon, "_SetQuillonHelpIdOverride"));
    auto getOverride = reinterpret_cast<IntFn>(GetProcAddress(quillon, "_GetQuillonHelpIdOverride"));
    ASSERT_TRUE(setOverride && getOverride);
    setOverride(77);
    frame->helpBtnClick();
    ASSERT_FALSE(ui.shown.isEmpty());
    EXPECT_EQ(ui.shown.last().number, 77);
    click(frame->backbtn);
    ASSERT_TRUE(waitFor([&] { return frame->terminalbtn->isEnabled(); }));
    click(frame->terminalbtn);
    EXPECT_EQ(getOverride(), 0);
    frame->helpBtnClick();
    EXPECT_EQ(ui.shown.last().number, 130);
    FreeLibrary(quillon);
}

TEST_F(ToolScreens, FlashOpenedWhileTheConfigurationStillReadsGetsItsOwnAnswers)
{
    // Two libraries on the one port, the first one's wait still on the stack
    // when the second one asks. A real line speed, so that answers arrive in pieces.
    registerSerial("Business Modem", "TL0009");
    if (!sim("56k", 2, {"--serial", "TL0009", "--fault", "baud=57600"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    ASSERT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));
    settle(2);

    // The user clicks Flash From Disk as the configuration's first answer begins to arrive.
    bool clicked = false;
    QObject::connect(frame->ApdComPort1, &TApdComPort::triggerAvail, frame.get(), [&] {
        QWidget *mantlet = formNamed("TMantletForm");
        if (clicked || !mantlet || !mantlet->isVisible() || !frame->flashdiskbtn->isEnabled())
            return;
        clicked = true;
        QTimer::singleShot(0, frame.get(), [&] { click(frame->flashdiskbtn); });
    });
    click(frame->appwizBtn);
    ASSERT_TRUE(waitFor([&] { return clicked && frame->control == "FlashFromDisk"; }));
    QWidget *sprocket = shownForm();
    ASSERT_NE(sprocket, nullptr);
    EXPECT_TRUE(sprocket->inherits("TSprocketForm"));
    auto *date = inForm<QLabel>(sprocket, "FirmwareDateValue");
    ASSERT_TRUE(waitFor([&] { return !date->text().isEmpty(); }));
    EXPECT_EQ(date->text(), "03/10/99");
    // The configuration got its own answers too, and asked on once the updater had its.
    QWidget *mantlet = formNamed("TMantletForm");
    EXPECT_TRUE(waitFor([&] { return inForm<QLabel>(mantlet, "SerialNumberValue")->text() == "TL0009"; }))
        << qPrintable(transcript(2)) << qPrintable(inForm<QLabel>(mantlet, "StatusLabel")->text());
    EXPECT_TRUE(waitFor([&] { return inForm<QLabel>(mantlet, "StatusLabel")->text().isEmpty(); }));
    EXPECT_TRUE(transcript(2).contains("> ati4\\r"));
}
