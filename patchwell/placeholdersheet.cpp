#include "placeholdersheet.h"

#include "app.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "startupshortcut.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

PlaceholderSheet::PlaceholderSheet(CPatchwellApp *app, CMainFrame *) : app_(app), dialog_(new QDialog), list_(nullptr)
{
    dialog_->setObjectName(QStringLiteral("CPropSheetManager"));
    dialog_->setWindowTitle(QStringLiteral("Patchwell - No Products Detected"));
    auto *layout = new QVBoxLayout(dialog_);
    list_ = new QListWidget(dialog_);
    list_->setObjectName(QStringLiteral("productList1001"));
    layout->addWidget(list_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog_);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog_, &QDialog::accept);
    layout->addWidget(buttons);
    QObject::connect(list_, &QListWidget::currentRowChanged, dialog_, [this](int row) {
        products.SetCurrent(row);
        if (QListWidgetItem *item = list_->item(row))
            dialog_->setWindowTitle(QStringLiteral("Patchwell - ") + item->text());
    });
    products.updateShortcut = [app](bool wanted) {
        startup::UpdateShortcut(wanted, app->osKind, QCoreApplication::applicationFilePath());
    };
    dialog_->resize(420, 300);
}

PlaceholderSheet::~PlaceholderSheet()
{
    delete dialog_;
}

void PlaceholderSheet::fill()
{
    products.LoadAll(*app_->control());
    list_->clear();
    for (int i = 0; i < products.count(); ++i)
        list_->addItem(products.at(i)->productName);
    int row = products.count() > 0 ? 0 : -1;
    if (!app_->requestedProduct.isEmpty()) {
        for (int i = 0; i < list_->count(); ++i)
            if (list_->item(i)->text().compare(app_->requestedProduct, Qt::CaseInsensitive) == 0)
                row = i;
        app_->requestedProduct.clear();
    }
    list_->setCurrentRow(row);
}

void PlaceholderSheet::RunModal()
{
    fill();
    const int result = dialog_->exec();
    if (!app_->control())
        return;
    if (result == QDialog::Accepted)
        products.WriteBackAll(*app_->control(), true);
    else
        products.RestoreAll(*app_->control());
}

void PlaceholderSheet::EndSheet()
{
    dialog_->reject();
}

void PlaceholderSheet::SelectRequestedProductAndTab(int position, int)
{
    if (position >= 0 && position < list_->count())
        app_->requestedProduct = list_->item(position)->text();
    if (app_->requestedProduct.isEmpty())
        return;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->text().startsWith(app_->requestedProduct, Qt::CaseInsensitive)) {
            list_->setCurrentRow(i);
            break;
        }
    }
    app_->requestedProduct.clear();
}
