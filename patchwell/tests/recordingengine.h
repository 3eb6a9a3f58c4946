#pragma once
// An engine that records every call (dispatch id and arguments, in order) and
// answers from per-product values the test sets.

#include "pwdispatch.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

class RecordingEngine : public pw::IDispatchControl {
public:
    struct Call {
        int id;
        QVariantList args;
    };
    QList<Call> calls;
    QStringList products;
    QHash<QPair<int, int>, QVariant> values;   // (getter id, product) -> value; product -1 for global
    QHash<int, QStringList> phonebook;         // product -> its phonebook's entries
    pw::EventSink sink;
    bool *released = nullptr;

    QVariant Invoke(int id, QVariantList &args, bool *ok) override
    {
        if (ok)
            *ok = true;
        calls.append({id, args});
        switch (id) {
        case pw::DispGetProductCount:
            return qlonglong(products.size());
        case pw::DispGetProductName:
            return products.value(args.value(0).toInt());
        case pw::DispGetPhonebookEntryCount:
            if (phonebook.contains(args.value(0).toInt()))
                return qlonglong(phonebook.value(args.value(0).toInt()).size());
            break;
        case pw::DispGetPhonebookEntry:
            if (phonebook.contains(args.value(0).toInt()))
                return phonebook.value(args.value(0).toInt()).value(args.value(1).toInt());
            break;
        default:
            break;
        }
        const int product = args.isEmpty() ? -1 : args[0].toInt();
        if (values.contains({id, product}))
            return values.value({id, product});
        return values.value({id, -1});
    }
    void Advise(pw::EventSink s) override { sink = std::move(s); }
    void Release() override
    {
        if (released)
            *released = true;
        delete this;
    }
    QList<int> ids() const
    {
        QList<int> out;
        for (const Call &c : calls)
            out << c.id;
        return out;
    }
    // The calls with a given id, as "id:arg,arg".
    QStringList writes() const
    {
        QStringList out;
        for (const Call &c : calls) {
            QStringList a;
            for (const QVariant &v : c.args)
                a << (v.typeId() == QMetaType::Bool ? (v.toBool() ? QStringLiteral("T") : QStringLiteral("F")) : v.toString());
            out << QString::number(c.id) + QLatin1Char(':') + a.join(QLatin1Char(','));
        }
        return out;
    }
};
