#pragma once
// What every companion form shares: it lives inside the host's sheet (one
// form per library, made on the first initialisation), has its own dictionary
// so the host's language hand-over reaches it, and shows its messages and file
// dialogs through the platform's UI seam.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
namespace tl { class Dictionary; class Translator; }

namespace companions {

class CompanionForm : public QWidget {
    Q_OBJECT
public:
    // Fits the host's default sheet.
    static constexpr int kWidth = 515;
    static constexpr int kHeight = 344;

    CompanionForm(QWidget *host, const QString &objectName);
    ~CompanionForm() override;

    // Moves the form into another host window (a later initialisation may pass one).
    void setHost(QWidget *host);
    void setTopLeft(int left, int top);
    void setLanguage(int language, int locale);
    int language() const;

    // A source text in the current language, and with its conversions filled in.
    QString text(const char *source) const;
    QString text(const char *source, const QStringList &args) const;

    // Message box through the UI seam; the caption is the form's own title.
    // None opens while the host has the form hidden.
    int message(const QString &text, int buttons, int icon);

protected:
    // Sets texts that the form changes while it runs (status lines, values):
    // called after each language change. Static captions follow by themselves.
    virtual void retranslate() {}
    // Keeps a label out of the caption translation (device values, file names).
    static void keepUntranslated(QWidget *widget);
    // A status line whose source text is re-translated on language changes.
    void setStatus(QLabel *label, const char *source, const QStringList &args = {});
    void clearStatus(QLabel *label);
    // The caption message boxes carry.
    virtual QString caption() const = 0;
    // Starts following the dictionary; call at the end of the form's construction.
    // The form's push buttons then answer Enter as well as Space.
    void finishConstruction();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void applyStatuses();

    tl::Dictionary *dictionary_;
    tl::Translator *translator_;
    struct Status {
        QPointer<QLabel> label;
        const char *source;
        QStringList args;
    };
    QList<Status> statuses_;
};

} // namespace companions
