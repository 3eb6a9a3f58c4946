#pragma once
// The update engine's dispatch interface, as the host sees it. The host calls
// methods by number (the dispatch ids below) with their arguments in a list;
// arguments passed by reference (the texts of a log record) come back in the
// same list. The engine reports to the host through one event (id 1), always on
// the thread that runs the host's event loop.

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>

namespace pw {

// The class identifier the engine registers under HKEY_CLASSES_ROOT\CLSID.
inline constexpr const char *kEngineClassId = "{CCFDE578-9BE0-11D1-8E3E-00A02450872B}";
inline constexpr const char *kEngineFileName = "Patchwell.ocx";

enum DispId : int {
    DispUpdateRunning = 1,
    DispCancelUpdate = 2,
    DispSetConfirmAllUpdates = 3,
    DispGetConnectionType = 6,
    DispGetNextUpdate = 7,
    DispGetProductCount = 9,
    DispGetPreferredConnection = 10,
    DispGetPreviousUpdate = 11,
    DispGetProductName = 12,
    DispGetUpdateInterval = 13,
    DispSetRunFromStartUp = 15,
    DispSetConnectionType = 16,
    DispSetNextUpdate = 17,
    DispSetPreferredConnection = 18,
    DispSetUpdateInterval = 19,
    DispUpdateNow = 21,
    DispGetConfirmAllUpdates = 22,
    DispDetectProducts = 23,
    DispGetRunFromStartUp = 24,
    DispAnswerUpdatePrompt = 25,
    DispGetInstallThroughBrowser = 26,
    DispGetLogRecordCount = 27,
    DispClearLog = 28,
    DispGetLogAllEvents = 29,
    DispSetLogAllEvents = 30,
    DispAnswerCompletionPrompt = 31,
    DispGetLogRecordTime = 32,
    DispGetLogRecord = 33,
    DispGetLogDirectory = 34,
    DispGetReadmeFile = 35,
    DispGetProductSiteEnabled = 36,
    DispSetProductSiteEnabled = 37,
    DispGetProductSite = 38,
    DispSetProductSite = 39,
    DispGetDialupAvailable = 40,
    DispSetPhonebook = 41,
    DispGetPhonebook = 42,
    DispLoadPhonebookEntries = 43,
    DispGetPhonebookEntry = 44,
    DispGetPhonebookEntryCount = 45,
    DispSetUpdateAlert = 47,
    DispGetRecentUpdateCount = 48,
    DispGetUserName = 49,
    DispGetPassword = 50,
    DispSetUserName = 51,
    DispSetPassword = 52,
    DispSetUserNameEnabled = 53,
    DispGetUserNameEnabled = 54,
};

// Result codes of the methods that return one.
inline constexpr long S_OK_ = 0;
inline constexpr long E_FAIL_ = static_cast<long>(0x80004005L);
inline constexpr long E_INVALIDARG_ = static_cast<long>(0x80070057L);
inline constexpr long E_BUSY_ = static_cast<long>(0x800700AAL);   // another update is running

// Event 1: kind, number, text.
using EventSink = std::function<void(long kind, long number, const QString &text)>;

class IDispatchControl {
public:
    virtual ~IDispatchControl() = default;
    // Calls a method; an unknown id or wrong arguments give an invalid QVariant
    // and set ok to false when given.
    virtual QVariant Invoke(int dispId, QVariantList &args, bool *ok = nullptr) = 0;
    virtual void Advise(EventSink sink) = 0;
    virtual void Release() = 0;   // the object deletes itself
};

} // namespace pw

// The engine library's exports (resolved by name):
//   long DllRegisterServer();
//   long DllUnregisterServer();
//   long DllGetClassObject(const char *classId, pw::IDispatchControl **object);
using PwRegisterFunction = long (*)();
using PwGetClassObjectFunction = long (*)(const char *, pw::IDispatchControl **);
