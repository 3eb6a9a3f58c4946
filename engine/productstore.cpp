#include "productstore.h"

#include "registry.h"

#include <algorithm>

namespace pw {

void ProductStore::detect(const QDateTime &now)
{
    names_ = reg::subKeys(RegRoot::LocalMachine, QLatin1String(kProductsKey));
    std::sort(names_.begin(), names_.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (int i = 0; i < count(); ++i) {
        if (!date(i, values::NextUpdate).isValid())
            setDate(i, values::NextUpdate, now.addDays(number(i, values::Interval, kDefaultIntervalDays)));
    }
}

int ProductStore::indexOf(const QString &name) const
{
    for (int i = 0; i < count(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString ProductStore::key(int product) const
{
    return QLatin1String(kProductsKey) + QLatin1Char('\\') + name(product);
}

QString ProductStore::text(int product, const char *value, const QString &fallback) const
{
    if (!valid(product))
        return fallback;
    return reg::readString(RegRoot::LocalMachine, key(product), QLatin1String(value)).value_or(fallback);
}

bool ProductStore::setText(int product, const char *value, const QString &text)
{
    return valid(product) && reg::writeString(RegRoot::LocalMachine, key(product), QLatin1String(value), text);
}

long ProductStore::number(int product, const char *value, long fallback) const
{
    if (!valid(product))
        return fallback;
    const auto n = reg::readDword(RegRoot::LocalMachine, key(product), QLatin1String(value));
    return n ? long(qint32(*n)) : fallback;
}

bool ProductStore::setNumber(int product, const char *value, long number)
{
    return valid(product)
           && reg::writeDword(RegRoot::LocalMachine, key(product), QLatin1String(value), quint32(qint32(number)));
}

QDateTime ProductStore::date(int product, const char *value) const
{
    const QString t = text(product, value);
    return t.isEmpty() ? QDateTime() : QDateTime::fromString(t, Qt::ISODate);
}

bool ProductStore::setDate(int product, const char *value, const QDateTime &date)
{
    return setText(product, value, date.isValid() ? date.toString(Qt::ISODate) : QString());
}

long ProductStore::serviceNumber(const char *value, long fallback)
{
    const auto n = reg::readDword(RegRoot::LocalMachine, QLatin1String(kServiceKey), QLatin1String(value));
    return n ? long(qint32(*n)) : fallback;
}

bool ProductStore::setServiceNumber(const char *value, long number)
{
    return reg::writeDword(RegRoot::LocalMachine, QLatin1String(kServiceKey), QLatin1String(value),
                           quint32(qint32(number)));
}

} // namespace pw
