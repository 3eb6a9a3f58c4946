#include "commonpage.h"

#include "app.h"
#include "eventlogview.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Restores the cursor however the work ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

CCommonPage::CCommonPage(CPropSheetManager *sheet)
    : sheet_(sheet), list_(new QListWidget(this)), detect_(new QPushButton(this)),
      runFromStartUp_(new QCheckBox(this)), logAll_(new QCheckBox(this)), viewLog_(new QPushButton(this)),
      clearLog_(new QPushButton(this)), viewRecent_(new QPushButton(this)), static1_(new QLabel(this)),
      static2_(new QLabel(this)), logGroup_(new QGroupBox(this))
{
    setObjectName(QStringLiteral("CCommonPage"));
    list_->setObjectName(QStringLiteral("productList1001"));
    detect_->setObjectName(QStringLiteral("detect1002"));
    runFromStartUp_->setObjectName(QStringLiteral("runFromStartUp1004"));
    logAll_->setObjectName(QStringLiteral("logAllEvents1038"));
    viewLog_->setObjectName(QStringLiteral("viewEventLog1040"));
    clearLog_->setObjectName(QStringLiteral("clearEventLog1041"));
    viewRecent_->setObjectName(QStringLiteral("viewRecentUpdates1049"));
    static1_->setObjectName(QStringLiteral("static1052"));
    static2_->setObjectName(QStringLiteral("static1053"));
    logGroup_->setObjectName(QStringLiteral("group1054"));
    list_->setAccessibleName(sheet->text("Accessibility", "Products"));
    static1_->setWordWrap(true);
    static2_->setWordWrap(true);

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(list_, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(detect_);
    side->addStretch();
    listRow->addLayout(side);

    auto *logLayout = new QGridLayout(logGroup_);
    logLayout->addWidget(logAll_, 0, 0, 1, 3);
    logLayout->addWidget(viewLog_, 1, 0);
    logLayout->addWidget(clearLog_, 1, 1);
    logLayout->addWidget(viewRecent_, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(static1_);
    layout->addWidget(static2_);
    layout->addLayout(listRow, 1);
    layout->addWidget(runFromStartUp_);
    layout->addWidget(logGroup_);

    connect(list_, &QListWidget::currentRowChanged, this, [this] { OnSelChange(); });
    connect(detect_, &QPushButton::clicked, this, &CCommonPage::OnDetect);
    // Toggled, not clicked: assistive technology toggles without a click.
    connect(runFromStartUp_, &QCheckBox::toggled, this, &CCommonPage::OnRunFromStartUp);
    connect(logAll_, &QCheckBox::toggled, this, &CCommonPage::OnLogAllEvents);
    connect(viewLog_, &QPushButton::clicked, this, &CCommonPage::OnViewEventLog);
    connect(clearLog_, &QPushButton::clicked, this, &CCommonPage::OnClearEventLog);
    connect(viewRecent_, &QPushButton::clicked, this, &CCommonPage::OnViewRecentUpdates);
}

void CCommonPage::setTexts()
{
    static1_->setText(sheet_->text("CommonPage", "CommonStatic1"));
    static2_->setText(sheet_->text("CommonPage", "CommonStatic2"));
    logGroup_->setTitle(sheet_->text("CommonPage", "EventLoggingStatic"));
    detect_->setText(sheet_->text("CommonPage", "DetectButtnTxt"));
    logAll_->setText(sheet_->text("CommonPage", "LogAllEvents"));
    viewRecent_->setText(sheet_->text("CommonPage", "ViewRecentUpdateButtnTxt"));
    viewLog_->setText(sheet_->text("CommonPage", "ViewEventLogButtnTxt"));
    clearLog_->setText(sheet_->text("CommonPage", "ClearEventLogButtnTxt"));
    runFromStartUp_->setText(sheet_->text("CommonPage", "RunFromStartUpGrpTxt"));
}

void CCommonPage::Initialise()
{
    setTexts();
    FillProductList();
}

bool CCommonPage::OnSetActive()
{
    RefreshEventLogButtons();
    return true;
}

void CCommonPage::RefreshEventLogButtons()
{
    if (!sheet_->app().control())
        return;
    CPatchwellCtrl &ctrl = sheet_->control();
    const bool any = ctrl.GetLogRecordCount() > 0;
    viewLog_->setEnabled(any);
    clearLog_->setEnabled(any);
    viewRecent_->setEnabled(ctrl.GetRecentUpdateCount() > 0);
}

int CCommonPage::findWholeLine(const QString &text) const
{
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int CCommonPage::findPrefix(const QString &text) const
{
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->text().startsWith(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

void CCommonPage::FillProductList()
{
    RefreshEventLogButtons();
    CPatchwellCtrl &ctrl = sheet_->control();
    CProductList &products = sheet_->productList();
    // The records are made anew; the product shown before stays the current one.
    const QString shown = products.current() ? products.current()->productName : QString();
    products.LoadAll(ctrl);
    for (int i = 0; i < products.count() && !shown.isEmpty(); ++i)
        if (products.at(i)->productName == shown)
            products.SetCurrent(i);

    const QSignalBlocker quiet(list_);
    list_->clear();
    for (int i = 0; i < products.count(); ++i) {
        auto *item = new QListWidgetItem(products.at(i)->productName);
        item->setData(Qt::UserRole, products.at(i)->productIndex);
        list_->insertItem(i, item);
    }
    const bool any = products.count() > 0;
    {
        const QSignalBlocker a(runFromStartUp_), b(logAll_);
        runFromStartUp_->setChecked(products.AnyRunFromStartUp());
        if (any)
            logAll_->setChecked(ctrl.GetLogAllEvents());
    }
    runFromStartUp_->setEnabled(any);
    logAll_->setEnabled(any);
    sheet_->OnProductsLoaded();

    CPatchwellApp &app = sheet_->app();
    if (!app.requestedProduct.isEmpty()) {
        sheet_->PostTabMnemonic(CPropSheetManager::CommonTab);
        const int row = findWholeLine(app.requestedProduct);
        app.requestedProduct.clear();
        if (row >= 0) {
            sheet_->SelectProduct(row);
            list_->setCurrentRow(row);
            OnSelChange();
            sheet_->PostTabMnemonic(CPropSheetManager::SchedulingTab);
            return;
        }
    } else if (!products.current() || products.current()->productIndex < 0) {
        if (!any)
            return;
        list_->setCurrentRow(0);
        OnSelChange();
        return;
    }
    if (CProductSettings *current = products.current()) {
        list_->setCurrentRow(current->productIndex);
        OnSelChange();
    }
}

void CCommonPage::OnSelChange()
{
    QListWidgetItem *item = list_->currentItem();
    if (!item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    CProductList &products = sheet_->productList();
    for (int i = 0; i < products.count(); ++i)
        if (products.at(i)->productIndex == index)
            sheet_->SelectProduct(i);
    sheet_->setWindowTitle(QStringLiteral("Patchwell - ") + item->text());
}

void CCommonPage::SelectRequestedProductAndTab(int position, int tab)
{
    CPatchwellApp &app = sheet_->app();
    if ((position < 0 || position > sheet_->productList().count()) && app.requestedProduct.isEmpty())
        return;
    if (!sheet_->SetActivePage(CPropSheetManager::CommonTab))
        return;
    if (position >= 0 && position < list_->count())
        app.requestedProduct = list_->item(position)->text();
    if (app.requestedProduct.isEmpty())
        return;
    const int row = findPrefix(app.requestedProduct);
    app.requestedProduct.clear();
    if (row < 0)
        return;
    sheet_->SelectProduct(row);
    list_->setCurrentRow(row);
    OnSelChange();
    sheet_->PostTabMnemonic(tab);
}

void CCommonPage::OnDetect()
{
    WaitCursor wait;
    sheet_->productList().WriteBackAll(sheet_->control(), false);
    FillProductList();
}

void CCommonPage::OnRunFromStartUp(bool checked)
{
    CProductList &products = sheet_->productList();
    for (int i = 0; i < products.count(); ++i)
        products.at(i)->SetRunFromStartUp(checked, changeid::RunFromStartUp);
}

void CCommonPage::OnLogAllEvents(bool checked)
{
    CProductList &products = sheet_->productList();
    for (int i = 0; i < products.count(); ++i)
        products.at(i)->SetLogAllEvents(checked, changeid::LogAllEvents);
}

void CCommonPage::OnViewEventLog()
{
    ShowEventLogView(sheet_->app(), EventLogView::Whole, sheet_->productList());
    RefreshEventLogButtons();
}

void CCommonPage::OnViewRecentUpdates()
{
    ShowEventLogView(sheet_->app(), EventLogView::RecentUpdates, sheet_->productList());
    RefreshEventLogButtons();
}

void CCommonPage::OnClearEventLog()
{
    sheet_->control().ClearLog();
    sheet_->app().SetUpdateAlert(false);
    RefreshEventLogButtons();
}
