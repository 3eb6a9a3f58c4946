#include "startup.h"

#include "language.h"
#include "singleinstance.h"
#include "uiservices.h"

bool anotherPortdeckRunning(const LanguageDictionary *dictionary)
{
    if (!NamedMutex::exists(QStringLiteral("Portdeck.exe")))
        return false;
    const QString text = QStringLiteral("Portdeck is already running");
    ui().messageBox(nullptr, dictionary ? dictionary->translate(text) : text, QStringLiteral("Portdeck"), MB_OK,
                    MB_ICONNONE);
    return true;
}
