// The language selection dialog, driven like a user would: pick an entry and
// confirm, cancel, and the dialog behind the UI services seam.

#include "dictionary.h"
#include "languagedialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using tl::LanguageDialog;

namespace {

const QList<LanguageChoice> kLanguages = {
    {0x409, "English (United States)"}, {0x809, "English (United Kingdom)"}, {0x407, "Deutsch"}};

LanguageDialog *shownDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<LanguageDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

// Runs act on the dialog once it is up in its modal loop. A dialog that is
// still open a while later is cancelled, so a failing check cannot hang the run.
void whenShown(std::function<void(LanguageDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        LanguageDialog *dialog = shownDialog();
        if (!dialog) {
            ADD_FAILURE() << "no language dialog shown";
            return;
        }
        QPointer<LanguageDialog> guard(dialog);
        QTimer::singleShot(3000, [guard] {
            if (guard && guard->isVisible()) {
                ADD_FAILURE() << "the dialog did not close";
                guard->reject();
            }
        });
        act(dialog);
    });
}

void clickEntry(LanguageDialog *dialog, int row)
{
    auto *list = dialog->findChild<QListWidget *>("LanguageList");
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

TEST(LanguageDialog, PickingAnEntryAndOkReturnsItsIdentifier)
{
    whenShown([](LanguageDialog *dialog) {
        auto *list = dialog->findChild<QListWidget *>("LanguageList");
        EXPECT_EQ(list->count(), 3);
        EXPECT_EQ(dialog->selectedLanguage(), 0x409);   // the current one preselected
        clickEntry(dialog, 2);
        QTest::mouseClick(dialog->findChild<QPushButton *>("OKBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(LanguageDialog::choose(nullptr, kLanguages, 0x409), 0x407);

    whenShown([](LanguageDialog *dialog) {
        auto *list = dialog->findChild<QListWidget *>("LanguageList");
        const QRect rect = list->visualItemRect(list->item(1));
        // A double click is a click followed by the double-click event.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    });
    EXPECT_EQ(LanguageDialog::choose(nullptr, kLanguages, 0x407), 0x809);
}

TEST(LanguageDialog, CancelAndEscapeReturnMinusOne)
{
    whenShown([](LanguageDialog *dialog) {
        clickEntry(dialog, 2);
        QTest::mouseClick(dialog->findChild<QPushButton *>("CancelBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(LanguageDialog::choose(nullptr, kLanguages, 0x409), -1);

    whenShown([](LanguageDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(LanguageDialog::choose(nullptr, kLanguages, 0x409), -1);
}

TEST(LanguageDialog, OkNeedsASelection)
{
    // The stored language is not in the list: nothing preselected, OK disabled.
    LanguageDialog dialog(kLanguages, 0x40c);
    auto *ok = dialog.findChild<QPushButton *>("OKBtn");
    EXPECT_EQ(dialog.selectedLanguage(), -1);
    EXPECT_FALSE(ok->isEnabled());
    dialog.findChild<QListWidget *>("LanguageList")->setCurrentRow(0);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.selectedLanguage(), 0x409);
}

TEST(LanguageDialog, ShowsItsTextsInTheActiveLanguage)
{
    tl::Dictionary dictionary;
    ASSERT_TRUE(dictionary.loadData("@language 407 Deutsch\n> Cancel\n407: Abbrechen\n"
                                    "> Select Language\n407: Sprache auswählen\n"
                                    "> Deutsch\n407: German\n",
                                    "dialog.mld"));
    dictionary.selectLanguage(0x407);
    tl::setActiveDictionary(&dictionary);
    LanguageDialog dialog(kLanguages, 0x407);
    tl::setActiveDictionary(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Sprache auswählen");
    EXPECT_EQ(dialog.findChild<QPushButton *>("CancelBtn")->text(), "Abbrechen");
    // Language names stay as the dictionary declares them.
    EXPECT_EQ(dialog.findChild<QListWidget *>("LanguageList")->item(2)->text(), "Deutsch");
}

TEST(LanguageDialog, InstalledBehindTheUiSeam)
{
    tl::installLanguageDialog();
    tl::Dictionary dictionary;
    ASSERT_TRUE(dictionary.loadData("@language 409 English (United States)\n@language 407 Deutsch\n", "two.mld"));
    dictionary.selectLanguage(0x407);
    whenShown([](LanguageDialog *dialog) {
        EXPECT_EQ(dialog->selectedLanguage(), 0x407);
        clickEntry(dialog, 0);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(tl::chooseLanguage(nullptr, dictionary), 0x409);

    // A scripted seam answers instead of the dialog.
    ScriptedUiServices scripted;
    scripted.languageAnswers = {-1};
    setUiServices(&scripted);
    EXPECT_EQ(tl::chooseLanguage(nullptr, dictionary), -1);
    setUiServices(nullptr);
    ASSERT_EQ(scripted.shown.size(), 1);
    EXPECT_EQ(scripted.shown[0].kind, "language");
    EXPECT_EQ(scripted.shown[0].number, 0x407);
}
