#pragma once
// The modeless window of a running download: the file being fetched, a bar of
// its 5000-byte blocks with the share done in per cent, and the file-copy
// animation. Its owner (the main window) is disabled while it exists. Cancel
// only raises a flag; the event handler reads it at the next block.

#include <QDialog>
#include <QPointer>

class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;

class CDownloadProgressDialog : public QDialog {
    Q_OBJECT
public:
    // animationFile: a path of the original platform (mapped here).
    CDownloadProgressDialog(QWidget *owner, const QString &animationFile);
    ~CDownloadProgressDialog() override;

    void SetStatus(const QString &text);
    QString status() const;
    void SetRange(int lower, int upper);
    void SetStep(int step) { step_ = step; }
    void SetPos(int position);
    void StepIt();   // past the upper end the bar starts over from the lower
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    int pos() const { return pos_; }
    int step() const { return step_; }
    QString percentText() const;

    bool cancelPressed() const { return cancelPressed_; }
    void ClearCancel() { cancelPressed_ = false; }
    QPushButton *cancelButton() const { return cancel_; }
    QMovie *animation() const { return movie_; }
    // Gives the owner its input back now (the dialog is on its way out).
    void ReleaseOwner();

protected:
    void reject() override { cancelPressed_ = true; }

private:
    void showPosition();

    QPointer<QWidget> owner_;
    QLabel *status_;
    QLabel *percent_;
    QLabel *animationLabel_;
    QMovie *movie_ = nullptr;
    QProgressBar *bar_;
    QPushButton *cancel_;
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 10;
    int pos_ = 0;
    bool cancelPressed_ = false;
};
