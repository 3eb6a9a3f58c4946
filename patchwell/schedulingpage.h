#pragma once
// The Scheduling tab: how many days between two looks for updates, the dates of
// the previous and the next one, and Update Now with its "looking" animation.

#include "propertypage.h"

#include <QDateTime>

class CPropSheetManager;
class QLabel;
class QLineEdit;
class QMovie;
class QPushButton;
class QSpinBox;
class QToolButton;

class CSchedulingPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CSchedulingPage(CPropSheetManager *sheet);
    ~CSchedulingPage() override;

    bool OnSetActive() override;
    bool OnKillActive() override;
    void StopAnimation();
    bool animationRunning() const;

    // The spin button's step (UDN_DELTAPOS): +1 up, -1 down.
    void OnDeltaPos(int delta);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnIntervalChanged();
    void OnUpdateNow();
    void showNextDate();
    QString longDate(const QDateTime &date) const;
    long readInterval() const;

    CPropSheetManager *sheet_;
    QLineEdit *interval_;
    QLineEdit *previous_;
    QLineEdit *next_;
    QToolButton *up_;
    QToolButton *down_;
    QPushButton *updateNow_;
    QLabel *animation_;
    QLabel *connecting_;
    QLabel *explanation_;
    QLabel *previousLabel_;
    QLabel *nextLabel_;
    QMovie *movie_ = nullptr;

    long days_ = 0;
    QDateTime previousDate_;
    QDateTime nextDate_;
    bool rewriting_ = false;
};
