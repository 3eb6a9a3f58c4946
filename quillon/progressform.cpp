#include "progressform.h"

#include "clock.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

TModemProgressForm::TModemProgressForm(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ModemProgressForm"));
    setWindowTitle(QStringLiteral("Progress"));
    setFixedSize(300, 90);
    StaticText1 = new QLabel(QStringLiteral("Please wait . . . updating modem data"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setAlignment(Qt::AlignCenter);
    StaticText1->setGeometry(16, 12, width() - 32, 20);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(16, 44, width() - 32, 18);
    Timer_ProgressBar = new ScaledTimer(this, 50);
    Timer_ProgressBar->setObjectName(QStringLiteral("Timer_ProgressBar"));
    connect(Timer_ProgressBar, &ScaledTimer::timeout, this,
            &TModemProgressForm::Timer_ProgressBarTimer);
}

void TModemProgressForm::showProgress(QWidget *owner, const QString &message)
{
    if (owner)
        owner->setEnabled(false);
    message_ = message;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    raise();
    cycle_ = false;
    target_ = 100;
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    Timer_ProgressBar->setEnabled(true);
}

void TModemProgressForm::showEvent(QShowEvent *event)
{
    StaticText1->setText(message_);
    // A screen reader hears what is being waited for with the bar and the window.
    ProgressBar1->setAccessibleName(message_);
    setAccessibleDescription(message_);
    const int margin = StaticText1->x();
    StaticText1->resize(width() - 2 * margin, StaticText1->height());
    QWidget::showEvent(event);
}

void TModemProgressForm::setTarget(int value)
{
    target_ = value;
    cycle_ = false;
}

void TModemProgressForm::setTarget(int value, bool cycle)
{
    target_ = value;
    cycle_ = cycle;
}

void TModemProgressForm::hideProgress(QWidget *owner)
{
    if (!isVisible())
        return;
    int position = ProgressBar1->value();
    while (position < 100) {
        position += 5;
        ProgressBar1->setValue(std::min(position, 100));
    }
    ProgressBar1->setValue(100);
    Timer_ProgressBar->setEnabled(false);
    target_ = 0;
    cycle_ = false;
    if (owner)
        owner->setEnabled(true);
    hide();
}

void TModemProgressForm::Timer_ProgressBarTimer()
{
    if (ProgressBar1->value() < target_)
        ProgressBar1->setValue(std::min(ProgressBar1->value() + 5, 100));
    else if (cycle_)
        ProgressBar1->setValue(0);
}
