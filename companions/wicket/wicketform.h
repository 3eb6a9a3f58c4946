#pragma once
// The protocol decoder screen: an event capture of the ISDN TA decoded by the
// linescope program into a report, shown here and saved on request.

#include "companionform.h"

#include <QByteArray>

class QLabel;
class QPlainTextEdit;
class QPushButton;
#include "serialport.h"

class TWicketForm : public companions::CompanionForm {
    Q_OBJECT
public:
    // How long a decoder run may take (unscaled ms).
    static constexpr int kDecodeTimeoutMs = 120000;

    explicit TWicketForm(QWidget *host);

    void initialize(TApdComPort *port) { port_ = port; }
    void showForm(bool show, const QString &modemSelected);
    bool isDecoding() const { return bDecoding; }

    // The decoder program: beside the running program, else on the PATH.
    static QString decoderProgram();
    // The report as shown: the decoder's carriage-return line ends made plain.
    static QString displayText(const QByteArray &report);

    QLabel *CaptureValue;
    QPushButton *OpenCaptureBtn;
    QPushButton *SaveReportBtn;
    QPlainTextEdit *ReportView;
    QLabel *StatusLabel;

protected:
    QString caption() const override;

private:
    void OpenCaptureBtnClick();
    void SaveReportBtnClick();
    void decode(const QString &capture);
    void updateButtons();

    QPointer<TApdComPort> port_;   // lent by the host; the decoder works on files only
    QByteArray report_;
    QString captureFile_;
    bool bDecoding = false;
};
