#include "modemsettings.h"

#include "deviceanswers.h"

namespace mantlet {

const QList<RegisterSetting> &registerSettings()
{
    static const QList<RegisterSetting> list = {
        {"S0", "Rings before answering (0 = off):", 0, 255},
        {"S6", "Wait for dial tone (seconds):", 2, 255},
        {"S7", "Wait for carrier (seconds):", 1, 255},
        {"S8", "Comma pause (seconds):", 0, 255},
        {"S10", "Carrier loss delay (1/10 s):", 1, 255},
        {"S11", "Tone dialing speed (ms):", 50, 255},
    };
    return list;
}

const QList<FlowControl> &flowControls()
{
    static const QList<FlowControl> list = {
        {0, "None"},
        {3, "Hardware (RTS/CTS)"},
        {4, "Software (XON/XOFF)"},
    };
    return list;
}

SettingValues parseModemSettings(const QString &report)
{
    SettingValues values;
    for (const RegisterSetting &s : registerSettings()) {
        // The report pads the register number to two digits.
        const int number = QString::fromLatin1(s.key + 1).toInt();
        const QString reportKey = QStringLiteral("S%1").arg(number, 2, 10, QLatin1Char('0'));
        bool ok = false;
        const int v = companions::reportValue(report, reportKey).toInt(&ok);
        if (ok)
            values.insert(QString::fromLatin1(s.key), v);
    }
    bool ok = false;
    const int flow = companions::reportValue(report, QStringLiteral("&K")).toInt(&ok);
    if (ok)
        values.insert(QStringLiteral("&K"), flow);
    return values;
}

QByteArray composeSettingsCommand(const SettingValues &before, const SettingValues &after)
{
    QByteArray fragments;
    for (const RegisterSetting &s : registerSettings()) {
        const QString key = QString::fromLatin1(s.key);
        if (after.contains(key) && (!before.contains(key) || before[key] != after[key]))
            fragments += QByteArray(s.key) + '=' + QByteArray::number(after[key]);
    }
    const QString flow = QStringLiteral("&K");
    if (after.contains(flow) && (!before.contains(flow) || before[flow] != after[flow]))
        fragments += "&K" + QByteArray::number(after[flow]);
    return fragments.isEmpty() ? QByteArray() : "AT" + fragments + '\r';
}

} // namespace mantlet
