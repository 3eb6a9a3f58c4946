#include "productsettings.h"

#include "patchwellctrl.h"

void CProductSettings::SetPreferredConnection(const QString &v, int id)
{
    preferredConnection = v;
    if (id == 0)
        loadedPreferredConnection = v;
    mark(id);
}

void CProductSettings::SetPhonebook(const QString &v, int id)
{
    phonebook = v;
    if (id == 0)
        loadedPhonebook = v;
    mark(id);
}

void CProductSettings::Load(CPatchwellCtrl &c, int i)
{
    SetLogAllEvents(c.GetLogAllEvents(), 0);
    SetProductSiteEnabled(c.GetProductSiteEnabled(i), 0);
    SetProductSite(c.GetProductSite(i), 0);
    SetUserNameEnabled(c.GetUserNameEnabled(i), 0);
    if (userNameEnabled) {
        SetUserName(c.GetUserName(i), 0);
        SetPassword(c.GetPassword(i), 0);
    }
    SetProductName(c.GetProductName(i));
    SetProductIndex(i);
    SetRunFromStartUp(c.GetRunFromStartUp(i), 0);
    SetUpdateInterval(c.GetUpdateInterval(i), 0);
    SetNextUpdate(c.GetNextUpdate(i), 0);
    SetPreviousUpdate(c.GetPreviousUpdate(i));
    SetConnectionType(c.GetConnectionType(i), 0);
    SetPreferredConnection(c.GetPreferredConnection(i), 0);
    SetPhonebook(c.GetPhonebook(i), 0);
    SetUserName(c.GetUserName(i), 0);
    SetPassword(c.GetPassword(i), 0);
    SetConfirmAllUpdates(c.GetConfirmAllUpdates(i), 0);
}

void CProductSettings::ReloadRunDates(CPatchwellCtrl &c)
{
    previousUpdate = c.GetPreviousUpdate(productIndex);
    if (changedFields.contains(changeid::Interval) && previousUpdate.isValid()) {
        nextUpdate = previousUpdate.addDays(qMax(1L, updateInterval));
        changedFields.insert(changeid::NextUpdate);
    } else {
        nextUpdate = c.GetNextUpdate(productIndex);
        changedFields.remove(changeid::NextUpdate);
    }
}

void CProductSettings::WriteBack(CPatchwellCtrl &c, bool anyWantsStartUp)
{
    const long p = productIndex;
    for (int id = 0; id <= 33 && !changedFields.isEmpty(); ++id) {
        if (!changedFields.remove(id))
            continue;
        switch (id) {
        case changeid::ConfirmAllUpdates: c.SetConfirmAllUpdates(p, confirmAllUpdates); break;
        case changeid::ConnectionType: c.SetConnectionType(p, connectionType); break;
        case changeid::UserName: c.SetUserName(p, userName); break;
        case changeid::Password: c.SetPassword(p, password); break;
        case changeid::NextUpdate:
            // A next look before the previous one would run at once at the next start.
            if (previousUpdate.isValid() && nextUpdate.isValid() && nextUpdate < previousUpdate)
                nextUpdate = previousUpdate.addDays(qMax(1L, updateInterval));
            c.SetNextUpdate(p, nextUpdate);
            break;
        case changeid::Phonebook: c.SetPhonebook(p, phonebook); break;
        case changeid::PreferredConnection: c.SetPreferredConnection(p, preferredConnection); break;
        case changeid::ProductSite: c.SetProductSite(p, productSite); break;
        case changeid::RunFromStartUp: c.SetRunFromStartUp(p, anyWantsStartUp); break;
        case changeid::Interval: c.SetUpdateInterval(p, updateInterval); break;
        case changeid::ProductSiteEnabled: c.SetProductSiteEnabled(p, productSiteEnabled); break;
        case changeid::UserNameEnabled: c.SetUserNameEnabled(p, userNameEnabled); break;
        case changeid::LogAllEvents: c.SetLogAllEvents(logAllEvents); break;
        default: break;
        }
    }
}

void CProductSettings::RestoreLoadedNames(CPatchwellCtrl &c)
{
    if (changedFields.remove(changeid::Phonebook))
        c.SetPhonebook(productIndex, loadedPhonebook);
    if (changedFields.remove(changeid::PreferredConnection))
        c.SetPreferredConnection(productIndex, loadedPreferredConnection);
}
