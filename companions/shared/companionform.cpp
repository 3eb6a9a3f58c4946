#include "companionform.h"

#include "deviceanswers.h"
#include "dictionary.h"
#include "formparts.h"
#include "translator.h"
#include "uiservices.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace companions {

CompanionForm::CompanionForm(QWidget *host, const QString &objectName) : QWidget(host)
{
    setObjectName(objectName);
    setWindowFlags(host ? Qt::Widget : Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    installAccessibility();

    // Our own dictionary: the host's language reaches us only through the
    // language export, never through the host's dictionary.
    dictionary_ = new tl::Dictionary(this);
    dictionary_->load();
    dictionary_->setBindingMode(tl::BindingMode::LanguageToLocale);
    translator_ = new tl::Translator(dictionary_, this);
    connect(dictionary_, &tl::Dictionary::languageChanged, this, [this] {
        applyStatuses();
        retranslate();
    });
}

CompanionForm::~CompanionForm() = default;

void CompanionForm::finishConstruction()
{
    // Outside a dialog a push button takes Space only; a keyboard user
    // expects Enter on the focused button too.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->installEventFilter(this);
    translator_->follow(this);
    applyStatuses();
    retranslate();
}

bool CompanionForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QPushButton *>(watched);
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && modifiers == Qt::NoModifier) {
            if (!key->isAutoRepeat() && button->isEnabled())
                button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CompanionForm::setHost(QWidget *host)
{
    if (!host || host == parentWidget())
        return;
    const bool visible = isVisible();
    setParent(host, Qt::Widget);
    setVisible(visible);
}

void CompanionForm::setTopLeft(int left, int top) { move(left, top); }

void CompanionForm::setLanguage(int language, int locale)
{
    dictionary_->setLocale(static_cast<unsigned>(locale));
    dictionary_->selectLanguage(language);
    dictionary_->activate();
}

int CompanionForm::language() const { return dictionary_->language(); }

QString CompanionForm::text(const char *source) const
{
    return dictionary_->translate(QString::fromUtf8(source));
}

QString CompanionForm::text(const char *source, const QStringList &args) const
{
    return formatText(text(source), args);
}

int CompanionForm::message(const QString &message, int buttons, int icon)
{
    // A form the host has hidden says nothing more: the user has left its
    // screen. The answer is the one that changes nothing.
    if (isHidden()) {
        const int kind = buttons & 0x0F;
        return kind == MB_OK ? IDOK : kind == MB_YESNO ? IDNO : IDCANCEL;
    }
    return ui().messageBox(this, message, caption(), buttons, icon);
}

void CompanionForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Hidden by the host (not only minimised with the window): a question or
    // dialog still open goes with the screen, answered as cancelled.
    if (isHidden())
        for (QDialog *box : findChildren<QDialog *>())
            if (box->isVisible())
                box->reject();
}

void CompanionForm::keepUntranslated(QWidget *widget) { tl::Translator::exclude(widget); }

void CompanionForm::setStatus(QLabel *label, const char *source, const QStringList &args)
{
    for (Status &s : statuses_) {
        if (s.label == label) {
            s.source = source;
            s.args = args;
            label->setText(text(source, args));
            return;
        }
    }
    keepUntranslated(label);
    statuses_.append({label, source, args});
    label->setText(text(source, args));
}

void CompanionForm::clearStatus(QLabel *label)
{
    statuses_.removeIf([label](const Status &s) { return s.label == label; });
    keepUntranslated(label);
    label->clear();
}

void CompanionForm::applyStatuses()
{
    statuses_.removeIf([](const Status &s) { return s.label.isNull(); });
    for (const Status &s : statuses_)
        s.label->setText(text(s.source, s.args));
}

} // namespace companions
