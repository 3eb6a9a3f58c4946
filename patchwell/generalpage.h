#pragma once
// The General tab: confirm every update, the update site's login, and a
// product site of the user's own in place of the registered one.

#include "propertypage.h"

class CPropSheetManager;
class QCheckBox;
class QLabel;
class QLineEdit;

class CGeneralPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CGeneralPage(CPropSheetManager *sheet);

    bool OnSetActive() override;
    bool OnKillActive() override;

private:
    void OnConfirmAll(bool checked);
    void OnProductSiteCheck(bool checked);
    void OnUserNameCheck(bool checked);
    bool refuse(const char *keyPrefix, QLineEdit *field);

    CPropSheetManager *sheet_;
    QCheckBox *confirmAll_;
    QCheckBox *userNameCheck_;
    QLineEdit *userName_;
    QLabel *passwordLabel_;
    QLineEdit *password_;
    QCheckBox *siteCheck_;
    QLineEdit *site_;
    QLabel *static1_;
    QLabel *static2_;
    QLabel *caution_;
};
