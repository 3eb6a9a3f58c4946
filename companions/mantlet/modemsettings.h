#pragma once
// The settings of the 56K business modem that the configuration screen offers:
// the S registers and the flow control, as the "ati4" report shows them and
// as one "AT" line sets them.

#include <QList>
#include <QMap>
#include <QString>

namespace mantlet {

struct RegisterSetting {
    const char *key;       // command fragment: "S0", "&K"
    const char *label;     // English caption
    int minimum;
    int maximum;
};

// The registers shown as numbers, in screen order.
const QList<RegisterSetting> &registerSettings();

// Flow control values of "&K" and their captions.
struct FlowControl {
    int value;
    const char *label;
};
const QList<FlowControl> &flowControls();

// Key -> value, as read or edited ("S0" -> 2, "&K" -> 3).
using SettingValues = QMap<QString, int>;

// Reads the register report ("S00 =0", "&K  =3"); keys missing from the report
// are left out.
SettingValues parseModemSettings(const QString &report);

// One command line with every value that differs from `before`, in screen
// order ("ATS0=2S7=60&K3\r"); "" when nothing changed.
QByteArray composeSettingsCommand(const SettingValues &before, const SettingValues &after);

} // namespace mantlet
