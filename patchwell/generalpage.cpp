#include "generalpage.h"

#include "app.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
constexpr int kMaxLoginChars = 15;
}

CGeneralPage::CGeneralPage(CPropSheetManager *sheet)
    : sheet_(sheet), confirmAll_(new QCheckBox(this)), userNameCheck_(new QCheckBox(this)),
      userName_(new QLineEdit(this)), passwordLabel_(new QLabel(this)), password_(new QLineEdit(this)),
      siteCheck_(new QCheckBox(this)), site_(new QLineEdit(this)), static1_(new QLabel(this)),
      static2_(new QLabel(this)), caution_(new QLabel(this))
{
    setObjectName(QStringLiteral("CGeneralPage"));
    confirmAll_->setObjectName(QStringLiteral("confirmAllUpdates1018"));
    userNameCheck_->setObjectName(QStringLiteral("userNameCheck1052"));
    userName_->setObjectName(QStringLiteral("userName1019"));
    passwordLabel_->setObjectName(QStringLiteral("static1063"));
    password_->setObjectName(QStringLiteral("password1020"));
    siteCheck_->setObjectName(QStringLiteral("productSiteCheck1047"));
    site_->setObjectName(QStringLiteral("productSite1048"));
    static1_->setObjectName(QStringLiteral("static1046"));
    static2_->setObjectName(QStringLiteral("static1061"));
    caution_->setObjectName(QStringLiteral("caution1064"));
    password_->setEchoMode(QLineEdit::Password);
    for (QLabel *l : {static1_, static2_, caution_})
        l->setWordWrap(true);

    confirmAll_->setText(sheet->text("GeneralPage", "ConfirmAllUpdates"));
    userNameCheck_->setText(sheet->text("GeneralPage", "UserNameStatic"));
    passwordLabel_->setText(sheet->text("GeneralPage", "PasswordStatic"));
    static1_->setText(sheet->text("GeneralPage", "GeneralStatic1"));
    siteCheck_->setText(sheet->text("GeneralPage", "ProductSite"));
    static2_->setText(sheet->text("GeneralPage", "GeneralStatic2"));
    caution_->setText(sheet->text("GeneralPage", "InvalidProdSiteCaution"));

    // The fields beside check boxes are named after them for assistive technology.
    passwordLabel_->setBuddy(password_);
    userName_->setAccessibleName(QString(userNameCheck_->text()).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    site_->setAccessibleName(QString(siteCheck_->text()).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    auto *login = new QGridLayout;
    login->addWidget(userNameCheck_, 0, 0);
    login->addWidget(userName_, 0, 1);
    login->addWidget(passwordLabel_, 1, 0);
    login->addWidget(password_, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(confirmAll_);
    layout->addWidget(static1_);
    layout->addLayout(login);
    layout->addSpacing(8);
    layout->addWidget(static2_);
    layout->addWidget(siteCheck_);
    layout->addWidget(site_);
    layout->addWidget(caution_);
    layout->addStretch();

    // Toggled, not clicked: assistive technology toggles without a click.
    connect(confirmAll_, &QCheckBox::toggled, this, &CGeneralPage::OnConfirmAll);
    connect(siteCheck_, &QCheckBox::toggled, this, &CGeneralPage::OnProductSiteCheck);
    connect(userNameCheck_, &QCheckBox::toggled, this, &CGeneralPage::OnUserNameCheck);
}

bool CGeneralPage::OnSetActive()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r)
        return true;
    const QSignalBlocker a(confirmAll_), b(siteCheck_), c(userNameCheck_);
    confirmAll_->setChecked(r->confirmAllUpdates);
    site_->setText(r->productSite);
    siteCheck_->setChecked(r->productSiteEnabled);
    userNameCheck_->setChecked(r->userNameEnabled);
    userName_->setText(r->userNameEnabled ? r->userName : QString());
    password_->setText(r->userNameEnabled ? r->password : QString());
    site_->setEnabled(r->productSiteEnabled);
    userName_->setEnabled(r->userNameEnabled);
    password_->setEnabled(r->userNameEnabled);
    return true;
}

void CGeneralPage::OnConfirmAll(bool checked)
{
    if (CProductSettings *r = sheet_->currentProduct())
        r->SetConfirmAllUpdates(checked, changeid::ConfirmAllUpdates);
}

void CGeneralPage::OnProductSiteCheck(bool checked)
{
    site_->setEnabled(checked);
}

void CGeneralPage::OnUserNameCheck(bool checked)
{
    userName_->setEnabled(checked);
    password_->setEnabled(checked);
    CProductSettings *r = sheet_->currentProduct();
    if (!checked || !r)
        return;
    // The engine keeps the login even while it is switched off: show it.
    CPatchwellCtrl &ctrl = sheet_->control();
    const bool remembered = ctrl.GetUserNameEnabled(r->productIndex);
    ctrl.SetUserNameEnabled(r->productIndex, true);
    userName_->setText(ctrl.GetUserName(r->productIndex));
    password_->setText(ctrl.GetPassword(r->productIndex));
    ctrl.SetUserNameEnabled(r->productIndex, remembered);
}

bool CGeneralPage::refuse(const char *keyPrefix, QLineEdit *field)
{
    QString text;
    for (int i = 1; i <= 3; ++i)
        text += sheet_->text("GeneralPage", (QByteArray(keyPrefix) + QByteArray::number(i)).constData())
                + QLatin1Char('\n');
    ui().messageBox(this, text, QStringLiteral("Patchwell"), MB_OK, MB_ICONWARNING);
    if (field->isUndoAvailable())
        field->undo();
    field->setFocus();
    return false;
}

bool CGeneralPage::OnKillActive()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r)
        return true;
    const bool login = userNameCheck_->isChecked();
    // A longer login stored earlier is shown whole and must be shortened here:
    // cutting it silently would write a different one back. Only a login in
    // use is checked (and written): the fields are greyed otherwise.
    for (QLineEdit *field : {userName_, password_}) {
        if (login && field->text().size() > kMaxLoginChars) {
            ui().messageBox(this, QStringLiteral("Please enter no more than %1 characters.").arg(kMaxLoginChars),
                            QStringLiteral("Patchwell"), MB_OK, MB_ICONWARNING);
            field->setFocus();
            field->selectAll();
            return false;
        }
    }
    // A site of blanks is no site: the registered one would be used in silence.
    if (siteCheck_->isChecked() && site_->text().trimmed().isEmpty())
        return refuse("ProductSiteErrorMsg", site_);
    r->SetProductSite(site_->text(), changeid::ProductSite);
    r->SetProductSiteEnabled(siteCheck_->isChecked(), changeid::ProductSiteEnabled);
    if (login && userName_->text().isEmpty())
        return refuse("UserNameErrorMsg", userName_);
    // Switched off, the fields are empty or hold what the user can no longer
    // edit: the stored login stays as it is until the user changes it.
    if (login) {
        r->SetPassword(password_->text(), changeid::Password);
        r->SetUserName(userName_->text(), changeid::UserName);
    }
    r->SetUserNameEnabled(login, changeid::UserNameEnabled);
    return true;
}
