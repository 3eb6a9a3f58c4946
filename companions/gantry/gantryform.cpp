#include "gantryform.h"

#include "devicelink.h"
#include "protocol.h"
#include "serialport.h"
#include "tapidevice.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

TTerminalView::TTerminalView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TTerminalView::keyPressEvent(QKeyEvent *e)
{
    // Copying a selection stays possible; every other key goes to the device.
    if (e->matches(QKeySequence::Copy)) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    const QByteArray bytes = gantry::keyBytes(e->key(), e->text());
    if (bytes.isEmpty()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    emit typed(bytes);
}

TGantryForm::TGantryForm(QWidget *host) : CompanionForm(host, QStringLiteral("TGantryForm"))
{
    link_ = new companions::DeviceLink(this);
    connect(link_, &companions::DeviceLink::received, this, &TGantryForm::dataReceived);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    DeviceLabel = new QLabel(this);
    DeviceLabel->setObjectName(QStringLiteral("DeviceLabel"));
    QFont f = DeviceLabel->font();
    f.setBold(true);
    DeviceLabel->setFont(f);
    keepUntranslated(DeviceLabel);
    v->addWidget(DeviceLabel);
    TerminalView = new TTerminalView(this);
    TerminalView->setObjectName(QStringLiteral("TerminalView"));
    keepUntranslated(TerminalView);
    connect(TerminalView, &TTerminalView::typed, this, &TGantryForm::keysTyped);
    // The screen is named by the line above it ("Terminal: ISDN TA").
    DeviceLabel->setBuddy(TerminalView);
    v->addWidget(TerminalView, 1);

    auto *row = new QHBoxLayout;
    LocalEchoCheck = new QCheckBox(QStringLiteral("Local echo"), this);
    LocalEchoCheck->setObjectName(QStringLiteral("LocalEchoCheck"));
    SendFileBtn = new QPushButton(QStringLiteral("Send File..."), this);
    SendFileBtn->setObjectName(QStringLiteral("SendFileBtn"));
    ReceiveFileBtn = new QPushButton(QStringLiteral("Receive File..."), this);
    ReceiveFileBtn->setObjectName(QStringLiteral("ReceiveFileBtn"));
    ClearBtn = new QPushButton(QStringLiteral("Clear"), this);
    ClearBtn->setObjectName(QStringLiteral("ClearBtn"));
    row->addWidget(LocalEchoCheck);
    row->addStretch(1);
    row->addWidget(SendFileBtn);
    row->addWidget(ReceiveFileBtn);
    row->addWidget(ClearBtn);
    v->addLayout(row);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    keepUntranslated(StatusLabel);
    v->addWidget(StatusLabel);

    connect(SendFileBtn, &QPushButton::clicked, this, &TGantryForm::SendFileBtnClick);
    connect(ReceiveFileBtn, &QPushButton::clicked, this, &TGantryForm::ReceiveFileBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TGantryForm::ClearBtnClick);
    updateButtons();
    finishConstruction();
}

QString TGantryForm::caption() const { return text("Terminal"); }

void TGantryForm::retranslate()
{
    if (kind_ == QLatin1String("quillon"))
        DeviceLabel->setText(text("Terminal: ISDN TA"));
    else if (!kind_.isEmpty())
        DeviceLabel->setText(text("Terminal: 56K Business Modem"));
}

void TGantryForm::initialize(TApdComPort *port, TApdTapiDevice *tapi, TApdProtocol *protocol)
{
    link_->setPort(port);
    tapi_ = tapi;
    protocol_ = protocol;
}

void TGantryForm::showForm(bool show, const QString &kind)
{
    bShown = show;
    if (!show) {
        // Hidden, the terminal leaves the port's data to others.
        link_->setListening(false);
        hide();
        return;
    }
    kind_ = kind;
    retranslate();
    link_->setListening(true);
    if (link_->portOpen())
        link_->port()->setDTR(true);
    this->show();
    raise();
    TerminalView->setFocus();
    updateButtons();
}

void TGantryForm::updateButtons()
{
    SendFileBtn->setEnabled(!bTransfer && protocol_);
    ReceiveFileBtn->setEnabled(!bTransfer && protocol_);
    ClearBtn->setEnabled(true);
}

void TGantryForm::keysTyped(const QByteArray &bytes)
{
    if (bTransfer)
        return;
    if (!link_->send(bytes)) {
        setStatus(StatusLabel, "The port is not open.");
        return;
    }
    clearStatus(StatusLabel);
    if (LocalEchoCheck->isChecked()) {
        screen_.feed(bytes == "\r" ? QByteArray("\r\n") : bytes);
        render();
    }
}

void TGantryForm::dataReceived(const QByteArray &data)
{
    screen_.feed(data);
    render();
}

void TGantryForm::render()
{
    TerminalView->setPlainText(screen_.text());
    TerminalView->verticalScrollBar()->setValue(TerminalView->verticalScrollBar()->maximum());
    QTextCursor cursor = TerminalView->textCursor();
    cursor.movePosition(QTextCursor::End);
    TerminalView->setTextCursor(cursor);
}

void TGantryForm::ClearBtnClick()
{
    screen_.clear();
    render();
}

void TGantryForm::SendFileBtnClick()
{
    if (bTransfer || !protocol_)
        return;
    startTransfer(ui().openFileName(this, text("Send File"), QString(), text("All files (*)")), true);
}

void TGantryForm::ReceiveFileBtnClick()
{
    if (bTransfer || !protocol_)
        return;
    startTransfer(ui().saveFileName(this, text("Receive File"), QString(), text("All files (*)")), false);
}

void TGantryForm::startTransfer(const QString &path, bool sending)
{
    if (path.isEmpty())
        return;
    if (!link_->portOpen()) {
        setStatus(StatusLabel, "The port is not open.");
        return;
    }
    if (!protocol_->comPort())
        protocol_->setComPort(link_->port());
    transferFile_ = QFileInfo(path).fileName();
    transferError_ = 0;
    bTransfer = true;
    updateButtons();
    setStatus(StatusLabel, sending ? "Sending %s by Xmodem..." : "Receiving %s by Xmodem...", {transferFile_});
    protocol_->setFileName(path);
    if (sending)
        protocol_->startTransmit();
    else
        protocol_->startReceive();
}

void TGantryForm::protocolError(int code)
{
    if (bTransfer)
        transferError_ = code;
}

void TGantryForm::protocolFinish(int code)
{
    if (!bTransfer)
        return;
    bTransfer = false;
    updateButtons();
    if (code == ecOK)
        setStatus(StatusLabel, "The transfer of %s is complete.", {transferFile_});
    else
        setStatus(StatusLabel, "The transfer of %s failed (error %s).",
                  {transferFile_, QString::number(code != 0 ? code : transferError_)});
}
