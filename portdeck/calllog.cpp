// The ISDN TA's call log page: the device's lists of incoming ("ati18") and
// outgoing ("ati17") calls, read once per run, shown as the device prints
// them under a row of column labels, and saved to a file on request.

#include "calllogaccessible.h"
#include "containerframe.h"
#include "datapacket.h"
#include "paths.h"
#include "serialport.h"
#include "uiservices.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStackedWidget>

namespace {

QLabel *columnLabel(const char *name, QWidget *parent, int x, int width)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, 34, width, 16);
    return label;
}

} // namespace

void TcontainerFrame::buildCallLogPage()
{
    installCallLogAccessibility();
    RadioIncoming = new QRadioButton(QStringLiteral("Incoming "), Sheet_CallLog);
    RadioIncoming->setObjectName(QStringLiteral("RadioIncoming"));
    RadioIncoming->setGeometry(8, 6, 100, 20);
    RadioIncoming->setChecked(true);
    RadioIncoming->setAutoExclusive(false);
    RadioOutgoing = new QRadioButton(QStringLiteral("Outgoing"), Sheet_CallLog);
    RadioOutgoing->setObjectName(QStringLiteral("RadioOutgoing"));
    RadioOutgoing->setGeometry(112, 6, 100, 20);
    RadioOutgoing->setAutoExclusive(false);
    ExportBtn = new QPushButton(QStringLiteral("Export..."), Sheet_CallLog);
    ExportBtn->setObjectName(QStringLiteral("ExportBtn"));
    ExportBtn->setGeometry(400, 4, 86, 24);

    lblNumber = columnLabel("lblNumber", Sheet_CallLog, 8, 110);
    lblPort = columnLabel("lblPort", Sheet_CallLog, 144, 50);
    lblDate = columnLabel("lblDate", Sheet_CallLog, 194, 70);
    lblTime = columnLabel("lblTime", Sheet_CallLog, 266, 70);
    lblProtocol = columnLabel("lblProtocol", Sheet_CallLog, 338, 80);
    lblCharge = columnLabel("lblCharge", Sheet_CallLog, 410, 80);
    lblCharge->setText(QStringLiteral("Charge Units"));

    CallLogMemo = new QPlainTextEdit(Sheet_CallLog);
    CallLogMemo->setObjectName(QStringLiteral("CallLogMemo"));
    CallLogMemo->setGeometry(4, 52, 486, 180);
    CallLogMemo->setReadOnly(true);
    CallLogMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    CallLogMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = CallLogMemo->palette();
    pal.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    CallLogMemo->setPalette(pal);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(12);
    CallLogMemo->setFont(fixed);
    setCallLogLabels(true);

    connect(PageControl_Info, &QStackedWidget::currentChanged, this, &TcontainerFrame::PageControl_InfoChange);
    connect(RadioIncoming, &QRadioButton::clicked, this, &TcontainerFrame::RadioIncomingClick);
    connect(RadioOutgoing, &QRadioButton::clicked, this, &TcontainerFrame::RadioOutgoingClick);
    // The keyboard's arrow keys and assistive technology's toggle turn a radio
    // on without a click; and since the two are not grouped, a toggle that
    // turns the checked one off is taken back, as a click on it is.
    auto followToggle = [this](QRadioButton *self, QRadioButton *other, void (TcontainerFrame::*choose)()) {
        connect(self, &QRadioButton::toggled, this, [this, other, choose](bool on) {
            if (on || !other->isChecked())
                (this->*choose)();
        });
    };
    followToggle(RadioIncoming, RadioOutgoing, &TcontainerFrame::RadioIncomingClick);
    followToggle(RadioOutgoing, RadioIncoming, &TcontainerFrame::RadioOutgoingClick);
    connect(ExportBtn, &QPushButton::clicked, this, &TcontainerFrame::ExportBtnClick);
    connect(CallLog, &TApdDataPacket::stringPacket, this, &TcontainerFrame::CallLogStringPacket);
}

void TcontainerFrame::setCallLogLabels(bool incoming)
{
    lblNumber->setText(tr_(incoming ? "Calling Number" : "Called Number"));
    lblPort->setText(tr_("Port"));
    lblDate->setText(tr_("Date"));
    lblTime->setText(tr_("Time"));
    lblProtocol->setText(tr_("Protocol"));
    nameCallLog();
}

void TcontainerFrame::nameCallLog()
{
    // The memo is named by the list it shows; its columns are the header row.
    const bool incoming = !RadioOutgoing->isChecked();
    QString list = (incoming ? RadioIncoming : RadioOutgoing)->text();
    list.remove(QLatin1Char('&'));
    CallLogMemo->setAccessibleName(tr_("Call Log") + QStringLiteral(": ") + list.simplified());
    QStringList columns;
    for (const QLabel *column : {lblNumber, lblPort, lblDate, lblTime, lblProtocol, lblCharge})
        columns << column->text();
    CallLogMemo->setAccessibleDescription(columns.join(QStringLiteral(", ")));
}

void TcontainerFrame::showCallLog(const QString &text)
{
    CallLogMemo->clear();
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    CallLogMemo->appendPlainText(lines);
    QTextCursor start = CallLogMemo->textCursor();
    start.movePosition(QTextCursor::Start);
    CallLogMemo->setTextCursor(start);
}

void TcontainerFrame::PageControl_InfoChange()
{
    if (PageControl_Info->currentWidget() != Sheet_CallLog || bIncomingLogReceived)
        return;
    setCallLogLabels(true);
    CallLogMemo->clear();
    CallLog->setStartString(QStringLiteral("Type\r\n"));
    CallLog->setEnabled(true);
    sendRaw(QStringLiteral("ati18\r"));
}

void TcontainerFrame::CallLogStringPacket(const QString &text)
{
    if (!bIncomingLogReceived) {
        incomingLog = text;
        bIncomingLogReceived = true;
        sendRaw(QStringLiteral("ati17\r"));
        CallLog->setEnabled(true);
        CallLog->setStartString(QStringLiteral("Charge-Info\r\n"));
        if (RadioIncoming->isChecked()) {
            setCallLogLabels(true);
            showCallLog(incomingLog);
        }
        return;
    }
    outgoingLog = text;
    CallLog->setEnabled(false);
    if (RadioOutgoing->isChecked()) {
        setCallLogLabels(false);
        showCallLog(outgoingLog);
    } else {
        showCallLog(incomingLog);
    }
}

void TcontainerFrame::RadioIncomingClick()
{
    {
        const QSignalBlocker blockThis(RadioIncoming), blockOther(RadioOutgoing);
        RadioIncoming->setChecked(true);
        RadioOutgoing->setChecked(false);
    }
    setCallLogLabels(true);
    showCallLog(incomingLog);
}

void TcontainerFrame::RadioOutgoingClick()
{
    {
        const QSignalBlocker blockThis(RadioOutgoing), blockOther(RadioIncoming);
        RadioOutgoing->setChecked(true);
        RadioIncoming->setChecked(false);
    }
    setCallLogLabels(false);
    showCallLog(outgoingLog);
}

void TcontainerFrame::ExportBtnClick()
{
    QString path = ui().saveFileName(this, QString(), QString(), tr_("Log Files(*.log)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".log");
    // Written whole or not at all: an old file of that name stays as it was.
    QSaveFile file(tl::mapPath(path));
    const QByteArray lines = CallLogMemo->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toLocal8Bit()
                             + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size() || !file.commit())
        messageBox(tr_("Cannot create file %s.").replace(QLatin1String("%s"), QDir::toNativeSeparators(path)));
}
