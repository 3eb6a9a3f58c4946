#pragma once
// The modal language selection dialog: lists the dictionary's languages and
// returns the identifier the user confirmed, or -1 when the user cancelled.
// Programs reach it through the UI services seam (ui().chooseLanguage), so
// tests can script the answer; installLanguageDialog() puts this dialog
// behind the seam.

#include "uiservices.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tl {

class Dictionary;

class LanguageDialog : public QDialog {
    Q_OBJECT
public:
    LanguageDialog(const QList<LanguageChoice> &languages, int currentId, QWidget *parent = nullptr);

    // The identifier of the selected entry; -1 when none is selected.
    int selectedLanguage() const;

    // Shows the dialog modally: the confirmed identifier, or -1 when cancelled.
    static int choose(QWidget *parent, const QList<LanguageChoice> &languages, int currentId);

private:
    void updateButtons();

    QListWidget *languageList_;
    QPushButton *okButton_;
};

// Makes LanguageDialog::choose the dialog behind ui().chooseLanguage.
void installLanguageDialog();

// Asks the user through the UI services seam for one of the dictionary's
// languages, the current one preselected: the identifier, or -1 when cancelled.
// The caller selects it; nothing changes here.
int chooseLanguage(QWidget *parent, const Dictionary &dictionary);

} // namespace tl
