#include "uiservices.h"

#include "paths.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#ifndef TALLYLINE_SOURCE_HELP_DIR
// The source tree's help pages, for programs run from the build directory.
#define TALLYLINE_SOURCE_HELP_DIR ""
#endif

namespace {

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" as the programs write filters,
// turned into Qt's "Text files (*.txt);;All files (*.*)".
QString qtFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        out << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

QString sourceHelpDir()
{
    const QString defined = QStringLiteral(TALLYLINE_SOURCE_HELP_DIR);
    if (!defined.isEmpty())
        return defined;
    // This file lies in <source>/platform/.
    const QFileInfo self(QStringLiteral(__FILE__));
    return self.isAbsolute() ? self.dir().absolutePath() + QStringLiteral("/../resources/help") : QString();
}

QStringList helpDirectories()
{
    QStringList dirs;
    const QString env = qEnvironmentVariable("TALLYLINE_HELP_DIR");
    if (!env.isEmpty())
        return {env};
    dirs << tl::installedDataDirectory() + QStringLiteral("/help");
    const QString source = sourceHelpDir();
    if (!source.isEmpty())
        dirs << source;
    return dirs;
}

class QtUiServices : public UiServices {
public:
    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons,
                   int icon) override
    {
        QMessageBox box(parent);
        if (windowModal)
            box.setWindowModality(Qt::WindowModal);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (icon & 0xF0) {
        case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        QList<QPair<QMessageBox::StandardButton, int>> map;
        switch (buttons & 0x0F) {
        case MB_OKCANCEL: map = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_YESNOCANCEL: map = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_YESNO: map = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
        case MB_RETRYCANCEL: map = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
        default: map = {{QMessageBox::Ok, IDOK}}; break;
        }
        QMessageBox::StandardButtons standard;
        for (const auto &m : map)
            standard |= m.first;
        box.setStandardButtons(standard);
        const int chosen = box.exec();
        for (const auto &m : map)
            if (m.first == chosen)
                return m.second;
        // Closed by the window's close box: Cancel where there is one.
        return map.size() == 1 ? IDOK : (buttons & 0x0F) == MB_YESNO ? IDNO : IDCANCEL;
    }

    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override
    {
        if (windowModal)
            return fileDialog(parent, title, directory, filter, QFileDialog::AcceptOpen);
        return QFileDialog::getOpenFileName(parent, title, directory, qtFilter(filter));
    }

    QString saveFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override
    {
        if (windowModal)
            return fileDialog(parent, title, directory, filter, QFileDialog::AcceptSave);
        return QFileDialog::getSaveFileName(parent, title, directory, qtFilter(filter));
    }

    static QString fileDialog(QWidget *parent, const QString &title, const QString &directory, const QString &filter,
                              QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(parent, title, directory, qtFilter(filter));
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    bool showHelp(QWidget *parent, const QString &helpFile, int context) override
    {
        const QString page = helpPage(helpFile, context);
        if (page.isEmpty())
            return false;
        // One help window, reused, that stays open beside the program as help does.
        if (!viewer_) {
            viewer_ = new QDialog(parent);
            viewer_->setAttribute(Qt::WA_DeleteOnClose);
            viewer_->resize(640, 480);
            auto *layout = new QVBoxLayout(viewer_);
            browser_ = new QTextBrowser(viewer_);
            browser_->setOpenExternalLinks(true);
            layout->addWidget(browser_);
        }
        viewer_->setWindowTitle(QFileInfo(helpFile).completeBaseName());
        browser_->setSource(QUrl::fromLocalFile(page));
        viewer_->show();
        viewer_->raise();
        viewer_->activateWindow();
        return true;
    }

    int chooseLanguage(QWidget *parent, const QList<LanguageChoice> &languages, int currentId) override
    {
        if (dialog)
            return dialog(parent, languages, currentId);
        QStringList names;
        int current = 0;
        for (const LanguageChoice &l : languages) {
            if (l.languageId == currentId)
                current = int(names.size());
            names << l.name;
        }
        bool ok = false;
        const QString chosen = QInputDialog::getItem(parent, QStringLiteral("Language"), QStringLiteral("Language"),
                                                     names, current, false, &ok);
        const qsizetype index = names.indexOf(chosen);
        return ok && index >= 0 ? languages[index].languageId : -1;
    }

    static QString helpPage(const QString &helpFile, int context)
    {
        const QString base = QFileInfo(QString(helpFile).replace(QLatin1Char('\\'), QLatin1Char('/'))).completeBaseName();
        if (base.isEmpty())
            return {};
        // Help file names are given in any letter case; the pages are also looked for in lower case.
        QStringList names{base};
        if (base.toLower() != base)
            names << base.toLower();
        for (const QString &dir : helpDirectories()) {
            for (const QString &name : names) {
                const QString byContext = QStringLiteral("%1/%2/%3.html").arg(dir, name).arg(context);
                if (QFileInfo::exists(byContext))
                    return QFileInfo(byContext).absoluteFilePath();
            }
            for (const QString &name : names) {
                const QString whole = QStringLiteral("%1/%2.html").arg(dir, name);
                if (QFileInfo::exists(whole))
                    return QFileInfo(whole).absoluteFilePath();
            }
        }
        return {};
    }

    LanguageDialogFunction dialog;
    bool windowModal = false;

private:
    QPointer<QDialog> viewer_;
    QTextBrowser *browser_ = nullptr;
};

QtUiServices &defaultServices()
{
    static QtUiServices services;
    return services;
}

UiServices *&installed()
{
    static UiServices *services = nullptr;
    return services;
}

template <typename T>
T takeFirstOr(QList<T> &queue, T fallback)
{
    return queue.isEmpty() ? fallback : queue.takeFirst();
}

} // namespace

UiServices &ui() { return installed() ? *installed() : defaultServices(); }

void setUiServices(UiServices *services) { installed() = services; }

void setLanguageDialog(LanguageDialogFunction dialog) { defaultServices().dialog = std::move(dialog); }

void setWindowModalDialogs(bool on) { defaultServices().windowModal = on; }

QString helpPagePath(const QString &helpFile, int context) { return QtUiServices::helpPage(helpFile, context); }

int ScriptedUiServices::messageBox(QWidget *, const QString &text, const QString &caption, int buttons,
                                   int)
{
    shown.append({QStringLiteral("messageBox"), text, caption, buttons});
    if (onMessage)
        onMessage(text);
    const int kind = buttons & 0x0F;
    // Unscripted: the first button, except that Retry/Cancel cancels so a retry loop ends.
    const int fallback = kind == MB_YESNO || kind == MB_YESNOCANCEL ? IDYES
                         : kind == MB_RETRYCANCEL                 ? IDCANCEL
                                                                  : IDOK;
    return takeFirstOr(messageAnswers, fallback);
}

QString ScriptedUiServices::openFileName(QWidget *, const QString &title, const QString &,
                                         const QString &filter)
{
    shown.append({QStringLiteral("open"), title, filter, 0});
    if (onFileDialog)
        onFileDialog(title);
    return takeFirstOr(fileAnswers, QString());
}

QString ScriptedUiServices::saveFileName(QWidget *, const QString &title, const QString &,
                                         const QString &filter)
{
    shown.append({QStringLiteral("save"), title, filter, 0});
    if (onFileDialog)
        onFileDialog(title);
    return takeFirstOr(fileAnswers, QString());
}

bool ScriptedUiServices::showHelp(QWidget *, const QString &helpFile, int context)
{
    shown.append({QStringLiteral("help"), helpFile, QString(), context});
    return helpExists;
}

int ScriptedUiServices::chooseLanguage(QWidget *, const QList<LanguageChoice> &, int currentId)
{
    shown.append({QStringLiteral("language"), QString(), QString(), currentId});
    return takeFirstOr(languageAnswers, -1);
}

QStringList ScriptedUiServices::messages() const
{
    QStringList texts;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("messageBox"))
            texts << s.text;
    return texts;
}
