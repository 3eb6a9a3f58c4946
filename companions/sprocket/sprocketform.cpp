// The firmware updater's screen: construction, file choice, device identity.
#include "sprocketform.h"

#include "clock.h"
#include "deviceanswers.h"
#include "devicelink.h"
#include "protocol.h"
#include "uiservices.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using companions::Reply;

TSprocketForm::TSprocketForm(QWidget *host) : CompanionForm(host, QStringLiteral("TSprocketForm"))
{
    link_ = new companions::DeviceLink(this);
    connect(link_, &companions::DeviceLink::received, this, &TSprocketForm::dataReceived);
    stageTimer_ = new ScaledTimer(this);
    stageTimer_->setSingleShot(true);
    connect(stageTimer_, &ScaledTimer::timeout, this, &TSprocketForm::stageTimeout);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    auto *title = new QLabel(QStringLiteral("Flash From Disk"), this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title->setFont(f);
    v->addWidget(title);

    auto *device = new QGroupBox(QStringLiteral("Device"), this);
    device->setObjectName(QStringLiteral("DeviceGroup"));
    auto *deviceForm = new QFormLayout(device);
    ProductValue = new QLabel(device);
    ProductValue->setObjectName(QStringLiteral("ProductValue"));
    FirmwareDateValue = new QLabel(device);
    FirmwareDateValue->setObjectName(QStringLiteral("FirmwareDateValue"));
    keepUntranslated(ProductValue);
    keepUntranslated(FirmwareDateValue);
    deviceForm->addRow(QStringLiteral("Product:"), ProductValue);
    deviceForm->addRow(QStringLiteral("Firmware date:"), FirmwareDateValue);
    v->addWidget(device);

    auto *file = new QGroupBox(QStringLiteral("Firmware File"), this);
    file->setObjectName(QStringLiteral("FileGroup"));
    auto *fileLayout = new QVBoxLayout(file);
    auto *row = new QHBoxLayout;
    FileNameEdit = new QLineEdit(file);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setReadOnly(true);
    keepUntranslated(FileNameEdit);
    BrowseBtn = new QPushButton(QStringLiteral("Browse..."), file);
    BrowseBtn->setObjectName(QStringLiteral("BrowseBtn"));
    row->addWidget(FileNameEdit, 1);
    row->addWidget(BrowseBtn);
    fileLayout->addLayout(row);
    ImageValue = new QLabel(file);
    ImageValue->setObjectName(QStringLiteral("ImageValue"));
    ImageValue->setWordWrap(true);
    fileLayout->addWidget(ImageValue);
    v->addWidget(file);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    v->addWidget(ProgressBar);
    title->setBuddy(ProgressBar);   // the download's progress, named by the screen's title
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    keepUntranslated(StatusLabel);
    v->addWidget(StatusLabel);
    v->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    UpdateBtn = new QPushButton(QStringLiteral("Update"), this);
    UpdateBtn->setObjectName(QStringLiteral("UpdateBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(UpdateBtn);
    buttons->addWidget(CancelBtn);
    v->addLayout(buttons);

    connect(BrowseBtn, &QPushButton::clicked, this, &TSprocketForm::BrowseBtnClick);
    connect(UpdateBtn, &QPushButton::clicked, this, &TSprocketForm::UpdateBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TSprocketForm::CancelBtnClick);
    updateButtons();
    finishConstruction();
}

QString TSprocketForm::caption() const { return text("Flash From Disk"); }

void TSprocketForm::initialize(TApdComPort *port, TApdProtocol *protocol, const QString &deviceName)
{
    link_->setPort(port);
    protocol_ = protocol;
    selectedDeviceName = deviceName;
}

void TSprocketForm::showForm(bool show)
{
    bShown = show;
    if (!show) {
        hide();   // a question still open goes with the screen (CompanionForm)
        return;
    }
    this->show();
    raise();
    updateButtons();
    // Read the identity once the host's call has returned.
    if (stage_ == Stage::Idle && !bIdentifyPending) {
        bIdentifyPending = true;
        QTimer::singleShot(0, this, [this] {
            bIdentifyPending = false;
            if (bShown && stage_ == Stage::Idle)
                identify();
        });
    }
}

bool TSprocketForm::updateInProgress() const
{
    return stage_ != Stage::Idle && stage_ != Stage::Identifying;
}

QByteArray TSprocketForm::lastCommand() const
{
    QByteArray command = link_->lastCommand();
    while (command.endsWith('\r') || command.endsWith('\n'))
        command.chop(1);
    return command;
}

void TSprocketForm::updateButtons()
{
    const bool idle = stage_ == Stage::Idle;
    BrowseBtn->setEnabled(idle);
    UpdateBtn->setEnabled(idle && image_.ok() && !deviceCode_.isEmpty() && image_.productCode == deviceCode_);
    CancelBtn->setVisible(stage_ == Stage::Sending);
}

void TSprocketForm::identify()
{
    QPointer<TSprocketForm> guard(this);
    setStage(Stage::Identifying);
    setStatus(StatusLabel, "Reading the device's identity...");
    const Reply reply = link_->command("ati7\r");
    if (!guard)
        return;
    setStage(Stage::Idle);
    const companions::DeviceIdentity id = companions::parseIdentity(reply.text);
    if (!reply.ok() || !id.valid()) {
        deviceCode_.clear();
        if (reply.result == Reply::PortClosed)
            setStatus(StatusLabel, "The device's port is not open.");
        else
            setStatus(StatusLabel, "The device does not answer.");
        updateButtons();
        return;
    }
    deviceCode_ = id.productCode;
    deviceName_ = id.name;
    ProductValue->setText(QStringLiteral("%1 (%2)").arg(id.name, id.productCode));
    FirmwareDateValue->setText(id.firmwareDate);
    clearStatus(StatusLabel);
    showImage();
}

void TSprocketForm::BrowseBtnClick()
{
    if (stage_ != Stage::Idle)
        return;
    const QString start = image_.path.isEmpty() ? QString() : QFileInfo(image_.path).absolutePath();
    QPointer<TSprocketForm> guard(this);
    const QString path = ui().openFileName(this, text("Select Firmware File"), start,
                                           text("Firmware files (*.bin *.fw *.img);;All files (*)"));
    // A file chosen after the screen was left is for no one: nothing is shown or said.
    if (!guard || !bShown || path.isEmpty())
        return;
    image_ = sprocket::inspectImage(path);
    FileNameEdit->setText(QDir::toNativeSeparators(path));
    showImage();
    if (image_.ok() && !deviceCode_.isEmpty() && image_.productCode != deviceCode_)
        message(text("This firmware file is for product %s, but the selected device is product %s. Please choose "
                     "the file for your device.",
                     {image_.productCode, deviceCode_}),
                MB_OK, MB_ICONWARNING);
}

void TSprocketForm::showImage()
{
    if (image_.path.isEmpty()) {
        clearStatus(ImageValue);
    } else {
        switch (image_.problem) {
        case sprocket::FirmwareImage::None:
            if (!deviceCode_.isEmpty() && image_.productCode != deviceCode_)
                setStatus(ImageValue, "Firmware for product %s, dated %s: not for this device.",
                          {image_.productCode, image_.date});
            else
                setStatus(ImageValue, "Firmware for product %s, dated %s (%s bytes).",
                          {image_.productCode, image_.date, QString::number(image_.size)});
            break;
        case sprocket::FirmwareImage::Unreadable:
            setStatus(ImageValue, "The file cannot be read.");
            break;
        case sprocket::FirmwareImage::Empty:
            setStatus(ImageValue, "The file is empty.");
            break;
        case sprocket::FirmwareImage::TooLarge:
            setStatus(ImageValue, "The file is too large to be firmware for this device.");
            break;
        case sprocket::FirmwareImage::NoHeader:
        case sprocket::FirmwareImage::BadDate:
            setStatus(ImageValue, "The file is not a firmware image for a Varnel device.");
            break;
        }
    }
    updateButtons();
}
