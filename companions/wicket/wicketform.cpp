#include "wicketform.h"

#include "clock.h"
#include "paths.h"
#include "serialport.h"
#include "uiservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>

TWicketForm::TWicketForm(QWidget *host) : CompanionForm(host, QStringLiteral("TWicketForm"))
{
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    auto *title = new QLabel(QStringLiteral("Protocol Decode"), this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title->setFont(f);
    v->addWidget(title);

    auto *row = new QHBoxLayout;
    auto *captureCaption = new QLabel(QStringLiteral("Capture:"), this);
    row->addWidget(captureCaption);
    CaptureValue = new QLabel(this);
    CaptureValue->setObjectName(QStringLiteral("CaptureValue"));
    captureCaption->setBuddy(CaptureValue);   // named "Capture: <file>"
    keepUntranslated(CaptureValue);
    row->addWidget(CaptureValue, 1);
    OpenCaptureBtn = new QPushButton(QStringLiteral("Open Capture..."), this);
    OpenCaptureBtn->setObjectName(QStringLiteral("OpenCaptureBtn"));
    row->addWidget(OpenCaptureBtn);
    v->addLayout(row);

    ReportView = new QPlainTextEdit(this);
    ReportView->setObjectName(QStringLiteral("ReportView"));
    ReportView->setReadOnly(true);
    ReportView->setLineWrapMode(QPlainTextEdit::NoWrap);
    ReportView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    keepUntranslated(ReportView);
    v->addWidget(ReportView, 1);
    title->setBuddy(ReportView);   // the report, named by the screen's title

    auto *bottom = new QHBoxLayout;
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    keepUntranslated(StatusLabel);
    bottom->addWidget(StatusLabel, 1);
    SaveReportBtn = new QPushButton(QStringLiteral("Save Report..."), this);
    SaveReportBtn->setObjectName(QStringLiteral("SaveReportBtn"));
    bottom->addWidget(SaveReportBtn);
    v->addLayout(bottom);

    connect(OpenCaptureBtn, &QPushButton::clicked, this, &TWicketForm::OpenCaptureBtnClick);
    connect(SaveReportBtn, &QPushButton::clicked, this, &TWicketForm::SaveReportBtnClick);
    updateButtons();
    finishConstruction();
}

QString TWicketForm::caption() const { return text("Protocol Decode"); }

void TWicketForm::showForm(bool show, const QString &modemSelected)
{
    if (!show) {
        hide();
        return;
    }
    // Event captures are taken inside the ISDN TA.
    if (report_.isEmpty() && !bDecoding) {
        if (modemSelected == QLatin1String("ISDNTA"))
            setStatus(StatusLabel, "Open an event capture of the ISDN TA to see its decoded report.");
        else
            setStatus(StatusLabel, "Event captures are taken by the ISDN TA; you can still open one saved earlier.");
    }
    this->show();
    raise();
}

void TWicketForm::updateButtons()
{
    OpenCaptureBtn->setEnabled(!bDecoding);
    SaveReportBtn->setEnabled(!bDecoding && !report_.isEmpty());
}

QString TWicketForm::decoderProgram()
{
    const QString beside = tl::programDirectory() + QStringLiteral("/linescope");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("linescope"));
}

QString TWicketForm::displayText(const QByteArray &report)
{
    QString text = QString::fromLatin1(report);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void TWicketForm::OpenCaptureBtnClick()
{
    if (bDecoding)
        return;
    const QString start = captureFile_.isEmpty() ? QString() : QFileInfo(captureFile_).absolutePath();
    const QString path = ui().openFileName(this, text("Open Event Capture"), start,
                                           text("Event captures (*.dat *.bin);;All files (*)"));
    if (path.isEmpty())
        return;
    decode(path);
}

void TWicketForm::decode(const QString &capture)
{
    const QString program = decoderProgram();
    if (program.isEmpty()) {
        message(text("The protocol decoder (linescope) was not found. Please re-install the software for your "
                     "product."),
                MB_OK, MB_ICONERROR);
        return;
    }
    // The decoder keeps a work file in its current directory: give it one of its own.
    QTemporaryDir work;
    if (!work.isValid()) {
        message(text("No temporary folder is available for the decoder."), MB_OK, MB_ICONERROR);
        return;
    }
    QPointer<TWicketForm> guard(this);
    bDecoding = true;
    updateButtons();
    setStatus(StatusLabel, "Decoding %s...", {QFileInfo(capture).fileName()});

    QProcess process;
    process.setWorkingDirectory(work.path());
    process.setProgram(program);
    const QString output = work.filePath(QStringLiteral("report.txt"));
    process.setArguments({QFileInfo(capture).absoluteFilePath(), output});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    const bool ended = tl::waitUntil([&] { return process.state() == QProcess::NotRunning; }, kDecodeTimeoutMs,
                                     true);
    if (!ended) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (!guard)
        return;
    bDecoding = false;
    const QString said = QString::fromLocal8Bit(process.readAll()).trimmed();
    QFile file(output);
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !file.open(QIODevice::ReadOnly)) {
        // The decoder explains itself on its first line ("Error: Could not open input file ...").
        QString reason = !ended ? text("The decoder did not finish.") : said.section(QLatin1Char('\n'), 0, 0);
        if (reason.isEmpty())
            reason = process.error() == QProcess::FailedToStart ? text("The decoder could not be started.")
                                                                 : text("The decoder wrote no report.");
        setStatus(StatusLabel, "The capture could not be decoded.");
        updateButtons();
        message(text("The capture could not be decoded: %s", {reason}), MB_OK, MB_ICONWARNING);
        return;
    }
    report_ = file.readAll();
    captureFile_ = capture;
    CaptureValue->setText(QDir::toNativeSeparators(capture));
    ReportView->setPlainText(displayText(report_));
    setStatus(StatusLabel, "Decoded %s.", {QFileInfo(capture).fileName()});
    updateButtons();
}

void TWicketForm::SaveReportBtnClick()
{
    if (report_.isEmpty() || bDecoding)
        return;
    const QString suggested = captureFile_.isEmpty()
                                  ? QString()
                                  : QFileInfo(captureFile_).absolutePath() + QLatin1Char('/') +
                                        QFileInfo(captureFile_).completeBaseName() + QStringLiteral(".txt");
    const QString path = ui().saveFileName(this, text("Save Report"), suggested,
                                           text("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    // Saved as the decoder wrote it; a failed write leaves any old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(report_) != report_.size() || !file.commit()) {
        message(text("The report could not be saved to %s.", {QDir::toNativeSeparators(path)}), MB_OK,
                MB_ICONWARNING);
        return;
    }
    setStatus(StatusLabel, "The report was saved to %s.", {QDir::toNativeSeparators(path)});
}
