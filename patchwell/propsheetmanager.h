#pragma once
// The configuration sheet: the detected products' update settings on four
// tabs (Common, Scheduling, Connection, General). OK writes the edited records
// back to the engine, Cancel puts the loaded names back; Enter and Escape never
// close it.

#include "configsheet.h"
#include "langtext.h"
#include "productlist.h"

#include <QDialog>
#include <QPointer>

class CPatchwellApp;
class CPatchwellCtrl;
class CMainFrame;
class CPropertyPage;
class CTabCtrlWithDisable;
class CCommonPage;
class CSchedulingPage;
class QEventLoop;
class QPushButton;
class QStackedWidget;
class QTimer;

class CPropSheetManager : public QDialog, public ConfigurationSheet {
    Q_OBJECT
public:
    enum { CommonTab = 0, SchedulingTab = 1, ConnectionTab = 2, GeneralTab = 3, TabCount = 4 };

    CPropSheetManager(CPatchwellApp *app, CMainFrame *frame);
    ~CPropSheetManager() override;

    // ConfigurationSheet
    QDialog *dialog() override { return this; }
    void RunModal() override;
    void EndSheet() override;
    void SelectRequestedProductAndTab(int position, int tab) override;
    void StopSchedulingAnimation() override;
    void RefreshEventLogButtons() override;
    void ReloadRunDates() override;

    CPatchwellApp &app() const { return *app_; }
    CPatchwellCtrl &control() const;
    CProductList &productList() { return products_; }
    CProductSettings *currentProduct() { return products_.current(); }
    void SelectProduct(int position) { products_.SetCurrent(position); }
    QString text(const char *section, const char *key) const;

    CTabCtrlWithDisable *tabControl() const { return tabs_; }
    // Activates a page (the shown one is asked first); false when refused.
    bool SetActivePage(int index);
    int activePageIndex() const { return active_; }
    CPropertyPage *page(int index) const;
    // The character after the first "&" of a tab's caption; 255 without one,
    // -1 for no such tab.
    int TabMnemonic(int index) const;
    // Alt + a character: the first tab whose caption has it as mnemonic
    // (either case) is activated, enabled or not; false when none has it.
    bool ActivateByMnemonic(QChar c);
    // Posts Alt + the mnemonic of a tab, handled once the sheet's loop runs.
    void PostTabMnemonic(int index);

    // Called by the Common page after each load of the product list.
    void OnProductsLoaded();
    // True once the sheet has ended (OK, Cancel, Exit): pages check it after a wait.
    bool isEnding() const { return ending_; }

    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CPropertyPage *createPage(int index);
    void OnOK();
    bool handleSheetKey(QKeyEvent *key);

    CPatchwellApp *app_;
    CMainFrame *frame_;
    CProductList products_;
    CTabCtrlWithDisable *tabs_;
    QStackedWidget *stack_;
    QPointer<CPropertyPage> pages_[TabCount];
    QPushButton *ok_;
    QPushButton *cancel_;
    QTimer *idle_;
    QEventLoop *loop_ = nullptr;
    int active_ = -1;
    bool ending_ = false;
    bool changingPage_ = false;
};
