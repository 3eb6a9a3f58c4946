#pragma once
// The modeless window that tells how far the dial-up connection of an update
// run has come. Cancel (or Escape, or closing the window) only asks: the event
// handler confirms with the user and cancels the run.

#include <QDialog>

class QLabel;
class QPushButton;

class CDunStatusDialog : public QDialog {
    Q_OBJECT
public:
    CDunStatusDialog();
    void SetStatus(const QString &text);
    QString status() const;
    QPushButton *cancelButton() const { return cancel_; }

signals:
    void cancelRequested();

protected:
    void reject() override { emit cancelRequested(); }

private:
    QLabel *status_;
    QPushButton *cancel_;
};
