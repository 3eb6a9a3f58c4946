// The Mantlet form: construction of its three pages and the page moves.
#include "mantletform.h"

#include "clock.h"
#include "devicelink.h"
#include "formparts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

using companions::titleLabel;

namespace {

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

TMantletForm::TMantletForm(QWidget *host) : CompanionForm(host, QStringLiteral("TMantletForm"))
{
    link_ = new companions::DeviceLink(this);
    resetTimer_ = new ScaledTimer(this, tl::ticksToUnscaledMs(kResetWaitTicks));
    resetTimer_->setSingleShot(true);
    connect(resetTimer_, &ScaledTimer::timeout, this, &TMantletForm::resetWaitExpired);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    PageControl = new QStackedWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(PageControl, 1);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    keepUntranslated(StatusLabel);
    layout->addWidget(StatusLabel);

    buildWelcomePage();
    buildSettingsPage();
    buildCountryPage();
    PageControl->setCurrentWidget(SettingsPage);
    updateButtons();
    finishConstruction();
}

void TMantletForm::buildWelcomePage()
{
    WelcomePage = new QWidget(PageControl);
    WelcomePage->setObjectName(QStringLiteral("WelcomePage"));
    auto *v = new QVBoxLayout(WelcomePage);
    v->addWidget(titleLabel(QStringLiteral("Welcome to your Varnel Tallyline 56K Business Modem"), WelcomePage));
    auto *intro = new QLabel(QStringLiteral("Your modem is installed and ready. The next page shows what the "
                                            "modem reports about itself and lets you adjust its settings."),
                             WelcomePage);
    intro->setWordWrap(true);
    v->addWidget(intro);
    WelcomeCountryLabel = new QLabel(QStringLiteral("Your modem can be used in several countries. Please make sure "
                                                    "it is set to the country you use it in: choose Change Country "
                                                    "on the next page."),
                                     WelcomePage);
    WelcomeCountryLabel->setObjectName(QStringLiteral("WelcomeCountryLabel"));
    WelcomeCountryLabel->setWordWrap(true);
    v->addWidget(WelcomeCountryLabel);
    v->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    ContinueBtn = button("ContinueBtn", QStringLiteral("Continue"), WelcomePage);
    row->addWidget(ContinueBtn);
    v->addLayout(row);
    connect(ContinueBtn, &QPushButton::clicked, this, &TMantletForm::ContinueBtnClick);
    PageControl->addWidget(WelcomePage);
}

void TMantletForm::buildSettingsPage()
{
    SettingsPage = new QWidget(PageControl);
    SettingsPage->setObjectName(QStringLiteral("SettingsPage"));
    auto *v = new QVBoxLayout(SettingsPage);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(titleLabel(QStringLiteral("Business Modem Configuration"), SettingsPage));

    auto *columns = new QHBoxLayout;
    Identity = companions::IdentityLabels(SettingsPage);
    columns->addWidget(Identity.group, 1);

    auto *settings = new QGroupBox(QStringLiteral("Settings"), SettingsPage);
    settings->setObjectName(QStringLiteral("SettingsGroup"));
    auto *setForm = new QFormLayout(settings);
    // A long translated label puts its field on the line below.
    setForm->setRowWrapPolicy(QFormLayout::WrapLongRows);
    for (const mantlet::RegisterSetting &s : mantlet::registerSettings()) {
        auto *spin = new QSpinBox(settings);
        spin->setObjectName(QStringLiteral("Register%1Edit").arg(QLatin1String(s.key)));
        spin->setRange(s.minimum, s.maximum);
        RegisterEdits.insert(QLatin1String(s.key), spin);
        setForm->addRow(QString::fromUtf8(s.label), spin);
    }
    FlowControlCombo = new QComboBox(settings);
    FlowControlCombo->setObjectName(QStringLiteral("FlowControlCombo"));
    for (const mantlet::FlowControl &f : mantlet::flowControls())
        FlowControlCombo->addItem(QString::fromUtf8(f.label), f.value);
    setForm->addRow(QStringLiteral("Flow control:"), FlowControlCombo);
    columns->addWidget(settings, 1);
    v->addLayout(columns, 1);

    auto *row = new QHBoxLayout;
    CountryBtn = button("CountryBtn", QStringLiteral("Change Country..."), SettingsPage);
    ApplyBtn = button("ApplyBtn", QStringLiteral("Apply"), SettingsPage);
    DoneBtn = button("DoneBtn", QStringLiteral("Done"), SettingsPage);
    row->addWidget(CountryBtn);
    row->addStretch(1);
    row->addWidget(ApplyBtn);
    row->addWidget(DoneBtn);
    v->addLayout(row);
    connect(CountryBtn, &QPushButton::clicked, this, &TMantletForm::CountryBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TMantletForm::ApplyBtnClick);
    connect(DoneBtn, &QPushButton::clicked, this, &TMantletForm::DoneBtnClick);
    PageControl->addWidget(SettingsPage);
}

void TMantletForm::buildCountryPage()
{
    CountryPage = new QWidget(PageControl);
    CountryPage->setObjectName(QStringLiteral("CountryPage"));
    auto *v = new QVBoxLayout(CountryPage);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(titleLabel(QStringLiteral("Country"), CountryPage));
    auto *note = new QLabel(QStringLiteral("Choose the country you use the modem in. The modem restarts to take "
                                           "the new country."),
                            CountryPage);
    note->setWordWrap(true);
    v->addWidget(note);
    CountryList = new QListWidget(CountryPage);
    CountryList->setObjectName(QStringLiteral("CountryList"));
    keepUntranslated(CountryList);
    v->addWidget(CountryList, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    ChangeCountryBtn = button("ChangeCountryBtn", QStringLiteral("Change Country"), CountryPage);
    CancelCountryBtn = button("CancelCountryBtn", QStringLiteral("Cancel"), CountryPage);
    row->addWidget(ChangeCountryBtn);
    row->addWidget(CancelCountryBtn);
    v->addLayout(row);
    connect(ChangeCountryBtn, &QPushButton::clicked, this, &TMantletForm::ChangeCountryBtnClick);
    connect(CancelCountryBtn, &QPushButton::clicked, this, &TMantletForm::CancelCountryBtnClick);
    PageControl->addWidget(CountryPage);
}

QString TMantletForm::caption() const { return text("Business Modem Configuration"); }

void TMantletForm::retranslate()
{
    // A list takes no name from a label: it is named by its page's title.
    CountryList->setAccessibleName(text("Country"));
}

int TMantletForm::helpId() const
{
    if (!bShown)
        return 0;
    if (PageControl->currentWidget() == WelcomePage)
        return kWelcomeHelpId;
    if (PageControl->currentWidget() == CountryPage)
        return kCountryHelpId;
    return kSettingsHelpId;
}

void TMantletForm::updateButtons()
{
    const bool idle = !bBusy && !bWaitingForReset;
    ContinueBtn->setEnabled(!bWaitingForReset);
    CountryBtn->setEnabled(idle && bCountryChangeable && !loaded_.isEmpty());
    ApplyBtn->setEnabled(idle && !loaded_.isEmpty());
    DoneBtn->setEnabled(idle);
    for (QSpinBox *spin : std::as_const(RegisterEdits))
        spin->setEnabled(idle && !loaded_.isEmpty());
    FlowControlCombo->setEnabled(idle && !loaded_.isEmpty());
    ChangeCountryBtn->setEnabled(idle && CountryList->currentItem() != nullptr);
    CancelCountryBtn->setEnabled(idle);
}

void TMantletForm::ContinueBtnClick()
{
    PageControl->setCurrentWidget(SettingsPage);
}

void TMantletForm::CancelCountryBtnClick()
{
    PageControl->setCurrentWidget(SettingsPage);
    clearStatus(StatusLabel);
}
