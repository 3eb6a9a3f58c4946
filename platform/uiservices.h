#pragma once
// The seam through which programs show message boxes, file dialogs, help and
// the language dialog. The default shows real Qt dialogs; tests install a
// ScriptedUiServices that answers from a script and records what was shown.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Buttons and results, as the programs use them.
enum MsgButtons { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNOCANCEL = 3, MB_YESNO = 4, MB_RETRYCANCEL = 5 };
enum MsgIcon { MB_ICONNONE = 0, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20,
               MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40 };
enum MsgResult { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

struct LanguageChoice {
    int languageId;        // e.g. 0x409
    QString name;          // shown in the dialog
};

class UiServices {
public:
    virtual ~UiServices() = default;
    virtual int messageBox(QWidget *parent, const QString &text, const QString &caption,
                           int buttons, int icon) = 0;
    // "" when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &directory,
                                 const QString &filter) = 0;
    // Shows the help page of the help file and context; false when there is none.
    virtual bool showHelp(QWidget *parent, const QString &helpFile, int context) = 0;
    // Modal language selection; -1 when the user cancelled.
    virtual int chooseLanguage(QWidget *parent, const QList<LanguageChoice> &languages,
                               int currentId) = 0;
};

// The services in force (the Qt default unless a test installed its own).
UiServices &ui();
// Installs services (not owned); null restores the default.
void setUiServices(UiServices *services);
// The default boxes and file dialogs block only the window they belong to (their
// parent's), not the whole program: a tray program's icon, and its windows
// beside the box, stay usable. Off by default.
void setWindowModalDialogs(bool on);
// The dialog behind the default chooseLanguage; the translation components install theirs.
using LanguageDialogFunction =
    std::function<int(QWidget *, const QList<LanguageChoice> &, int)>;
void setLanguageDialog(LanguageDialogFunction dialog);

// The page the default help viewer shows for a help file and context:
// <helpdir>/<help file base name>/<context>.html, else <helpdir>/<base name>.html,
// where helpdir is $TALLYLINE_HELP_DIR, else <program dir>/../share/tallyline/help,
// else the source tree's resources/help. "" when there is none.
QString helpPagePath(const QString &helpFile, int context);

// Test double: answers from queues, records every call.
class ScriptedUiServices : public UiServices {
public:
    struct Shown {
        QString kind;      // "messageBox", "open", "save", "help", "language"
        QString text;      // message text, dialog title, help file
        QString caption;   // message caption, filter
        int number = 0;    // buttons, help context, current language
    };
    QList<int> messageAnswers;       // taken in order; when empty IDYES for Yes/No boxes,
                                     // IDCANCEL for Retry/Cancel (so retry loops end), else IDOK
    QStringList fileAnswers;         // taken in order; "" when empty
    QList<int> languageAnswers;      // taken in order; -1 when empty
    bool helpExists = true;
    QList<Shown> shown;
    // Called with each message box's text as it is shown (a test's hand on the world meanwhile).
    std::function<void(const QString &text)> onMessage;
    // Likewise for each file dialog, with its title.
    std::function<void(const QString &title)> onFileDialog;

    int messageBox(QWidget *, const QString &text, const QString &caption, int buttons,
                   int icon) override;
    QString openFileName(QWidget *, const QString &title, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(QWidget *, const QString &title, const QString &directory,
                         const QString &filter) override;
    bool showHelp(QWidget *, const QString &helpFile, int context) override;
    int chooseLanguage(QWidget *, const QList<LanguageChoice> &languages, int currentId) override;
    QStringList messages() const;    // texts of the message boxes shown, in order
};
