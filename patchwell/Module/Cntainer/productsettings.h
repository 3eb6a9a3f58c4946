#pragma once
// One product's update settings while the sheet is open: a copy of what the
// engine holds, and the set of fields changed since, each known by its change id.

#include <QDateTime>
#include <QSet>
#include <QString>

class CPatchwellCtrl;

namespace changeid {
enum : int {
    ConfirmAllUpdates = 3,
    ConnectionType = 5,
    UserName = 7,
    Password = 9,
    NextUpdate = 11,
    Phonebook = 13,
    PreferredConnection = 15,
    ProductSite = 23,
    RunFromStartUp = 25,
    Interval = 27,
    ProductSiteEnabled = 29,
    UserNameEnabled = 31,
    LogAllEvents = 33,
};
}

class CProductSettings {
public:
    bool logAllEvents = false;
    QString productSite;
    bool productSiteEnabled = false;
    bool userNameEnabled = false;
    int productIndex = -1;
    QString productName;
    bool runFromStartUp = false;
    long updateInterval = 0;
    QDateTime previousUpdate;
    QDateTime nextUpdate;
    short connectionType = 0;
    QString preferredConnection;
    QString loadedPreferredConnection;
    QString phonebook;
    QString loadedPhonebook;
    QString userName;
    QString password;
    bool confirmAllUpdates = false;
    QSet<int> changedFields;

    // Id 0 only stores (loading); any other id also marks the field changed.
    void SetLogAllEvents(bool v, int id) { logAllEvents = v; mark(id); }
    void SetProductSite(const QString &v, int id) { productSite = v; mark(id); }
    void SetProductSiteEnabled(bool v, int id) { productSiteEnabled = v; mark(id); }
    void SetUserNameEnabled(bool v, int id) { userNameEnabled = v; mark(id); }
    void SetProductIndex(int v) { productIndex = v; }
    void SetProductName(const QString &v) { productName = v; }
    void SetRunFromStartUp(bool v, int id) { runFromStartUp = v; mark(id); }
    void SetUpdateInterval(long v, int id) { updateInterval = v; mark(id); }
    void SetPreviousUpdate(const QDateTime &v) { previousUpdate = v; }
    void SetNextUpdate(const QDateTime &v, int id) { nextUpdate = v; mark(id); }
    void SetConnectionType(short v, int id) { connectionType = v; mark(id); }
    void SetPreferredConnection(const QString &v, int id);
    void SetPhonebook(const QString &v, int id);
    void SetUserName(const QString &v, int id) { userName = v; mark(id); }
    void SetPassword(const QString &v, int id) { password = v; mark(id); }
    void SetConfirmAllUpdates(bool v, int id) { confirmAllUpdates = v; mark(id); }

    // Writes the changed fields to the engine in change-id order and empties the
    // set; anyWantsStartUp is what id 25 writes (the shortcut follows the same value).
    void WriteBack(CPatchwellCtrl &ctrl, bool anyWantsStartUp);
    // Puts the phonebook and preferred connection as loaded back into the engine.
    void RestoreLoadedNames(CPatchwellCtrl &ctrl);
    // Reads every field from the engine with id 0.
    void Load(CPatchwellCtrl &ctrl, int index);
    // After a run: the previous date the engine moved, and the next one with it
    // (counted from the new previous date when the interval was edited meanwhile).
    void ReloadRunDates(CPatchwellCtrl &ctrl);

private:
    void mark(int id)
    {
        if (id != 0)
            changedFields.insert(id);
    }
};
