#pragma once
// The engine as the host drives it, on a fresh machine state, against a test
// site: call methods by number, collect the events, wait for a kind.

#include "control.h"
#include "fresh_root.h"
#include "registry.h"
#include "sitefixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace pw;

inline const char *const kProduct = "Varnel Brenmoor ISDN TA";

struct Event {
    long kind;
    long number;
    QString text;
};

class Engine : public ::testing::Test {
protected:
    FreshRoot root;
    TestSite site;
    std::unique_ptr<PatchwellControl> control;
    QList<Event> events;

    QString productKey() const { return QLatin1String(kProductsKey) + QStringLiteral("\\") + kProduct; }

    void registerProduct(const QString &url, const QString &version = QStringLiteral("1.0"))
    {
        reg::writeString(RegRoot::LocalMachine, productKey(), "InstalledVersion", version);
        reg::writeString(RegRoot::LocalMachine, productKey(), "ProductUpdateURL", url);
        reg::writeString(RegRoot::LocalMachine, productKey(), "UpdateIniDirectory", "");
    }
    void start()
    {
        control = std::make_unique<PatchwellControl>();
        control->Advise([this](long k, long n, const QString &t) { events.append({k, n, t}); });
    }
    QVariant call(int id, QVariantList args = {})
    {
        bool ok = false;
        const QVariant v = control->Invoke(id, args, &ok);
        EXPECT_TRUE(ok) << "method " << id;
        return v;
    }
    QList<long> kinds() const
    {
        QList<long> out;
        for (const Event &e : events)
            out << e.kind;
        return out;
    }
    bool waitForKind(long kind, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return kinds().contains(kind); }, ms);
    }
    bool waitIdle(int ms = 10000)
    {
        return QTest::qWaitFor([&] { return !call(DispUpdateRunning).toBool(); }, ms);
    }
    void setConfirm(bool on) { call(DispSetConfirmAllUpdates, {0, on}); }
    QString installed() const
    {
        return reg::readString(RegRoot::LocalMachine, productKey(), "InstalledVersion").value_or("?");
    }
    // One run that goes on without asking; the kind of its last event.
    long runUpdate(int waitMs = 20000)
    {
        events.clear();
        setConfirm(false);
        call(DispUpdateNow, {0});
        EXPECT_TRUE(waitIdle(waitMs));
        QTest::qWait(50);
        return events.isEmpty() ? -1 : events.last().kind;
    }
    // The texts of the log's records, in order.
    QStringList logTexts()
    {
        QStringList out;
        const int n = int(call(DispGetLogRecordCount).toLongLong());
        for (int i = 0; i < n; ++i) {
            QVariantList rec{i, QString(), QString()};
            control->Invoke(DispGetLogRecord, rec);
            out << rec[1].toString() << rec[2].toString();
        }
        return out;
    }
    QString updatesFolder() const { return root.path() + "/patchwell/updates/Varnel_Brenmoor_ISDN_TA"; }
    QStringList leftovers() const
    {
        return QDir(updatesFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

inline QByteArray bytes(int n, char seed)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = char(seed + i * 7);
    return b;
}

