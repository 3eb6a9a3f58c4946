// Loading and unloading the product libraries, the language they are told,
// and the two messages by which they call back.

#include "containerframe.h"
#include "language.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>

#include <type_traits>
#include <utility>

namespace {

QString &libraryDirectory()
{
    static QString directory;
    return directory;
}

const char *const kMissingLibrary =
    "The following file is missing or corrupted: %s.\n\nPlease re-install the software for your product.";

} // namespace

void setProductLibraryDirectory(const QString &directory) { libraryDirectory() = directory; }
QString productLibraryDirectory() { return libraryDirectory(); }

bool ProductLibraries::configLoadedFor(const QString &modemSelected) const
{
    if (modemSelected == QLatin1String("56KModem"))
        return config.module != nullptr;
    if (modemSelected == QLatin1String("ISDNTA"))
        return quillon.module != nullptr;
    if (modemSelected == QLatin1String("IDSL"))
        return idsl.module != nullptr;
    return false;
}

template <class Library> void TcontainerFrame::loadLibrary(Library &library)
{
    if (library.module)
        return;
    const QString directory = productLibraryDirectory();
    const QString name = QString::fromLatin1(Library::loadName);
    HMODULE module = LoadLibrary(directory.isEmpty() ? name : directory + QLatin1Char('/') + name);
    bool complete = module != nullptr;
    if (module) {
        library.exports([&](const char *exportName, auto &entry) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(GetProcAddress(module, exportName));
            if (!entry) {
                complete = false;
                log("missing export %s\n", QString::fromLatin1(exportName));
            }
        });
    }
    if (complete) {
        library.module = module;
        return;
    }
    // A library without all its exports is as good as absent: nothing of it is called.
    library.exports([](const char *, auto &entry) { entry = nullptr; });
    if (module)
        FreeLibrary(module);
    QString text = tr_(kMissingLibrary);
    text.replace(text.indexOf(QLatin1String("%s")), 2, QString::fromLatin1(Library::messageName));
    messageBox(text);
}

void TcontainerFrame::LoadLibraries()
{
    loadLibrary(libs.config);
    loadLibrary(libs.quillon);
    loadLibrary(libs.terminal);
    loadLibrary(libs.updater);
    loadLibrary(libs.decoder);
    loadLibrary(libs.idsl);
}

template <class Library> bool TcontainerFrame::unloadLibrary(Library &library, void (*destroy)())
{
    if (!library.module)
        return true;
    if (destroy)
        destroy();
    const bool freed = FreeLibrary(library.module);
    library.module = nullptr;
    library.exports([](const char *, auto &entry) { entry = nullptr; });
    return freed;
}

void TcontainerFrame::UnloadLibraries()
{
    // The system gives no error code for a failed release here; 0 stands in for it.
    if (!unloadLibrary(libs.config, libs.config.DestroyDll))
        log("failed: %d FreeLibrary (configDllInstance)\n", 0);
    if (!unloadLibrary(libs.quillon, libs.quillon.DestroyQuillonDll))
        log("failed: FreeLibrary (QuillonDllInstance)\n");
    if (!unloadLibrary(libs.terminal, libs.terminal.DestroyDll))
        log("failed: FreeLibrary (terminalInstance)\n");
    if (!unloadLibrary(libs.updater, libs.updater.DestroyDll))
        log("failed: FreeLibrary (FlashFromDiskInstance)\n");
    if (!unloadLibrary(libs.decoder, libs.decoder.DestroyDecoderDll))
        log("failed: FreeLibrary (DecoderDllInstance)\n");
    if (!unloadLibrary(libs.idsl, libs.idsl.DestroyIDSLFormDll))
        log("failed: %d FreeLibrary (IDSL_DllInstance)\n", 0);
    control = QStringLiteral("None");
}

namespace {

// Closes every box that is open, modal or waited for while shown (the CD
// prompt), so that the nested loop it runs can return.
void closeOpenBoxes()
{
    QWidget *last = nullptr;
    while (QWidget *box = QApplication::activeModalWidget()) {
        if (box == last)
            break;   // it would not close; the next look tries again
        last = box;
        if (auto *dialog = qobject_cast<QDialog *>(box))
            dialog->reject();
        else
            box->close();
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
            dialog->reject();
    }
}

} // namespace

void TcontainerFrame::unloadAndFinish(std::function<void()> finish)
{
    pendingFinish_.append(std::move(finish));
    const int level = QThread::currentThread()->loopLevel();
    if (mainLoopLevel < 0 || level <= mainLoopLevel) {
        runPendingExit();
        return;
    }
    log("exit waits for %d nested loops\n", level - mainLoopLevel);
    closeOpenBoxes();
    finishWhenLoopsReturned();
}

void TcontainerFrame::finishWhenLoopsReturned()
{
    if (!exitPoll_) {
        exitPoll_ = new QTimer(this);
        exitPoll_->setInterval(20);
        connect(exitPoll_, &QTimer::timeout, this, [this] {
            closeOpenBoxes();   // a box opened by the code still returning
            if (QThread::currentThread()->loopLevel() <= mainLoopLevel) {
                exitPoll_->stop();
                runPendingExit();
            }
        });
    }
    exitPoll_->start();
}

void TcontainerFrame::runPendingExit()
{
    if (pendingFinish_.isEmpty())
        return;
    if (exitPoll_)
        exitPoll_->stop();
    UnloadLibraries();
    const QList<std::function<void()>> finishes = std::exchange(pendingFinish_, {});
    for (const auto &finish : finishes)
        finish();
}

int TcontainerFrame::libraryLanguage() const
{
    return dictionary ? dictionary->currentLanguage() : 0x409;
}

int TcontainerFrame::libraryLocale() const
{
    return dictionary ? dictionary->currentLocale() : 0x409;
}

void TcontainerFrame::ChangeLanguage(int languageId)
{
    if (dictionary) {
        dictionary->selectLanguage(languageId);
        dictionary->activate();
    }
    nameCallLog();
    const int language = libraryLanguage();
    const int locale = libraryLocale();
    // The IDSL library keeps the language it was shown with.
    if (libs.config.module)
        libs.config.SetConfigLanguage(language, locale);
    if (libs.quillon.module)
        libs.quillon.SetQuillonLanguage(language, locale);
    if (libs.decoder.module)
        libs.decoder.SetPPPLanguage(language, locale);
    if (libs.terminal.module)
        libs.terminal.SetTermLanguage(language, locale);
    if (libs.updater.module)
        libs.updater.SetFlashLanguage(language, locale);
}

void TcontainerFrame::WMFormFinished(qintptr lParam)
{
    if (lParam == 0) {
        if (!hideTool())
            return;   // another tool came meanwhile and is shown
        control = QStringLiteral("None");
        RefreshProductInfoAndWait();
    }
    EnableTools();
}

int TcontainerFrame::EuropeanSwitchStatus()
{
    if (bQuillonInitialized && libs.quillon.module)
        return libs.quillon.EuropeanSwitchStatus();
    if (switchSettingsText.isEmpty())
        return 255;   // undecided
    return switchSettingsText.contains(QLatin1String("*W =0")) ? 1 : 0;
}
