// The ISDN TA's call log page against tallysim: both lists read once, shown
// as the device prints them under their column labels, and exported.

#include "identity.h"
#include "tooltestfixture.h"

#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>

class CallLogPage : public ToolForm {
protected:
    void openCallLog()
    {
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA", "Serial Number1",
                         "QB0100");
        if (!sim("isdnta", 1, {"--serial", "QB0100"}))
            GTEST_SKIP() << "tallysim is not built";
        start();
        openProduct("ISDNTA");
        if (HasFatalFailure())
            return;
        frame->Info_TabSet->setCurrentIndex(1);
        EXPECT_EQ(frame->PageControl_Info->currentWidget(), frame->Sheet_CallLog);
    }
    QString memo() const { return frame->CallLogMemo->toPlainText(); }
};

TEST_F(CallLogPage, BothListsAreReadOnceAndShownUnderTheirLabels)
{
    openCallLog();
    // Outgoing chosen before its answer came: empty now, shown once it arrives.
    frame->RadioOutgoing->click();
    EXPECT_EQ(frame->lblNumber->text(), "Called Number");
    EXPECT_EQ(memo(), "");
    ASSERT_TRUE(waitFor([&] { return memo().contains("18005550199"); }));
    EXPECT_TRUE(memo().startsWith("5559000             DATA   04/06/99  10:00:02  PPP            12\n"))
        << qPrintable(memo());
    EXPECT_FALSE(memo().contains("Charge-Info"));
    EXPECT_FALSE(memo().contains("OK"));
    EXPECT_FALSE(frame->RadioIncoming->isChecked());

    frame->RadioIncoming->click();
    EXPECT_EQ(frame->lblNumber->text(), "Calling Number");
    EXPECT_EQ(frame->lblCharge->text(), "Charge Units");
    EXPECT_TRUE(memo().startsWith("5551000             ADP1   04/06/99  08:12:40  Speech\n")) << qPrintable(memo());
    EXPECT_FALSE(frame->RadioOutgoing->isChecked());
    EXPECT_EQ(frame->CallLogMemo->textCursor().position(), 0);

    // A later visit shows what was read without asking again.
    frame->Info_TabSet->setCurrentIndex(0);
    frame->Info_TabSet->setCurrentIndex(1);
    QTest::qWait(100);
    EXPECT_EQ(transcript(1).count("> ati18\\r"), 1);
    EXPECT_EQ(transcript(1).count("> ati17\\r"), 1);
}

TEST_F(CallLogPage, TheShownListIsExportedLineByLine)
{
    openCallLog();
    ASSERT_TRUE(waitFor([&] { return !frame->outgoingLog.isEmpty(); }));
    const QString target = root.file("calls");   // no extension: ".log" is added
    ui.fileAnswers << target;
    frame->ExportBtn->click();
    QFile saved(target + ".log");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_TRUE(text.startsWith("5551000             ADP1   04/06/99  08:12:40  Speech\r\n")) << text.constData();
    EXPECT_EQ(text.count("\r\n"), memo().count('\n') + 1);

    ui.fileAnswers << root.file("no/such/folder/calls.log");
    frame->ExportBtn->click();
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.messages().last().startsWith("Cannot create file ")) << qPrintable(ui.messages().last());
}

// What a listener gets, without a mouse: the values named by their captions,
// the tabs changed by the arrow keys, the lists chosen by assistive
// technology's toggle, and the memo named by the list it shows.
TEST_F(CallLogPage, ValuesListsAndTabsWithoutAMouse)
{
    openCallLog();
    ASSERT_TRUE(waitFor([&] { return !frame->outgoingLog.isEmpty(); }));
    auto name = [](QObject *o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); };
    EXPECT_EQ(name(frame->infoValues[identity::RowSerial]), "Serial Number: QB0100");
    EXPECT_EQ(name(frame->infoCaptions[identity::RowSerial]), "Serial Number:");
    frame->infoValues[identity::RowSerial]->clear();
    EXPECT_EQ(name(frame->infoValues[identity::RowSerial]), "Serial Number");
    EXPECT_EQ(name(frame->CallLogMemo), "Call Log: Incoming");
    EXPECT_EQ(frame->CallLogMemo->accessibleDescription(), "Calling Number, Port, Date, Time, Protocol, Charge Units");

    // The memo is a table under the column labels, and the text as printed.
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(frame->CallLogMemo);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface *cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    auto cell = [&](int row, int column) { return cells->cellAt(row, column)->text(QAccessible::Name); };
    EXPECT_EQ(cells->columnCount(), 6);
    EXPECT_EQ(cells->rowCount(), 4);
    EXPECT_EQ(cells->columnDescription(0), "Calling Number");
    EXPECT_EQ(cell(1, 0), "5552000");
    EXPECT_EQ(cell(2, 4), "3.1 KHz Audio");
    EXPECT_EQ(cell(2, 5), "");
    EXPECT_EQ(cells->cellAt(0, 1)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
              "Port");
    EXPECT_EQ(table->textInterface()->text(0, table->textInterface()->characterCount()), memo());

    QAccessibleInterface *outgoing = QAccessible::queryAccessibleInterface(frame->RadioOutgoing);
    EXPECT_EQ(outgoing->role(), QAccessible::RadioButton);
    EXPECT_EQ(outgoing->text(QAccessible::Name), "Outgoing");
    ASSERT_TRUE(outgoing->actionInterface());
    outgoing->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(frame->RadioOutgoing->isChecked());
    EXPECT_FALSE(frame->RadioIncoming->isChecked());
    EXPECT_TRUE(outgoing->state().checked);
    EXPECT_EQ(frame->lblNumber->text(), "Called Number");
    EXPECT_TRUE(memo().startsWith("5559000 ")) << qPrintable(memo());
    EXPECT_EQ(name(frame->CallLogMemo), "Call Log: Outgoing");
    EXPECT_EQ(cells->rowCount(), 3);
    EXPECT_EQ(cells->columnDescription(0), "Called Number");
    EXPECT_EQ(cell(1, 0), "18005550199");
    EXPECT_EQ(cell(0, 5), "12");
    // Toggling the chosen list off keeps it, as a click on it does.
    outgoing->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(frame->RadioOutgoing->isChecked());
    EXPECT_TRUE(memo().startsWith("5559000 "));
    frame->RadioIncoming->click();
    EXPECT_TRUE(memo().startsWith("5551000 "));
    EXPECT_FALSE(frame->RadioOutgoing->isChecked());

    frame->Info_TabSet->setFocus();
    QTest::keyClick(frame->Info_TabSet, Qt::Key_Left);
    EXPECT_EQ(frame->PageControl_Info->currentWidget(), frame->Sheet_Info);
    QTest::keyClick(frame->Info_TabSet, Qt::Key_Right);
    EXPECT_EQ(frame->PageControl_Info->currentWidget(), frame->Sheet_CallLog);
}
