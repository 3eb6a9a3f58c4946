// The form translator: every kind of text of a widget tree to German and back
// again from the remembered sources, texts the program changes in between,
// excluded widgets, following the dictionary, and file-dialog filters.

#include "dictionary.h"
#include "translator.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using tl::Dictionary;
using tl::Translator;

namespace {

const QByteArray kTexts = "@language 409 English (United States)\n@language 407 Deutsch\n"
                          "> Varnel Portdeck\n407: Varnel Portdeck DE\n"
                          "> Detect\n407: Erkennen\n"
                          "> Exit\n407: Beenden\n"
                          "> Settings\n407: Einstellungen\n"
                          "> Click to detect\n407: Zum Erkennen klicken\n"
                          "> Enabled\n407: Aktiviert\n"
                          "> Disabled\n407: Deaktiviert\n"
                          "> Modem Information\n407: Modeminformationen\n"
                          "> Call Log\n407: Anrufprotokoll\n"
                          "> Line one\n407: Zeile eins\n"
                          "> Number\n407: Nummer\n"
                          "> About...\n407: Info...\n"
                          "> Text files\n407: Textdateien\n"
                          "> All files\n407: Alle Dateien\n"
                          "> Capture files (*.cap)\n407: Mitschnitte (*.cap)\n";

struct Form {
    QWidget window;
    QLabel *label = new QLabel("Detect", &window);
    QPushButton *button = new QPushButton("Exit", &window);
    QCheckBox *check = new QCheckBox("Enabled", &window);
    QGroupBox *group = new QGroupBox("Settings", &window);
    QComboBox *combo = new QComboBox(group);
    QListWidget *list = new QListWidget(group);
    QTabWidget *tabs = new QTabWidget(&window);
    QTabBar *bar = new QTabBar(&window);
    QPlainTextEdit *memo = new QPlainTextEdit(&window);
    QTextEdit *rich = new QTextEdit(&window);
    QLineEdit *edit = new QLineEdit(&window);
    QMenu *menu = new QMenu("Settings", &window);
    QAction *about = menu->addAction("About...");

    Form()
    {
        window.setWindowTitle("Varnel Portdeck");
        button->setToolTip("Click to detect");
        combo->addItems({"Enabled", "Disabled", "Unknown"});
        combo->setCurrentIndex(1);
        list->addItems({"Disabled", "Enabled"});
        tabs->addTab(new QWidget, "Modem Information");
        tabs->addTab(new QWidget, "Call Log");
        tabs->setTabToolTip(1, "Call Log");
        bar->addTab("Modem Information");
        memo->setPlainText("Line one\nNumber 1234\nNumber");
        rich->setHtml("<b>Line one</b><p>Enabled</p>");
        edit->setText("Enabled");   // the user's text: stays
        edit->setPlaceholderText("Number");
    }
};

struct TranslatorTest : ::testing::Test {
    Dictionary dictionary;
    void SetUp() override { ASSERT_TRUE(dictionary.loadData(kTexts, "texts.mld")); }
};

} // namespace

TEST_F(TranslatorTest, TranslatesEveryKindOfTextAndBackFromTheSources)
{
    Form form;
    Translator translator(&dictionary);
    dictionary.selectLanguage(0x407);
    translator.translate(&form.window);

    EXPECT_EQ(form.window.windowTitle(), "Varnel Portdeck DE");
    EXPECT_EQ(form.label->text(), "Erkennen");
    EXPECT_EQ(form.button->text(), "Beenden");
    EXPECT_EQ(form.button->toolTip(), "Zum Erkennen klicken");
    EXPECT_EQ(form.check->text(), "Aktiviert");
    EXPECT_EQ(form.group->title(), "Einstellungen");
    EXPECT_EQ(form.combo->itemText(0), "Aktiviert");
    EXPECT_EQ(form.combo->itemText(2), "Unknown");
    EXPECT_EQ(form.combo->currentIndex(), 1);
    EXPECT_EQ(form.list->item(0)->text(), "Deaktiviert");
    EXPECT_EQ(form.tabs->tabText(0), "Modeminformationen");
    EXPECT_EQ(form.tabs->tabToolTip(1), "Anrufprotokoll");
    EXPECT_EQ(form.bar->tabText(0), "Modeminformationen");
    EXPECT_EQ(form.memo->toPlainText(), "Zeile eins\nNumber 1234\nNummer");
    EXPECT_EQ(form.rich->toPlainText(), "Zeile eins\nAktiviert");
    EXPECT_TRUE(form.rich->toHtml().contains("font-weight:700") || form.rich->toHtml().contains("font-weight:600"))
        << "the bold line keeps its format";
    EXPECT_EQ(form.edit->text(), "Enabled");
    EXPECT_EQ(form.edit->placeholderText(), "Nummer");
    EXPECT_EQ(form.menu->title(), "Einstellungen");
    EXPECT_EQ(form.about->text(), "Info...");

    // Translating twice in one language changes nothing.
    translator.translate(&form.window);
    EXPECT_EQ(form.label->text(), "Erkennen");

    // Back to English from the remembered sources, not from the German.
    dictionary.selectLanguage(0x409);
    translator.translate(&form.window);
    EXPECT_EQ(form.window.windowTitle(), "Varnel Portdeck");
    EXPECT_EQ(form.label->text(), "Detect");
    EXPECT_EQ(form.button->toolTip(), "Click to detect");
    EXPECT_EQ(form.combo->itemText(1), "Disabled");
    EXPECT_EQ(form.tabs->tabText(1), "Call Log");
    EXPECT_EQ(form.memo->toPlainText(), "Line one\nNumber 1234\nNumber");
    EXPECT_EQ(form.menu->title(), "Settings");
    EXPECT_EQ(form.about->text(), "About...");
}

TEST_F(TranslatorTest, TextsTheProgramChangesBecomeTheNewSource)
{
    Form form;
    Translator translator(&dictionary);
    dictionary.selectLanguage(0x407);
    translator.translate(&form.window);

    form.label->setText("Exit");                // set by the program while German is shown
    form.combo->addItem("Disabled");            // the item list changed
    translator.translate(&form.window);
    EXPECT_EQ(form.label->text(), "Beenden");
    EXPECT_EQ(form.combo->itemText(3), "Deaktiviert");

    dictionary.selectLanguage(0x409);
    translator.translate(&form.window);
    EXPECT_EQ(form.label->text(), "Exit");
    EXPECT_EQ(form.combo->itemText(0), "Enabled");
}

TEST_F(TranslatorTest, ExcludedWidgetsKeepTheirTexts)
{
    Form form;
    Translator::exclude(form.group);            // and all below it
    Translator::exclude(form.memo);             // device data
    dictionary.selectLanguage(0x407);
    Translator(&dictionary).translate(&form.window);
    EXPECT_EQ(form.group->title(), "Settings");
    EXPECT_EQ(form.combo->itemText(0), "Enabled");
    EXPECT_EQ(form.memo->toPlainText(), "Line one\nNumber 1234\nNumber");
    EXPECT_EQ(form.label->text(), "Erkennen");
}

TEST_F(TranslatorTest, FollowRetranslatesOnEveryLanguageChange)
{
    Translator translator(&dictionary);
    auto form = std::make_unique<Form>();
    translator.follow(&form->window);
    EXPECT_EQ(form->label->text(), "Detect");
    dictionary.selectLanguage(0x407);
    EXPECT_EQ(form->label->text(), "Erkennen");
    dictionary.setSubLanguage(1);               // 0x407 stays German
    dictionary.selectLanguage(0x409);
    EXPECT_EQ(form->label->text(), "Detect");
    form.reset();                               // a destroyed form is no longer followed
    dictionary.selectLanguage(0x407);
    dictionary.activate();
}

TEST_F(TranslatorTest, FiltersKeepTheirPatterns)
{
    dictionary.selectLanguage(0x407);
    EXPECT_EQ(Translator::translateFilter("Text files (*.txt);;All files (*)", dictionary),
              "Textdateien (*.txt);;Alle Dateien (*)");
    EXPECT_EQ(Translator::translateFilter("Capture files (*.cap)", dictionary), "Mitschnitte (*.cap)");
    EXPECT_EQ(Translator::translateFilter("Text files|*.txt|All files|*.*", dictionary),
              "Textdateien|*.txt|Alle Dateien|*.*");
    EXPECT_EQ(Translator::translateFilter("Logs (*.log)", dictionary), "Logs (*.log)");
}
