#include "patchwellctrl.h"

#include "modules.h"
#include "registry.h"

#include <QPointer>

CPatchwellCtrl::CPatchwellCtrl(QObject *parent) : QObject(parent) {}

CPatchwellCtrl::~CPatchwellCtrl()
{
    if (object_)
        object_->Release();
    // The library's code stays mapped (it is marked not to be unloaded): events
    // it queued may still be on their way. Only the handle goes.
    if (library_)
        FreeLibrary(library_);
}

bool CPatchwellCtrl::Create(const QString &classId, QString *why)
{
    auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    const QString key = QStringLiteral("CLSID\\") + classId + QStringLiteral("\\InprocServer32");
    const QString path = reg::readString(RegRoot::ClassesRoot, key, QString()).value_or(QString());
    if (path.isEmpty())
        return fail(QStringLiteral("class %1 is not registered").arg(classId));
    library_ = LoadLibrary(path);
    if (!library_)
        return fail(lastModuleError());
    auto create = reinterpret_cast<PwGetClassObjectFunction>(GetProcAddress(library_, "DllGetClassObject"));
    if (!create)
        return fail(QStringLiteral("%1 has no DllGetClassObject").arg(path));
    pw::IDispatchControl *object = nullptr;
    if (create(classId.toLatin1().constData(), &object) != pw::S_OK_ || !object)
        return fail(QStringLiteral("%1 did not create %2").arg(path, classId));
    Attach(object);
    return true;
}

void CPatchwellCtrl::Attach(pw::IDispatchControl *object)
{
    if (object_)
        object_->Release();
    object_ = object;
    QPointer<CPatchwellCtrl> self(this);
    object_->Advise([self](long kind, long number, const QString &text) {
        if (self)
            emit self->Event1(kind, number, text);
    });
}

QVariant CPatchwellCtrl::call(int id, QVariantList args)
{
    if (!object_)
        return {};
    return object_->Invoke(id, args);
}

using namespace pw;

bool CPatchwellCtrl::GetUpdateRunning() { return call(DispUpdateRunning).toBool(); }
long CPatchwellCtrl::CancelUpdate() { return long(call(DispCancelUpdate).toLongLong()); }
void CPatchwellCtrl::SetConfirmAllUpdates(long p, bool on) { call(DispSetConfirmAllUpdates, {qlonglong(p), on}); }
short CPatchwellCtrl::GetConnectionType(long p) { return short(call(DispGetConnectionType, {qlonglong(p)}).toInt()); }
QDateTime CPatchwellCtrl::GetNextUpdate(long p) { return call(DispGetNextUpdate, {qlonglong(p)}).toDateTime(); }
long CPatchwellCtrl::GetProductCount() { return long(call(DispGetProductCount).toLongLong()); }
QString CPatchwellCtrl::GetPreferredConnection(long p) { return call(DispGetPreferredConnection, {qlonglong(p)}).toString(); }
QDateTime CPatchwellCtrl::GetPreviousUpdate(long p) { return call(DispGetPreviousUpdate, {qlonglong(p)}).toDateTime(); }
QString CPatchwellCtrl::GetProductName(long p) { return call(DispGetProductName, {qlonglong(p)}).toString(); }
long CPatchwellCtrl::GetUpdateInterval(long p) { return long(call(DispGetUpdateInterval, {qlonglong(p)}).toLongLong()); }
void CPatchwellCtrl::SetRunFromStartUp(long p, bool on) { call(DispSetRunFromStartUp, {qlonglong(p), on}); }
void CPatchwellCtrl::SetConnectionType(long p, short t) { call(DispSetConnectionType, {qlonglong(p), int(t)}); }
void CPatchwellCtrl::SetNextUpdate(long p, const QDateTime &d) { call(DispSetNextUpdate, {qlonglong(p), d}); }
void CPatchwellCtrl::SetPreferredConnection(long p, const QString &n) { call(DispSetPreferredConnection, {qlonglong(p), n}); }
void CPatchwellCtrl::SetUpdateInterval(long p, long days) { call(DispSetUpdateInterval, {qlonglong(p), qlonglong(days)}); }
long CPatchwellCtrl::UpdateNow(long p) { return long(call(DispUpdateNow, {qlonglong(p)}).toLongLong()); }
bool CPatchwellCtrl::GetConfirmAllUpdates(long p) { return call(DispGetConfirmAllUpdates, {qlonglong(p)}).toBool(); }
long CPatchwellCtrl::DetectProducts() { return long(call(DispDetectProducts).toLongLong()); }
bool CPatchwellCtrl::GetRunFromStartUp(long p) { return call(DispGetRunFromStartUp, {qlonglong(p)}).toBool(); }
long CPatchwellCtrl::AnswerUpdatePrompt(long p, bool yes) { return long(call(DispAnswerUpdatePrompt, {qlonglong(p), yes}).toLongLong()); }
bool CPatchwellCtrl::GetInstallThroughBrowser(long p) { return call(DispGetInstallThroughBrowser, {qlonglong(p)}).toBool(); }
long CPatchwellCtrl::GetLogRecordCount() { return long(call(DispGetLogRecordCount).toLongLong()); }
void CPatchwellCtrl::ClearLog() { call(DispClearLog); }
bool CPatchwellCtrl::GetLogAllEvents() { return call(DispGetLogAllEvents).toBool(); }
void CPatchwellCtrl::SetLogAllEvents(bool on) { call(DispSetLogAllEvents, {on}); }
bool CPatchwellCtrl::AnswerCompletionPrompt(long p, bool yes) { return call(DispAnswerCompletionPrompt, {qlonglong(p), yes}).toBool(); }
QDateTime CPatchwellCtrl::GetLogRecordTime(long r) { return call(DispGetLogRecordTime, {qlonglong(r)}).toDateTime(); }
long CPatchwellCtrl::GetLogRecord(long r, QString &first, QString &second)
{
    QVariantList args{qlonglong(r), first, second};
    if (!object_)
        return -1;
    const QVariant kind = object_->Invoke(DispGetLogRecord, args);
    first = args.value(1).toString();
    second = args.value(2).toString();
    return long(kind.toLongLong());
}
QString CPatchwellCtrl::GetLogDirectory() { return call(DispGetLogDirectory).toString(); }
QString CPatchwellCtrl::GetReadmeFile(long p) { return call(DispGetReadmeFile, {qlonglong(p)}).toString(); }
bool CPatchwellCtrl::GetProductSiteEnabled(long p) { return call(DispGetProductSiteEnabled, {qlonglong(p)}).toBool(); }
void CPatchwellCtrl::SetProductSiteEnabled(long p, bool on) { call(DispSetProductSiteEnabled, {qlonglong(p), on}); }
QString CPatchwellCtrl::GetProductSite(long p) { return call(DispGetProductSite, {qlonglong(p)}).toString(); }
void CPatchwellCtrl::SetProductSite(long p, const QString &s) { call(DispSetProductSite, {qlonglong(p), s}); }
bool CPatchwellCtrl::GetDialupAvailable() { return call(DispGetDialupAvailable).toBool(); }
void CPatchwellCtrl::SetPhonebook(long p, const QString &path) { call(DispSetPhonebook, {qlonglong(p), path}); }
QString CPatchwellCtrl::GetPhonebook(long p) { return call(DispGetPhonebook, {qlonglong(p)}).toString(); }
void CPatchwellCtrl::LoadPhonebookEntries(long p) { call(DispLoadPhonebookEntries, {qlonglong(p)}); }
QString CPatchwellCtrl::GetPhonebookEntry(long p, long e) { return call(DispGetPhonebookEntry, {qlonglong(p), qlonglong(e)}).toString(); }
long CPatchwellCtrl::GetPhonebookEntryCount(long p) { return long(call(DispGetPhonebookEntryCount, {qlonglong(p)}).toLongLong()); }
void CPatchwellCtrl::SetUpdateAlert(bool on) { call(DispSetUpdateAlert, {on}); }
long CPatchwellCtrl::GetRecentUpdateCount() { return long(call(DispGetRecentUpdateCount).toLongLong()); }
QString CPatchwellCtrl::GetUserName(long p) { return call(DispGetUserName, {qlonglong(p)}).toString(); }
QString CPatchwellCtrl::GetPassword(long p) { return call(DispGetPassword, {qlonglong(p)}).toString(); }
void CPatchwellCtrl::SetUserName(long p, const QString &n) { call(DispSetUserName, {qlonglong(p), n}); }
void CPatchwellCtrl::SetPassword(long p, const QString &pw) { call(DispSetPassword, {qlonglong(p), pw}); }
void CPatchwellCtrl::SetUserNameEnabled(long p, bool on) { call(DispSetUserNameEnabled, {qlonglong(p), on}); }
bool CPatchwellCtrl::GetUserNameEnabled(long p) { return call(DispGetUserNameEnabled, {qlonglong(p)}).toBool(); }
