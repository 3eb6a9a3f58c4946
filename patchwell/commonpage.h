#pragma once
// The Common tab: the detected products (choosing one makes it the record the
// other tabs edit), Detect, the start-up and log-all-events options, and the
// event log's buttons.

#include "propertypage.h"

class CPropSheetManager;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

class CCommonPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CCommonPage(CPropSheetManager *sheet);

    // At every opening: texts, then the product list.
    void Initialise();
    void FillProductList();
    void RefreshEventLogButtons();
    void SelectRequestedProductAndTab(int position, int tab);
    bool OnSetActive() override;

    QListWidget *productList() const { return list_; }

private:
    void OnSelChange();
    void OnDetect();
    void OnRunFromStartUp(bool checked);
    void OnLogAllEvents(bool checked);
    void OnViewEventLog();
    void OnViewRecentUpdates();
    void OnClearEventLog();
    void setTexts();
    int findWholeLine(const QString &text) const;
    int findPrefix(const QString &text) const;

    CPropSheetManager *sheet_;
    QListWidget *list_;
    QPushButton *detect_;
    QCheckBox *runFromStartUp_;
    QCheckBox *logAll_;
    QPushButton *viewLog_;
    QPushButton *clearLog_;
    QPushButton *viewRecent_;
    QLabel *static1_;
    QLabel *static2_;
    QGroupBox *logGroup_;
};
