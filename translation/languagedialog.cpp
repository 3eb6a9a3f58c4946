#include "languagedialog.h"

#include "dictionary.h"
#include "translator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tl {

LanguageDialog::LanguageDialog(const QList<LanguageChoice> &languages, int currentId, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LanguageDialog"));
    setWindowTitle(QStringLiteral("Select Language"));
    setModal(true);

    auto *prompt = new QLabel(QStringLiteral("Please select a language:"), this);
    prompt->setObjectName(QStringLiteral("LanguageLabel"));

    languageList_ = new QListWidget(this);
    languageList_->setObjectName(QStringLiteral("LanguageList"));
    for (const LanguageChoice &language : languages) {
        auto *item = new QListWidgetItem(language.name, languageList_);
        item->setData(Qt::UserRole, language.languageId);
        if (language.languageId == currentId)
            languageList_->setCurrentItem(item);
    }
    // Language names are shown in their own language; never translate them.
    Translator::exclude(languageList_);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKBtn"));
    okButton_->setDefault(true);
    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(languageList_);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(languageList_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(languageList_, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    updateButtons();

    Translator().translate(this);
}

int LanguageDialog::selectedLanguage() const
{
    const QListWidgetItem *item = languageList_->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : -1;
}

void LanguageDialog::updateButtons()
{
    okButton_->setEnabled(selectedLanguage() != -1);
}

int LanguageDialog::choose(QWidget *parent, const QList<LanguageChoice> &languages, int currentId)
{
    LanguageDialog dialog(languages, currentId, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.selectedLanguage();
}

void installLanguageDialog()
{
    setLanguageDialog(&LanguageDialog::choose);
}

int chooseLanguage(QWidget *parent, const Dictionary &dictionary)
{
    return ui().chooseLanguage(parent, dictionary.languages(), dictionary.language());
}

} // namespace tl
