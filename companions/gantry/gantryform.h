#pragma once
// The terminal: the device's output shown as it prints it, keys typed into the
// screen sent to the device, an optional local echo, and files sent or
// received by Xmodem through the host's file-transfer component.

#include "companionform.h"
#include "terminalscreen.h"

#include <QPlainTextEdit>

class QCheckBox;
class QLabel;
class QPushButton;
class TApdComPort;
class TApdProtocol;
class TApdTapiDevice;

namespace companions { class DeviceLink; }

// The screen: read-only text that hands typed keys on instead of editing.
class TTerminalView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TTerminalView(QWidget *parent);
signals:
    void typed(const QByteArray &bytes);
protected:
    void keyPressEvent(QKeyEvent *e) override;
};

class TGantryForm : public companions::CompanionForm {
    Q_OBJECT
public:
    explicit TGantryForm(QWidget *host);

    void initialize(TApdComPort *port, TApdTapiDevice *tapi, TApdProtocol *protocol);
    void showForm(bool show, const QString &kind);
    void protocolError(int code);
    void protocolFinish(int code);
    bool transferRunning() const { return bTransfer; }

    QLabel *DeviceLabel;
    TTerminalView *TerminalView;
    QCheckBox *LocalEchoCheck;
    QPushButton *SendFileBtn;
    QPushButton *ReceiveFileBtn;
    QPushButton *ClearBtn;
    QLabel *StatusLabel;

protected:
    QString caption() const override;
    void retranslate() override;

private:
    void SendFileBtnClick();
    void ReceiveFileBtnClick();
    void startTransfer(const QString &path, bool sending);
    void ClearBtnClick();
    void keysTyped(const QByteArray &bytes);
    void dataReceived(const QByteArray &data);
    void render();
    void updateButtons();

    companions::DeviceLink *link_;
    QPointer<TApdProtocol> protocol_;
    QPointer<TApdTapiDevice> tapi_;
    gantry::TerminalScreen screen_;
    QString kind_;
    QString transferFile_;
    int transferError_ = 0;
    bool bTransfer = false;
    bool bShown = false;
};
