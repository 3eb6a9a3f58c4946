#include "prefconnectionpage.h"

#include "app.h"
#include "patchwellctrl.h"
#include "paths.h"
#include "propsheetmanager.h"
#include "uiservices.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CPrefConnectionPage::CPrefConnectionPage(CPropSheetManager *sheet)
    : sheet_(sheet), group_(new QGroupBox(this)), tcpip_(new QRadioButton(group_)), dialup_(new QRadioButton(group_)),
      phonebookLabel_(new QLabel(group_)), phonebook_(new QLabel(group_)), browse_(new QPushButton(group_)),
      connectionLabel_(new QLabel(group_)), connections_(new QComboBox(group_))
{
    setObjectName(QStringLiteral("CPrefConnectionPage"));
    group_->setObjectName(QStringLiteral("group1060"));
    tcpip_->setObjectName(QStringLiteral("tcpip1012"));
    dialup_->setObjectName(QStringLiteral("dialup1013"));
    phonebookLabel_->setObjectName(QStringLiteral("static1058"));
    phonebook_->setObjectName(QStringLiteral("phonebook1026"));
    browse_->setObjectName(QStringLiteral("browse1027"));
    connectionLabel_->setObjectName(QStringLiteral("static1059"));
    connections_->setObjectName(QStringLiteral("connections1024"));
    browse_->setText(QStringLiteral("&..."));
    tcpip_->setText(sheet->text("ConnectionPage", "TcpIpConnection"));
    dialup_->setText(sheet->text("ConnectionPage", "DunConnection"));
    group_->setTitle(sheet->text("ConnectionPage", "DunGrpBoxStatic"));
    phonebookLabel_->setText(sheet->text("ConnectionPage", "CurrPhoneBookName"));
    connectionLabel_->setText(sheet->text("ConnectionPage", "PrefConnName"));
    phonebook_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connectionLabel_->setBuddy(connections_);
    browse_->setAccessibleName(sheet->text("Accessibility", "ChoosePhoneBook"));
    phonebook_->setWordWrap(true);
    auto *types = new QButtonGroup(this);
    types->addButton(tcpip_, 0);
    types->addButton(dialup_, 1);

    auto *grid = new QGridLayout(group_);
    grid->addWidget(tcpip_, 0, 0, 1, 3);
    grid->addWidget(dialup_, 1, 0, 1, 3);
    grid->addWidget(phonebookLabel_, 2, 0);
    grid->addWidget(phonebook_, 2, 1);
    grid->addWidget(browse_, 2, 2);
    grid->addWidget(connectionLabel_, 3, 0);
    grid->addWidget(connections_, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group_);
    layout->addStretch();

    // Toggled, not clicked: assistive technology toggles without a click.
    connect(tcpip_, &QRadioButton::toggled, this, [this](bool on) { if (on) OnConnectionType(0); });
    connect(dialup_, &QRadioButton::toggled, this, [this](bool on) { if (on) OnConnectionType(1); });
    connect(connections_, &QComboBox::activated, this, &CPrefConnectionPage::OnConnectionChosen);
    connect(browse_, &QPushButton::clicked, this, &CPrefConnectionPage::OnBrowse);

    // Without dial-up networking only TCP/IP can be chosen.
    dialupAvailable_ = sheet->control().GetDialupAvailable();
    if (!dialupAvailable_) {
        connectionType_ = 0;
        if (CProductSettings *r = sheet->currentProduct())
            r->SetConnectionType(0, changeid::ConnectionType);
        dialup_->setEnabled(false);
    }
}

bool CPrefConnectionPage::OnSetActive()
{
    FillConnections();
    return true;
}

void CPrefConnectionPage::FillConnections()
{
    CProductSettings *r = sheet_->currentProduct();
    connections_->clear();
    if (!r)
        return;
    phonebook_->setText(r->phonebook);
    connectionType_ = r->connectionType;
    if (!dialupAvailable_ && connectionType_ != 0) {
        connectionType_ = 0;
        r->SetConnectionType(0, changeid::ConnectionType);
    }
    {
        const QSignalBlocker a(tcpip_), b(dialup_);
        (connectionType_ == 1 ? dialup_ : tcpip_)->setChecked(true);
    }
    CPatchwellCtrl &ctrl = sheet_->control();
    ctrl.LoadPhonebookEntries(r->productIndex);
    const long entries = ctrl.GetPhonebookEntryCount(r->productIndex);
    for (long i = 0; i < entries; ++i)
        connections_->addItem(ctrl.GetPhonebookEntry(r->productIndex, i));
    if (entries > 0) {
        SelectPreferred();
    } else {
        connections_->addItem(r->preferredConnection);
        connections_->setCurrentIndex(0);
    }
    UpdateEnabling();
}

void CPrefConnectionPage::SelectPreferred()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r || connections_->count() == 0)
        return;
    const int exact = connections_->findText(r->preferredConnection, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (exact >= 0 && !r->preferredConnection.isEmpty()) {
        connections_->setCurrentIndex(exact);
        return;
    }
    // The preferred connection is gone from the phonebook: the first entry replaces it.
    connections_->setCurrentIndex(0);
    r->SetPreferredConnection(connections_->itemText(0), changeid::PreferredConnection);
}

void CPrefConnectionPage::UpdateEnabling()
{
    const bool dial = connectionType_ == 1 && dialupAvailable_;
    connections_->setEnabled(dial);
    browse_->setEnabled(dial && sheet_->app().osKind == 1);
}

void CPrefConnectionPage::OnConnectionType(short type)
{
    connectionType_ = type;
    if (CProductSettings *r = sheet_->currentProduct())
        r->SetConnectionType(type, changeid::ConnectionType);
    UpdateEnabling();
    if (connections_->count() > 0)
        SelectPreferred();
}

void CPrefConnectionPage::OnConnectionChosen(int row)
{
    CProductSettings *r = sheet_->currentProduct();
    const QString chosen = connections_->itemText(row);
    if (r && !chosen.isEmpty() && chosen != r->preferredConnection)
        r->SetPreferredConnection(chosen, changeid::PreferredConnection);
}

void CPrefConnectionPage::OnBrowse()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r)
        return;
    const QString current = r->phonebook;
    const qsizetype slash = current.lastIndexOf(QLatin1Char('\\'));
    const QString initial = !current.isEmpty() ? tl::mapPath(current.left(qMax<qsizetype>(slash, 0)))
                                               : tl::mapPath(QStringLiteral("c:\\windows\\system32\\ras"));
    const QString chosen = ui().openFileName(this, QStringLiteral("Select A PhoneBook"), initial,
                                             QStringLiteral("PhoneBook files (*.pbk)"));
    // The sheet may have ended while the dialog was up: its records are done with.
    if (chosen.isEmpty() || sheet_->isEnding() || !sheet_->app().control())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    connections_->clear();
    r = sheet_->currentProduct();
    if (r) {
        r->SetPhonebook(chosen, changeid::Phonebook);
        phonebook_->setText(chosen);
        sheet_->control().SetPhonebook(r->productIndex, chosen);
        FillConnections();
    }
    QApplication::restoreOverrideCursor();
}

bool CPrefConnectionPage::OnKillActive()
{
    // The choices are stored as they are made; nothing is left to take.
    return true;
}
