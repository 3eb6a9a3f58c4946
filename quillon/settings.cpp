#include "settings.h"

#include "fragments.h"

namespace quillon {

namespace {

int lookup(const StoredReplies &r, Fragment f, const char *query)
{
    return toNumber(keywordValue(r, frag(f), QLatin1String(query)));
}

bool bit(int value, int n) { return (value >> n) & 1; }

QString assign(Fragment f, int value) { return frag(f) + QLatin1Char('=') + QString::number(value); }

constexpr int kIncomingValues[6] = {0, 1, 5, 6, 7, 8};
constexpr int kOutgoingValues[5] = {1, 5, 6, 7, 8};

} // namespace

BRate rateFromS67(int s67)
{
    if (!bit(s67, 1))
        return RateAuto;
    return bit(s67, 2) ? Rate64K : Rate56K;
}

BasicSettings readBasic(const StoredReplies &r)
{
    BasicSettings s;
    switch (lookup(r, F_OutgoingProtocol, "ati16")) {
    case 1: s.outgoing = 0; break;
    case 6: s.outgoing = 4; break;
    case 7: s.outgoing = 5; break;
    case 8: s.outgoing = 6; break;
    default: {
        const int ppp = lookup(r, F_PppMode, "ati16");
        s.outgoing = ppp == 3 ? 3 : ppp == 2 ? 2 : 1;
    }
    }
    s.dvo = std::clamp(lookup(r, F_DynamicVoice, "ati16"), 0, 3);
    s.bRate = rateFromS67(lookup(r, F_S67, "ati4"));
    const int p1 = lookup(r, F_Ring1, "ati15"), p2 = lookup(r, F_Ring2, "ati15");
    s.port1 = p1 > 3 || p1 < 0 ? 0 : p1;
    s.port2 = p2 > 3 || p2 < 0 ? 0 : p2;
    return s;
}

DataSettings readData(const StoredReplies &r, bool euroIsdn)
{
    DataSettings s;
    const int in = lookup(r, F_IncomingProtocol, "ati16");
    s.incoming = 0;
    for (int i = 0; i < 6; ++i)
        if (kIncomingValues[i] == in)
            s.incoming = i;
    const int dn = lookup(r, F_IncomingNumber, "ati15");
    if (euroIsdn)
        s.number = dn < 0 || dn > 8 ? 0 : dn;
    else
        s.number = dn == 4 ? 3 : (dn > 2 || dn < 0) ? 0 : dn;
    const int s69 = lookup(r, F_S69, "ati4");
    s.dataOverVoice = bit(s69, 5);
    s.voiceMail = bit(s69, 7);
    const int out = lookup(r, F_OutgoingProtocol, "ati16");
    s.outgoing = 1;
    for (int i = 0; i < 5; ++i)
        if (kOutgoingValues[i] == out)
            s.outgoing = i;
    s.bChannel = rateFromS67(lookup(r, F_S67, "ati4"));
    return s;
}

VoiceSettings readVoice(const StoredReplies &r)
{
    VoiceSettings s;
    for (int p = 0; p < 2; ++p) {
        s.number[p] = std::clamp(lookup(r, p ? F_Ring2 : F_Ring1, "ati15"), 0, 3);
        s.callerId[p] = lookup(r, p ? F_CallerId2 : F_CallerId1, "ati15") != 0;
        s.bearer[p] = std::clamp(lookup(r, p ? F_Bearer2 : F_Bearer1, "ati15"), 0, 1);
        s.receiveVolume[p] = std::clamp(lookup(r, p ? F_ReceiveVol2 : F_ReceiveVol1, "ati15"), 0, 9);
        s.advancedCall[p] = lookup(r, p ? F_AdvCall2 : F_AdvCall1, "ati15") != 0;
    }
    s.dvo = std::clamp(lookup(r, F_DynamicVoice, "ati16"), 0, 3);
    return s;
}

AdvVoiceSettings readAdvVoice(const StoredReplies &r)
{
    AdvVoiceSettings s;
    for (int p = 0; p < 2; ++p) {
        const QString wait = keywordValue(r, frag(p ? F_CallWait2 : F_CallWait1), QStringLiteral("ati15"));
        s.callWaiting[p] = (wait.isEmpty() ? 1 : toNumber(wait)) != 1;
        s.conference[p] = std::max(0, lookup(r, p ? F_Conference2 : F_Conference1, "ati15"));
        s.drop[p] = std::max(0, lookup(r, p ? F_Drop2 : F_Drop1, "ati15"));
        s.forward[p] = std::max(0, lookup(r, p ? F_Forward2 : F_Forward1, "ati15"));
        s.transfer[p] = std::max(0, lookup(r, p ? F_Transfer2 : F_Transfer1, "ati15"));
        s.message[p] = std::max(0, lookup(r, p ? F_Message2 : F_Message1, "ati15"));
    }
    return s;
}

QString outgoingFragment(int index)
{
    static const Fragment f[7] = {F_Outgoing0, F_Outgoing1, F_Outgoing2, F_Outgoing3,
                                  F_Outgoing4, F_Outgoing5, F_Outgoing6};
    return index >= 0 && index < 7 ? frag(f[index]) : QString();
}

QString rateFragment(int rate)
{
    switch (rate) {
    case Rate56K: return QStringLiteral("S67.1=1S67.2=0");
    case Rate64K: return QStringLiteral("S67.1=1S67.2=1");
    default: return QStringLiteral("S67.1=0");
    }
}

QString composeBasic(const BasicSettings &c, const BasicSettings &r)
{
    QString line = QStringLiteral("AT");
    if (c.outgoing != r.outgoing)
        line += outgoingFragment(c.outgoing);
    if (c.dvo != r.dvo)
        line += assign(F_DynamicVoice, c.dvo);
    // The outgoing fragments reset the rate, so the rate follows every change of them.
    if (c.bRate != r.bRate || c.outgoing != r.outgoing)
        line += rateFragment(c.bRate);
    if (c.port1 != r.port1)
        line += assign(F_Ring1, c.port1);
    if (c.port2 != r.port2)
        line += assign(F_Ring2, c.port2);
    return line + QLatin1Char('\r');
}

QString composeData(const DataSettings &c, const DataSettings &r, bool euroIsdn, bool withDataPage)
{
    QString line = QStringLiteral("AT");
    if (withDataPage) {
        if (c.incoming != r.incoming && c.incoming >= 0 && c.incoming < 6)
            line += assign(F_IncomingProtocol, kIncomingValues[c.incoming]);
        if (c.number != r.number)
            line += assign(F_IncomingNumber, !euroIsdn && c.number == 3 ? 4 : c.number);
        if (c.dataOverVoice != r.dataOverVoice)
            line += frag(F_S69) + QStringLiteral(".5=") + QString::number(c.dataOverVoice ? 1 : 0);
        if (c.outgoing != r.outgoing && c.outgoing >= 0 && c.outgoing < 5)
            line += assign(F_OutgoingProtocol, kOutgoingValues[c.outgoing]);
        if (c.bChannel != r.bChannel)
            line += rateFragment(c.bChannel);
    }
    if (c.voiceMail != r.voiceMail)
        line += QStringLiteral("S69.7=") + QString::number(c.voiceMail ? 1 : 0);
    return line + QLatin1Char('\r');
}

QString composeVoice(const VoiceSettings &c, const VoiceSettings &r)
{
    QString line = QStringLiteral("AT");
    for (int p = 0; p < 2; ++p)
        if (c.number[p] != r.number[p])
            line += assign(p ? F_Ring2 : F_Ring1, c.number[p]);
    for (int p = 0; p < 2; ++p)
        if (c.callerId[p] != r.callerId[p])
            line += assign(p ? F_CallerId2 : F_CallerId1, c.callerId[p] ? 9 : 0);
    for (int p = 0; p < 2; ++p)
        if (c.bearer[p] != r.bearer[p])
            line += assign(p ? F_Bearer2 : F_Bearer1, c.bearer[p]);
    for (int p = 0; p < 2; ++p)
        if (c.receiveVolume[p] != r.receiveVolume[p])
            line += assign(p ? F_ReceiveVol2 : F_ReceiveVol1, c.receiveVolume[p]);
    for (int p = 0; p < 2; ++p)
        if (c.advancedCall[p] != r.advancedCall[p])
            line += assign(p ? F_AdvCall2 : F_AdvCall1, c.advancedCall[p] ? 1 : 0);
    if (c.dvo != r.dvo)
        line += assign(F_DynamicVoice, c.dvo);
    return line + QLatin1Char('\r');
}

QString composeAdvVoice(const AdvVoiceSettings &c, const AdvVoiceSettings &r)
{
    QString line = QStringLiteral("AT");
    for (int p = 0; p < 2; ++p)
        if (c.callWaiting[p] != r.callWaiting[p])
            line += assign(p ? F_CallWait2 : F_CallWait1, c.callWaiting[p] ? 2 : 1);
    const auto buttons = [&](const std::array<int, 2> &cur, const std::array<int, 2> &old,
                             Fragment f1, Fragment f2) {
        for (int p = 0; p < 2; ++p)
            if (cur[p] != old[p])
                line += assign(p ? f2 : f1, cur[p]);
    };
    buttons(c.conference, r.conference, F_Conference1, F_Conference2);
    buttons(c.drop, r.drop, F_Drop1, F_Drop2);
    buttons(c.forward, r.forward, F_Forward1, F_Forward2);
    buttons(c.transfer, r.transfer, F_Transfer1, F_Transfer2);
    buttons(c.message, r.message, F_Message1, F_Message2);
    return line + QLatin1Char('\r');
}

int resetTemplateNumber(int index)
{
    if (index >= 0 && index <= 2)
        return index;
    if (index == 3 || index == 4)
        return index + 1;
    return -1;
}

QString profileFragment(int index)
{
    return index >= 0 && index < 6 ? frag(static_cast<Fragment>(F_Profile0 + index)) : QString();
}

QString spidCommand(const QString &areaCode, const QString &number1, const QString &number2)
{
    QString line = QStringLiteral("at*Z") + areaCode + QLatin1Char(',') + number1;
    if (!number2.isEmpty())
        line += QLatin1Char(',') + number2;
    return line + QLatin1Char('\r');
}

} // namespace quillon
