#pragma once
// The small always-on-top window that shows a message and a progress bar
// while the TA's settings are read or written.

#include <QWidget>

class QLabel;
class QProgressBar;
class ScaledTimer;

class TModemProgressForm : public QWidget {
    Q_OBJECT
public:
    explicit TModemProgressForm(QWidget *owner);

    // Disables the owner and shows the message with the bar running to 100.
    void showProgress(QWidget *owner, const QString &message);
    void setTarget(int value);
    void setTarget(int value, bool cycle);
    // Runs the bar to its end, re-enables the owner and hides; nothing when not shown.
    void hideProgress(QWidget *owner);

    int target() const { return target_; }
    bool cycling() const { return cycle_; }
    QString message() const { return message_; }

    QLabel *StaticText1;
    QProgressBar *ProgressBar1;
    ScaledTimer *Timer_ProgressBar;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Timer_ProgressBarTimer();

    QString message_;
    int target_ = 0;
    bool cycle_ = false;
};
