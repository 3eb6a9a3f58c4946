#include "linesettings.h"

#include "fragments.h"

#include <algorithm>

namespace quillon {

namespace {

QString text(const StoredReplies &r, Fragment f, const char *query)
{
    return keywordValue(r, frag(f), QLatin1String(query));
}

int lookup(const StoredReplies &r, Fragment f, const char *query) { return toNumber(text(r, f, query)); }

int teiFromReply(int value) { return value == kAutomaticTei ? kAutomaticTei : std::clamp(value, 0, 63); }

} // namespace

int switchIndexFor(int switchType)
{
    return switchType >= 6 && switchType <= 8 ? kIdslSwitchIndex : std::clamp(switchType, 0, 5);
}

int switchTypeFor(int switchIndex, int readSwitchType)
{
    if (switchIndex != kIdslSwitchIndex)
        return switchIndex;
    return readSwitchType == 6 || readSwitchType == 7 ? 6 : 7;
}

LineSettings readLine(const StoredReplies &r)
{
    LineSettings s;
    const int type = lookup(r, F_SwitchType, "ati12");
    s.switchIndex = switchIndexFor(type);
    s.bandwidth = type >= 6 && type <= 8 ? type : 0;
    s.areaCode = text(r, F_AreaCode, "ati12");
    s.number1 = text(r, F_Number1, "ati12");
    s.number2 = text(r, F_Number2, "ati12");
    s.number3 = text(r, F_Number3, "ati12");
    s.autoSpid = lookup(r, F_AutoSpid, "ati12") == 1;
    s.spid1 = text(r, F_Spid1, "ati12");
    s.spid2 = text(r, F_Spid2, "ati12");
    s.tei1 = teiFromReply(lookup(r, F_Tei1, "ati12"));
    s.tei2 = teiFromReply(lookup(r, F_Tei2, "ati12"));
    s.busConfig = lookup(r, F_BusConfig, "ati12") == 1 ? 1 : 0;
    s.dataLinkDelay = (lookup(r, F_S67, "ati4") >> 4) & 1;
    return s;
}

QList<SlotLine> composeLine(const LineSettings &c, const LineSettings &r, int readSwitchType)
{
    QList<SlotLine> lines;
    const auto put = [&](int slot, Fragment f, const QString &value, bool reset) {
        lines.append({slot, QStringLiteral("AT") + frag(f) + QLatin1Char('=') + value + QLatin1Char('\r'), reset});
    };
    const auto number = [](int v) { return QString::number(v); };
    const int type = switchTypeFor(c.switchIndex, readSwitchType);
    if (c.switchIndex != r.switchIndex)
        put(4, F_SwitchType, number(type), true);

    if (type == 6 || type == 7) {
        // A bandwidth newly chosen is the switch type itself.
        if (c.bandwidth >= 6 && c.bandwidth <= 8 && c.bandwidth != r.bandwidth) {
            lines.removeIf([](const SlotLine &l) { return l.slot == 4; });
            put(4, F_SwitchType, number(c.bandwidth), true);
        }
        return lines;
    }
    const bool european = type == 0;
    if (c.areaCode != r.areaCode)
        put(5, F_AreaCode, c.areaCode, false);
    if (c.number1 != r.number1)
        put(6, F_Number1, c.number1, false);
    if (c.number2 != r.number2)
        put(7, F_Number2, c.number2, false);
    if (european) {
        if (c.number3 != r.number3)
            put(8, F_Number3, c.number3, false);
        if (c.tei1 != r.tei1)
            put(12, F_Tei1, number(c.tei1), true);
        if (c.busConfig != r.busConfig)
            put(14, F_BusConfig, number(c.busConfig), false);
        return lines;
    }
    if (c.autoSpid != r.autoSpid)
        put(9, F_AutoSpid, number(c.autoSpid ? 1 : 0), true);
    if (c.spid1 != r.spid1)
        put(10, F_Spid1, c.spid1, false);
    if (c.spid2 != r.spid2)
        put(11, F_Spid2, c.spid2, false);
    if (c.tei1 != r.tei1)
        put(12, F_Tei1, number(c.tei1), true);
    if (c.tei2 != r.tei2)
        put(13, F_Tei2, number(c.tei2), true);
    if (c.dataLinkDelay != r.dataLinkDelay)
        lines.append({3, QStringLiteral("AT") + frag(F_S67) + QStringLiteral(".4=") + number(c.dataLinkDelay ? 1 : 0) +
                             QLatin1Char('\r'),
                      false});
    return lines;
}

} // namespace quillon
