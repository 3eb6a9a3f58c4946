// The binding every library offers its host: loaded by its platform name,
// every export of its row present, one form made on the first initialisation
// and reused, hidden by show 0, gone after destroy; calls without a form are
// harmless; the language hand-over translates the form.
#include "formhelpers.h"
#include "hostharness.h"

#include <QPushButton>

namespace {

struct Row {
    const char *library;
    const char *form;
    QList<const char *> exports;
};

const QList<Row> &rows()
{
    static const QList<Row> table = {
        {"Mantlet.dll", "TMantletForm",
         {"_InitializeConfigForm", "_SetFormTopLeftPoint", "_ShowConfigForm", "_DestroyDll", "_GetConfigHelpID",
          "_SetConfigLanguage", "_CorvaneComPort1TriggerAvail", "_USBResetReceived", "_SetComPtrsConfigForm",
          "_SetWaitForComPortRefresh", "_SetUSBFlag"}},
        {"Gantry.dll", "TGantryForm",
         {"_InitializeTerminal", "_SetTerminalTopLeftPoint", "_ShowTerminal", "_DestroyDll", "_SetTermLanguage",
          "_TerminalProtocol1ProtocolError", "_TerminalProtocol1ProtocolFinish"}},
        {"Sprocket.dll", "TSprocketForm",
         {"_InitializeModemUpdater", "_SetModemUpdaterTopLeftPoint", "_ShowModemUpdater", "_DestroyDll",
          "_USBResetReceived", "_UpdateIsInProgress", "_SetFlashLanguage", "_ModemUpdaterProtocol1ProtocolStatus",
          "_ModemUpdaterProtocol1ProtocolError", "_ModemUpdaterProtocol1ProtocolFinish",
          "_ModemUpdaterComPort1TriggerAvail", "_ModemUpdaterComPort1TriggerData", "_LastComportCmd"}},
        {"Wicket.dll", "TWicketForm",
         {"_InitializeDecoder", "_SetDecoderTopLeftPoint", "_ShowDecoderForm", "_DestroyDecoderDll",
          "_SetPPPLanguage"}},
        {"Tessel.dll", "TTesselForm",
         {"_InitializeIDSLForm", "_SetIDSLFormTopLeftPoint", "_ShowIDSLForm", "_DestroyIDSLFormDll",
          "_SetIDSLFormLanguage"}},
    };
    return table;
}

// Initialises, positions, sets the language and shows, as the host's ShowDLL(1) does.
void showThrough(const Library &lib, const char *name, HostWindow &window, TApdComPort *port, TApdProtocol *protocol)
{
    const QByteArray n(name);
    if (n == "Mantlet.dll") {
        lib.fn<InitializeConfigFormFn>("_InitializeConfigForm")(window.sheet, port, "dev", &window, 33168, 33169);
        lib.fn<SetTopLeftPointFn>("_SetFormTopLeftPoint")(0, 0);
        lib.fn<ShowConfigFormFn>("_ShowConfigForm")(1, 0, 0, "US/Canada External");
    } else if (n == "Gantry.dll") {
        lib.fn<InitializeTerminalFn>("_InitializeTerminal")(window.sheet, port, nullptr, protocol);
        lib.fn<SetTopLeftPointFn>("_SetTerminalTopLeftPoint")(0, 0);
        lib.fn<ShowTerminalFn>("_ShowTerminal")(1, "corvane");
    } else if (n == "Sprocket.dll") {
        lib.fn<InitializeModemUpdaterFn>("_InitializeModemUpdater")(window.sheet, port, protocol, "dev");
        lib.fn<SetTopLeftPointFn>("_SetModemUpdaterTopLeftPoint")(0, 0);
        lib.fn<ShowFlagFn>("_ShowModemUpdater")(1);
    } else if (n == "Wicket.dll") {
        lib.fn<InitializeDecoderFn>("_InitializeDecoder")(window.sheet, port);
        lib.fn<SetTopLeftPointFn>("_SetDecoderTopLeftPoint")(0, 0);
        lib.fn<ShowDecoderFormFn>("_ShowDecoderForm")(1, "ISDNTA");
    } else {
        lib.fn<InitializeIDSLFormFn>("_InitializeIDSLForm")(window.sheet, port, &window, 33168);
        lib.fn<SetTopLeftPointFn>("_SetIDSLFormTopLeftPoint")(0, 0);
        lib.fn<ShowFlagFn>("_ShowIDSLForm")(1);
    }
}

const char *destroyName(const Row &row) { return row.exports[3]; }
const char *showName(const Row &row) { return row.exports[2]; }

TEST(Lifecycle, EveryLibraryLoadsWithItsExportsAndKeepsOneForm)
{
    for (const Row &row : rows()) {
        SCOPED_TRACE(row.library);
        Library lib(row.library);
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        for (const char *e : row.exports)
            EXPECT_NE(lib.symbol(e), nullptr) << e;

        // Before any initialisation every call is harmless.
        lib.fn<VoidFn>(destroyName(row))();

        HostWindow window;
        window.show();
        TApdComPort port;     // never opened: the forms must cope
        TApdProtocol protocol;
        showThrough(lib, row.library, window, &port, &protocol);
        showThrough(lib, row.library, window, &port, &protocol);
        const QList<QWidget *> forms = window.sheet->findChildren<QWidget *>(QLatin1String(row.form),
                                                                             Qt::FindDirectChildrenOnly);
        ASSERT_EQ(forms.size(), 1);
        QWidget *form = forms.first();
        EXPECT_EQ(form->size(), QSize(515, 344));
        EXPECT_EQ(form->pos(), QPoint(0, 0));
        EXPECT_TRUE(form->isVisible());
        QTest::qWait(20);

        // Hidden by show 0, and shown again in the same place.
        if (QByteArray(row.library) == "Mantlet.dll")
            lib.fn<ShowConfigFormFn>(showName(row))(0, 0, 0, "");
        else if (QByteArray(row.library) == "Gantry.dll")
            lib.fn<ShowTerminalFn>(showName(row))(0, "corvane");
        else if (QByteArray(row.library) == "Wicket.dll")
            lib.fn<ShowDecoderFormFn>(showName(row))(0, "ISDNTA");
        else
            lib.fn<ShowFlagFn>(showName(row))(0);
        EXPECT_FALSE(form->isVisible());

        QPointer<QWidget> watch(form);
        lib.fn<VoidFn>(destroyName(row))();
        EXPECT_TRUE(watch.isNull());
        lib.fn<VoidFn>(destroyName(row))();
        EXPECT_TRUE(lib.free());
    }
}

TEST(Lifecycle, LanguageHandOverTranslatesTheForms)
{
    struct Case {
        const char *library;
        const char *form;
        const char *language;
        const char *button;
        const char *english;
        const char *german;
    };
    const Case cases[] = {
        {"Mantlet.dll", "TMantletForm", "_SetConfigLanguage", "DoneBtn", "Done", "Fertig"},
        {"Gantry.dll", "TGantryForm", "_SetTermLanguage", "ClearBtn", "Clear", "Löschen"},
        {"Sprocket.dll", "TSprocketForm", "_SetFlashLanguage", "UpdateBtn", "Update", "Aktualisieren"},
        {"Wicket.dll", "TWicketForm", "_SetPPPLanguage", "SaveReportBtn", "Save Report...", "Bericht speichern..."},
        {"Tessel.dll", "TTesselForm", "_SetIDSLFormLanguage", "RefreshBtn", "Refresh", "Neu einlesen"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.library);
        Library lib(c.library);
        ASSERT_TRUE(lib.loaded());
        HostWindow window;
        TApdComPort port;
        TApdProtocol protocol;
        showThrough(lib, c.library, window, &port, &protocol);
        QWidget *form = formIn(window.sheet, c.form);
        ASSERT_NE(form, nullptr);
        auto setLanguage = lib.fn<SetLanguageFn>(c.language);
        setLanguage(0x407, 0x407);
        EXPECT_EQ(child<QPushButton>(form, c.button)->text(), QString::fromUtf8(c.german));
        setLanguage(0x809, 0x809);
        EXPECT_EQ(child<QPushButton>(form, c.button)->text(), QString::fromUtf8(c.english));
        lib.fn<VoidFn>(c.library == QByteArray("Wicket.dll")   ? "_DestroyDecoderDll"
                       : c.library == QByteArray("Tessel.dll") ? "_DestroyIDSLFormDll"
                                                               : "_DestroyDll")();
    }
}

TEST(Lifecycle, StatusTextsFollowTheLanguage)
{
    Library lib("Mantlet.dll");
    HostWindow window;
    TApdComPort port;   // closed: the form says so
    showThrough(lib, "Mantlet.dll", window, &port, nullptr);
    QWidget *form = formIn(window.sheet, "TMantletForm");
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The modem's port is not open."); }));
    lib.fn<SetLanguageFn>("_SetConfigLanguage")(0x407, 0x407);
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("Der Anschluss des Modems ist nicht geöffnet."));
    lib.fn<VoidFn>("_DestroyDll")();
}

} // namespace
