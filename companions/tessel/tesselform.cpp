#include "tesselform.h"

#include "deviceanswers.h"
#include "devicelink.h"
#include "formparts.h"
#include "uiservices.h"
#include "windowmessages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using companions::Reply;
using companions::valueLabel;

namespace {

// The leased line rates of the IDSL modem, by switch type.
struct LineType {
    int value;
    const char *label;
};
const LineType kLineTypes[] = {{6, "Leased line, 64 kbit/s"}, {7, "Leased line, 128 kbit/s"},
                               {8, "Leased line, 144 kbit/s"}};

} // namespace

TTesselForm::TTesselForm(QWidget *host) : CompanionForm(host, QStringLiteral("TTesselForm"))
{
    link_ = new companions::DeviceLink(this);
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->addWidget(companions::titleLabel(QStringLiteral("IDSL Modem Configuration"), this));

    auto *columns = new QHBoxLayout;
    Identity = companions::IdentityLabels(this);
    columns->addWidget(Identity.group, 1);

    auto *line = new QGroupBox(QStringLiteral("Line"), this);
    line->setObjectName(QStringLiteral("LineGroup"));
    auto *lineForm = new QFormLayout(line);
    // A long translated label puts its field on the line below.
    lineForm->setRowWrapPolicy(QFormLayout::WrapLongRows);
    LineTypeCombo = new QComboBox(line);
    LineTypeCombo->setObjectName(QStringLiteral("LineTypeCombo"));
    for (const LineType &t : kLineTypes)
        LineTypeCombo->addItem(QString::fromLatin1(t.label), t.value);
    LineStatusValue = valueLabel("LineStatusValue", line);
    PppModeValue = valueLabel("PppModeValue", line);
    SpidValue = valueLabel("SpidValue", line);
    lineForm->addRow(QStringLiteral("Line type:"), LineTypeCombo);
    lineForm->addRow(QStringLiteral("Line status:"), LineStatusValue);
    lineForm->addRow(QStringLiteral("PPP mode:"), PppModeValue);
    lineForm->addRow(QStringLiteral("Telephone number:"), SpidValue);
    columns->addWidget(line, 1);
    v->addLayout(columns, 1);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    keepUntranslated(StatusLabel);
    v->addWidget(StatusLabel);
    auto *row = new QHBoxLayout;
    RefreshBtn = new QPushButton(QStringLiteral("Refresh"), this);
    RefreshBtn->setObjectName(QStringLiteral("RefreshBtn"));
    ApplyBtn = new QPushButton(QStringLiteral("Apply"), this);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
    DoneBtn = new QPushButton(QStringLiteral("Done"), this);
    DoneBtn->setObjectName(QStringLiteral("DoneBtn"));
    row->addWidget(RefreshBtn);
    row->addStretch(1);
    row->addWidget(ApplyBtn);
    row->addWidget(DoneBtn);
    v->addLayout(row);
    connect(RefreshBtn, &QPushButton::clicked, this, &TTesselForm::RefreshBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TTesselForm::ApplyBtnClick);
    connect(DoneBtn, &QPushButton::clicked, this, &TTesselForm::DoneBtnClick);
    connect(LineTypeCombo, &QComboBox::currentIndexChanged, this, &TTesselForm::updateButtons);
    updateButtons();
    finishConstruction();
}

QString TTesselForm::caption() const { return text("IDSL Modem Configuration"); }

void TTesselForm::initialize(TApdComPort *port, QObject *owner, quint32 formFinishedMsg)
{
    link_->setPort(port);
    owner_ = owner;
    formFinishedMsg_ = formFinishedMsg;
}

void TTesselForm::showForm(bool show)
{
    bShown = show;
    if (!show) {
        hide();
        return;
    }
    this->show();
    raise();
    if (!bBusy && !bReadPending) {
        bReadPending = true;
        QTimer::singleShot(0, this, [this] {
            bReadPending = false;
            if (bShown && !bBusy)
                readModem();
        });
    }
}

void TTesselForm::updateButtons()
{
    const bool loaded = loadedLineType_ >= 0;
    RefreshBtn->setEnabled(!bBusy);
    DoneBtn->setEnabled(!bBusy);
    LineTypeCombo->setEnabled(!bBusy && loaded);
    ApplyBtn->setEnabled(!bBusy && loaded && LineTypeCombo->currentData().toInt() != loadedLineType_);
}

void TTesselForm::reportProblem(const Reply &reply) { setStatus(StatusLabel, companions::replyProblem(reply)); }

bool TTesselForm::readModem()
{
    QPointer<TTesselForm> guard(this);
    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Reading the modem's settings...");
    const Reply id = link_->command("ati7\r");
    if (!guard)
        return false;
    Reply line, data;
    if (id.ok()) {
        const companions::DeviceIdentity identity = companions::parseIdentity(id.text);
        Identity.show(identity);
        line = link_->command("ati12\r");
        if (!guard)
            return false;
    }
    if (line.ok()) {
        bool ok = false;
        const int type = companions::reportValue(line.text, QStringLiteral("*W")).toInt(&ok);
        loadedLineType_ = ok ? type : -1;
        const int index = LineTypeCombo->findData(type);
        if (index >= 0)
            LineTypeCombo->setCurrentIndex(index);
        LineStatusValue->setText(companions::fieldValue(line.text, QStringLiteral("Device Status:")));
        SpidValue->setText(companions::reportValue(line.text, QStringLiteral("*P1")));
        data = link_->command("ati16\r");
        if (!guard)
            return false;
    }
    if (data.ok()) {
        PppModeValue->setText(companions::reportValue(data.text, QStringLiteral("*PPP")));
        clearStatus(StatusLabel);
    } else {
        reportProblem(!id.ok() ? id : !line.ok() ? line : data);
    }
    bBusy = false;
    updateButtons();
    return data.ok();
}

void TTesselForm::RefreshBtnClick()
{
    if (!bBusy)
        readModem();
}

void TTesselForm::ApplyBtnClick()
{
    if (bBusy || loadedLineType_ < 0)
        return;
    QPointer<TTesselForm> guard(this);
    const int type = LineTypeCombo->currentData().toInt();
    bBusy = true;
    updateButtons();
    setStatus(StatusLabel, "Saving the settings...");
    Reply set = link_->command("AT*W=" + QByteArray::number(type) + '\r');
    if (!guard)
        return;
    Reply store;
    if (set.ok()) {
        store = link_->command("AT&W\r");
        if (!guard)
            return;
    }
    bBusy = false;
    if (!set.ok() || !store.ok()) {
        reportProblem(set.ok() ? store : set);
        updateButtons();
        return;
    }
    // Read back what the modem now reports.
    if (readModem() && guard)
        setStatus(StatusLabel, "The settings were saved.");
}

void TTesselForm::DoneBtnClick()
{
    if (bBusy)
        return;
    PostMessage(owner_, formFinishedMsg_, 0, 0);
}
