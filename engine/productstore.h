#pragma once
// The engine's products and their update settings. A product is a key under
// HKEY_LOCAL_MACHINE "Software\Varnel\Patchwell\Products", written by the
// programs that register with the update service; every setting the host edits
// is a value of that key, so it survives a restart and other processes see it.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace pw {

inline constexpr const char *kServiceKey = "Software\\Varnel\\Patchwell";
inline constexpr const char *kProductsKey = "Software\\Varnel\\Patchwell\\Products";
inline constexpr int kDefaultIntervalDays = 30;

class ProductStore {
public:
    // Re-reads the product keys (sorted by name, letter case ignored); a product
    // seen for the first time gets its next update date (now + interval).
    void detect(const QDateTime &now);
    int count() const { return int(names_.size()); }
    bool valid(int product) const { return product >= 0 && product < count(); }
    QString name(int product) const { return valid(product) ? names_[product] : QString(); }
    int indexOf(const QString &name) const;
    QString key(int product) const;

    QString text(int product, const char *value, const QString &fallback = {}) const;
    bool setText(int product, const char *value, const QString &text);
    long number(int product, const char *value, long fallback) const;
    bool setNumber(int product, const char *value, long number);
    QDateTime date(int product, const char *value) const;       // invalid when unset
    bool setDate(int product, const char *value, const QDateTime &date);

    // Settings of the service as a whole (log-all-events, the recent-update count).
    static long serviceNumber(const char *value, long fallback);
    static bool setServiceNumber(const char *value, long number);

private:
    QStringList names_;
};

// Value names of a product key.
namespace values {
inline constexpr const char *InstalledVersion = "InstalledVersion";
inline constexpr const char *UpdateUrl = "ProductUpdateURL";
inline constexpr const char *UpdateIniDirectory = "UpdateIniDirectory";
inline constexpr const char *InstallDirectory = "InstallDirectory";
inline constexpr const char *UpdatePublicKey = "UpdatePublicKey";   // pinned keys, blank-separated
inline constexpr const char *Interval = "UpdateInterval";
inline constexpr const char *NextUpdate = "NextUpdate";
inline constexpr const char *PreviousUpdate = "PreviousUpdate";
inline constexpr const char *ConnectionType = "ConnectionType";
inline constexpr const char *PreferredConnection = "PreferredConnection";
inline constexpr const char *Phonebook = "PhoneBook";
inline constexpr const char *UserName = "UserName";
inline constexpr const char *Password = "Password";
inline constexpr const char *UserNameEnabled = "UserNameEnabled";
inline constexpr const char *ConfirmAllUpdates = "ConfirmAllUpdates";
inline constexpr const char *RunFromStartUp = "RunFromStartUp";
inline constexpr const char *ProductSite = "ProductSite";
inline constexpr const char *ProductSiteEnabled = "ProductSiteEnabled";
inline constexpr const char *LogAllEvents = "LogAllEvents";
inline constexpr const char *RecentUpdates = "RecentUpdates";
} // namespace values

} // namespace pw
