#pragma once
// The small windows of Portdeck: the About box, the debug window, the restore
// box shown while Patchwell runs and the prompt box that asks for the CD.

#include <QDialog>
#include <QWidget>

class LanguageDictionary;
class QLabel;
class QPushButton;
class QTextEdit;
class QFrame;
class ScaledTimer;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(const QString &versionText, LanguageDictionary *dictionary, QWidget *parent);
    QLabel *versionLabel = nullptr;
    QLabel *noticeLabel = nullptr;
    QPushButton *OKButton = nullptr;
};

class TDebugForm : public QWidget {
    Q_OBJECT
public:
    explicit TDebugForm(QWidget *owner);
    void addLine(const QString &line);
    QLabel *Label1 = nullptr;
    QTextEdit *DebugRichEdit1 = nullptr;
protected:
    void closeEvent(QCloseEvent *event) override;
};

class TNonModalMsgBox : public QWidget {
    Q_OBJECT
public:
    TNonModalMsgBox(LanguageDictionary *dictionary, QWidget *owner);
    QFrame *PanelClickToPD = nullptr;
    QLabel *panelLabel = nullptr;
    ScaledTimer *AnimationTimer = nullptr;
    bool aquaPhase = false;
    // A click, Space or Enter on the panel, or assistive technology's press.
    void restore() { emit restoreClicked(); }
signals:
    void restoreClicked();   // the main window sets bRestoreClicked
protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
private:
    void AnimationTimerTimer();
};

class TPromptMsgForm : public QDialog {
    Q_OBJECT
public:
    TPromptMsgForm(LanguageDictionary *dictionary, QWidget *owner);
    // Shows the box without making it modal and waits for a button:
    // 1 OK, 2 Cancel, 3 Browse, -1 closed otherwise.
    int ask(const QString &text);
    int result_ = 0;
    QLabel *STextInsertCD = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *BrowseBtn = nullptr;
protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
};
