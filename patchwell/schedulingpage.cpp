#include "schedulingpage.h"

#include "app.h"
#include "paths.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

CSchedulingPage::CSchedulingPage(CPropSheetManager *sheet)
    : sheet_(sheet), interval_(new QLineEdit(this)), previous_(new QLineEdit(this)), next_(new QLineEdit(this)),
      up_(new QToolButton(this)), down_(new QToolButton(this)), updateNow_(new QPushButton(this)),
      animation_(new QLabel(this)), connecting_(new QLabel(this)), explanation_(new QLabel(this)),
      previousLabel_(new QLabel(this)), nextLabel_(new QLabel(this))
{
    setObjectName(QStringLiteral("CSchedulingPage"));
    interval_->setObjectName(QStringLiteral("interval1006"));
    previous_->setObjectName(QStringLiteral("previousUpdate1007"));
    next_->setObjectName(QStringLiteral("nextUpdate1008"));
    up_->setObjectName(QStringLiteral("spinUp1005"));
    down_->setObjectName(QStringLiteral("spinDown1005"));
    updateNow_->setObjectName(QStringLiteral("updateNow1011"));
    animation_->setObjectName(QStringLiteral("animation1053"));
    connecting_->setObjectName(QStringLiteral("connecting1054"));
    explanation_->setObjectName(QStringLiteral("static1055"));
    previousLabel_->setObjectName(QStringLiteral("static1056"));
    nextLabel_->setObjectName(QStringLiteral("static1057"));

    // Digits only; three of them are all an interval up to 365 needs.
    interval_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), interval_));
    interval_->setMaxLength(3);
    previous_->setReadOnly(true);
    next_->setReadOnly(true);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAutoRepeat(true);
    down_->setAutoRepeat(true);
    explanation_->setWordWrap(true);
    connecting_->setWordWrap(true);
    animation_->hide();
    connecting_->hide();

    explanation_->setBuddy(interval_);
    previousLabel_->setBuddy(previous_);
    nextLabel_->setBuddy(next_);
    up_->setAccessibleName(sheet->text("Accessibility", "MoreDays"));
    down_->setAccessibleName(sheet->text("Accessibility", "FewerDays"));
    animation_->setAccessibleName(sheet->text("Accessibility", "LookingForUpdates"));
    explanation_->setText(sheet->text("SchedulingPage", "SchedulingStatic1"));
    previousLabel_->setText(sheet->text("SchedulingPage", "PrevUpdateDateStatic"));
    nextLabel_->setText(sheet->text("SchedulingPage", "NextUpdateDateStatic"));
    updateNow_->setText(sheet->text("SchedulingPage", "UpdateNowButtnTxt"));
    connecting_->setText(sheet->text("SchedulingPage", "ConnectingToServerTxt"));

    auto *spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(up_);
    spin->addWidget(down_);
    auto *intervalRow = new QHBoxLayout;
    intervalRow->addWidget(interval_);
    intervalRow->addLayout(spin);
    intervalRow->addStretch();
    interval_->setMaximumWidth(interval_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);

    auto *dates = new QGridLayout;
    dates->addWidget(previousLabel_, 0, 0);
    dates->addWidget(previous_, 0, 1);
    dates->addWidget(nextLabel_, 1, 0);
    dates->addWidget(next_, 1, 1);

    auto *now = new QHBoxLayout;
    now->addWidget(updateNow_);
    now->addWidget(animation_);
    now->addWidget(connecting_, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation_);
    layout->addLayout(intervalRow);
    layout->addLayout(dates);
    layout->addStretch();
    layout->addLayout(now);

    interval_->installEventFilter(this);
    connect(interval_, &QLineEdit::textChanged, this, &CSchedulingPage::OnIntervalChanged);
    connect(up_, &QToolButton::clicked, this, [this] { OnDeltaPos(1); });
    connect(down_, &QToolButton::clicked, this, [this] { OnDeltaPos(-1); });
    connect(updateNow_, &QPushButton::clicked, this, &CSchedulingPage::OnUpdateNow);
}

CSchedulingPage::~CSchedulingPage()
{
    StopAnimation();
}

QString CSchedulingPage::longDate(const QDateTime &date) const
{
    return date.isValid() ? QLocale().toString(date.date(), QLocale::LongFormat) : QString();
}

long CSchedulingPage::readInterval() const
{
    return interval_->text().left(3).toLong();
}

void CSchedulingPage::showNextDate()
{
    // A product never updated has no previous date: its next look counts from today.
    const QDateTime base = previousDate_.isValid() ? previousDate_ : QDateTime::currentDateTime();
    nextDate_ = base.addDays(days_);
    next_->setText(longDate(nextDate_));
    if (CProductSettings *r = sheet_->currentProduct())
        r->SetNextUpdate(nextDate_, changeid::NextUpdate);
}

bool CSchedulingPage::OnSetActive()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r)
        return true;
    days_ = r->updateInterval;
    previousDate_ = r->previousUpdate;
    nextDate_ = r->nextUpdate;
    next_->setText(longDate(nextDate_));
    r->SetNextUpdate(nextDate_, changeid::NextUpdate);
    previous_->setText(longDate(previousDate_));
    rewriting_ = true;
    interval_->setText(QString::number(days_));
    rewriting_ = false;
    return true;
}

void CSchedulingPage::OnDeltaPos(int delta)
{
    days_ = qBound(1L, readInterval() + delta, 365L);
    interval_->setText(QString::number(days_));   // the edit's change stores it
    showNextDate();
}

void CSchedulingPage::OnIntervalChanged()
{
    if (rewriting_)
        return;
    long value = readInterval();
    if (value <= 0 || value > 365) {
        value = value <= 0 ? 1 : 365;
        rewriting_ = true;
        interval_->setText(QString::number(value));
        rewriting_ = false;
        interval_->selectAll();
        interval_->end(true);
    }
    days_ = value;
    if (CProductSettings *r = sheet_->currentProduct())
        r->SetUpdateInterval(value, changeid::Interval);
    showNextDate();
}

void CSchedulingPage::OnUpdateNow()
{
    CProductSettings *r = sheet_->currentProduct();
    if (!r || !sheet_->app().control())
        return;
    animation_->show();
    delete movie_;
    movie_ = new QMovie(tl::installedFile(sheet_->app().installDirectory + QStringLiteral("\\findcomp.avi"),
                                          tl::InstalledKind::Data),
                        QByteArray(), this);
    animation_->setMovie(movie_);
    movie_->start();
    connecting_->show();
    connecting_->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sheet_->productList().WriteBackAll(sheet_->control(), false);
    sheet_->control().UpdateNow(r->productIndex);
    QApplication::restoreOverrideCursor();
}

bool CSchedulingPage::eventFilter(QObject *watched, QEvent *event)
{
    // The spin button answers the arrow keys in the interval field.
    if (watched == interval_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            OnDeltaPos(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return CPropertyPage::eventFilter(watched, event);
}

bool CSchedulingPage::animationRunning() const
{
    return movie_ && animation_->isVisible();
}

void CSchedulingPage::StopAnimation()
{
    if (movie_) {
        movie_->stop();
        animation_->setMovie(nullptr);
        movie_->deleteLater();
        movie_ = nullptr;
    }
    connecting_->hide();
    animation_->hide();
}

bool CSchedulingPage::OnKillActive()
{
    StopAnimation();
    return true;
}
