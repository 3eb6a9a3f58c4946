#include "downloadprogressdialog.h"

#include "paths.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CDownloadProgressDialog::CDownloadProgressDialog(QWidget *owner, const QString &animationFile) : owner_(owner)
{
    // Not a child of the owner: a disabled owner would disable its children too.
    setObjectName(QStringLiteral("CDownloadProgressDialog"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    animationLabel_ = new QLabel(this);
    animationLabel_->setObjectName(QStringLiteral("animation1029"));
    movie_ = new QMovie(tl::installedFile(animationFile, tl::InstalledKind::Data), QByteArray(), this);
    if (movie_->isValid()) {
        animationLabel_->setMovie(movie_);
        movie_->start();
    }
    top->addWidget(animationLabel_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status1005"));
    status_->setMinimumWidth(280);
    status_->setWordWrap(true);
    top->addWidget(status_, 1);
    layout->addLayout(top);
    auto *barRow = new QHBoxLayout;
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress1003"));
    bar_->setTextVisible(false);
    bar_->setRange(lower_, upper_);
    bar_->setValue(pos_);
    barRow->addWidget(bar_, 1);
    percent_ = new QLabel(QStringLiteral(" 0 %"), this);
    percent_->setObjectName(QStringLiteral("percent1004"));
    barRow->addWidget(percent_);
    layout->addLayout(barRow);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelPressed_ = true; });
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    if (owner_)
        owner_->setEnabled(false);
}

CDownloadProgressDialog::~CDownloadProgressDialog()
{
    ReleaseOwner();
}

void CDownloadProgressDialog::ReleaseOwner()
{
    if (owner_)
        owner_->setEnabled(true);
    owner_ = nullptr;
}

void CDownloadProgressDialog::SetStatus(const QString &text)
{
    status_->setText(text);
}

QString CDownloadProgressDialog::status() const
{
    return status_->text();
}

void CDownloadProgressDialog::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    bar_->setRange(lower, upper);
    showPosition();
}

void CDownloadProgressDialog::SetPos(int position)
{
    pos_ = position;
    showPosition();
}

void CDownloadProgressDialog::StepIt()
{
    pos_ += step_;
    if (pos_ > upper_)
        pos_ = lower_ + (pos_ - upper_);
    showPosition();
}

QString CDownloadProgressDialog::percentText() const
{
    return percent_->text();
}

void CDownloadProgressDialog::showPosition()
{
    bar_->setValue(qBound(lower_, pos_, upper_));
    // A range of no width has no share to show.
    int p = upper_ > lower_ ? int(qint64(pos_ - lower_) * 100 / (upper_ - lower_)) : 0;
    if (p != 100)
        p %= 100;
    const QString text = QString::asprintf("%d%c", p, '%');
    if (percent_->text() != text)
        percent_->setText(text);
}
