#pragma once
// The host's wrapper of the update engine control: created by its class
// identifier (the registry names the library that serves it), one typed member
// per dispatch id, and the control's event 1 as a signal on the UI thread.

#include "pwdispatch.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class CPatchwellCtrl : public QObject {
    Q_OBJECT
public:
    explicit CPatchwellCtrl(QObject *parent = nullptr);
    ~CPatchwellCtrl() override;

    // Looks the class up under HKEY_CLASSES_ROOT\CLSID, loads its library and
    // creates the object. False (and why) when any step fails.
    bool Create(const QString &classId, QString *why = nullptr);
    // Takes an object made elsewhere (tests); owned from now on.
    void Attach(pw::IDispatchControl *object);
    bool IsCreated() const { return object_ != nullptr; }

    bool GetUpdateRunning();                                       // 1
    long CancelUpdate();                                           // 2
    void SetConfirmAllUpdates(long product, bool on);              // 3
    short GetConnectionType(long product);                         // 6
    QDateTime GetNextUpdate(long product);                         // 7
    long GetProductCount();                                        // 9
    QString GetPreferredConnection(long product);                  // 10
    QDateTime GetPreviousUpdate(long product);                     // 11
    QString GetProductName(long product);                          // 12
    long GetUpdateInterval(long product);                          // 13
    void SetRunFromStartUp(long product, bool on);                 // 15
    void SetConnectionType(long product, short type);              // 16
    void SetNextUpdate(long product, const QDateTime &date);       // 17
    void SetPreferredConnection(long product, const QString &name);// 18
    void SetUpdateInterval(long product, long days);               // 19
    long UpdateNow(long product);                                  // 21
    bool GetConfirmAllUpdates(long product);                       // 22
    long DetectProducts();                                         // 23
    bool GetRunFromStartUp(long product);                          // 24
    long AnswerUpdatePrompt(long product, bool yes);               // 25
    bool GetInstallThroughBrowser(long product);                   // 26
    long GetLogRecordCount();                                      // 27
    void ClearLog();                                               // 28
    bool GetLogAllEvents();                                        // 29
    void SetLogAllEvents(bool on);                                 // 30
    bool AnswerCompletionPrompt(long product, bool yes);           // 31
    QDateTime GetLogRecordTime(long record);                       // 32
    long GetLogRecord(long record, QString &first, QString &second); // 33
    QString GetLogDirectory();                                     // 34
    QString GetReadmeFile(long product);                           // 35
    bool GetProductSiteEnabled(long product);                      // 36
    void SetProductSiteEnabled(long product, bool on);             // 37
    QString GetProductSite(long product);                          // 38
    void SetProductSite(long product, const QString &site);        // 39
    bool GetDialupAvailable();                                     // 40
    void SetPhonebook(long product, const QString &path);          // 41
    QString GetPhonebook(long product);                            // 42
    void LoadPhonebookEntries(long product);                       // 43
    QString GetPhonebookEntry(long product, long entry);           // 44
    long GetPhonebookEntryCount(long product);                     // 45
    void SetUpdateAlert(bool on);                                  // 47
    long GetRecentUpdateCount();                                   // 48
    QString GetUserName(long product);                             // 49
    QString GetPassword(long product);                             // 50
    void SetUserName(long product, const QString &name);           // 51
    void SetPassword(long product, const QString &password);       // 52
    void SetUserNameEnabled(long product, bool on);                // 53
    bool GetUserNameEnabled(long product);                         // 54

signals:
    void Event1(long kind, long number, const QString &text);

private:
    QVariant call(int id, QVariantList args = {});
    pw::IDispatchControl *object_ = nullptr;
    void *library_ = nullptr;
};
