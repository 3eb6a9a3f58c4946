#include "dunstatusdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDunStatusDialog::CDunStatusDialog()
{
    setObjectName(QStringLiteral("CDunStatusDialog"));
    setWindowTitle(QStringLiteral("Connecting to "));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status1037"));
    status_->setMinimumWidth(280);
    layout->addWidget(status_);
    auto *row = new QHBoxLayout;
    row->addStretch();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &CDunStatusDialog::cancelRequested);
    row->addWidget(cancel_);
    layout->addLayout(row);
}

void CDunStatusDialog::SetStatus(const QString &text)
{
    status_->setText(text);
}

QString CDunStatusDialog::status() const
{
    return status_->text();
}
