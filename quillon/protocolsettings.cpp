#include "protocolsettings.h"

#include "fragments.h"

#include <algorithm>

namespace quillon {

namespace {

int lookup(const StoredReplies &r, Fragment f, const char *query)
{
    return toNumber(keywordValue(r, frag(f), QLatin1String(query)));
}

QString text(const StoredReplies &r, Fragment f, const char *query)
{
    return keywordValue(r, frag(f), QLatin1String(query));
}

QString assign(Fragment f, const QString &value) { return frag(f) + QLatin1Char('=') + value; }
QString assign(Fragment f, int value) { return assign(f, QString::number(value)); }

constexpr Fragment kThresholdFragments[8] = {F_AddTimeB1, F_DropTimeB1, F_AddThresholdB1,
                                             F_DropThresholdB1, F_AddTimeB2, F_DropTimeB2,
                                             F_AddThresholdB2, F_DropThresholdB2};
constexpr int kLayer3Values[3] = {1, 2, 4};

} // namespace

PppSettings readPpp(const StoredReplies &r)
{
    PppSettings s;
    s.mode = std::clamp(lookup(r, F_PppMode, "ati16") - 1, 0, 3);
    s.compression = std::clamp(lookup(r, F_Compression, "ati16"), 0, 2);
    const QString endpoint = text(r, F_Endpoint, "ati16");
    s.endpoint = std::clamp(toNumber(endpoint), 0, 5);
    if (endpoint != QLatin1String("0")) {
        // The discriminator's value is reported on a line of its own, after "Value".
        const qsizetype value = r.ati16.indexOf(QLatin1String("Value"));
        if (value >= 0) {
            const qsizetype from = value + 5;
            const qsizetype ok = r.ati16.indexOf(QLatin1String("OK"), from);
            s.endpointText = r.ati16.mid(from, ok < 0 ? -1 : ok - from).trimmed();
        }
    }
    s.bacp = lookup(r, F_Bacp, "ati16") == 1;
    s.localPrefix = text(r, F_LocalPrefix, "ati16");
    s.longDistPrefix = text(r, F_LongDistPrefix, "ati16");
    return s;
}

QString composePpp(const PppSettings &c, const PppSettings &r)
{
    QString line = QStringLiteral("AT");
    if (c.mode != r.mode)
        line += assign(F_PppMode, c.mode + 1);
    if (c.compression != r.compression)
        line += assign(F_Compression, c.compression);
    if (c.endpoint != r.endpoint || c.endpointText != r.endpointText)
        line += c.endpoint == 0 ? assign(F_Endpoint, 0)
                                : assign(F_Endpoint, QString::number(c.endpoint) + QLatin1Char(',') +
                                                         c.endpointText);
    if (c.bacp != r.bacp)
        line += assign(F_Bacp, c.bacp ? 1 : 0);
    if (c.bacp && c.localPrefix != r.localPrefix)
        line += assign(F_LocalPrefix, c.localPrefix);
    return line + QLatin1Char('\r');
}

QString composePppLongDistance(const PppSettings &c, const PppSettings &r)
{
    if (!c.bacp || c.longDistPrefix == r.longDistPrefix)
        return QStringLiteral("AT\r");
    return QStringLiteral("AT") + assign(F_LongDistPrefix, c.longDistPrefix) + QLatin1Char('\r');
}

bool endpointValid(const PppSettings &s)
{
    if (s.endpoint <= 0)
        return true;
    // Digits only: no blanks, no sign.
    const QString &t = s.endpointText;
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    return std::any_of(t.begin(), t.end(), [](QChar c) { return c != u'0'; });
}

ThresholdSettings readThresholds(const StoredReplies &r)
{
    ThresholdSettings s;
    for (int i = 0; i < 8; ++i) {
        const int v = lookup(r, kThresholdFragments[i], "ati16");
        // Each channel has two sample times, then two thresholds; each keeps its range.
        s.values[size_t(i)] = (i % 4) < 2 ? std::clamp(v, 0, kMaxSampleMinutes * 60 + 59)
                                          : std::clamp(v, 1, 100);
    }
    return s;
}

QString composeThresholds(const ThresholdSettings &c, const ThresholdSettings &r)
{
    QString line = QStringLiteral("AT");
    for (int i = 0; i < 8; ++i)
        if (c.values[size_t(i)] != r.values[size_t(i)])
            line += assign(kThresholdFragments[i], c.values[size_t(i)]);
    return line + QLatin1Char('\r');
}

AodiSettings readAodi(const StoredReplies &r)
{
    AodiSettings s;
    s.enabled = lookup(r, F_Aodi, "ati12") != 0;
    s.carrier = text(r, F_AodiCarrier, "ati12");
    s.number = text(r, F_AodiNumber, "ati12");
    const int tei = lookup(r, F_AodiTei, "ati12");
    s.tei = tei >= 0 && tei < 64 ? tei : kAutomaticTei;
    s.bandwidth = std::clamp(lookup(r, F_AodiBandwidth, "ati16"), 0, 2);
    s.reverseCharge = lookup(r, F_ReverseCharge, "ati12") == 1;
    return s;
}

QList<SlotLine> composeAodi(const AodiSettings &c, const AodiSettings &r)
{
    QList<SlotLine> lines;
    const auto single = [&](int slot, Fragment f, const QString &value) {
        lines.append({slot, QStringLiteral("AT") + assign(f, value) + QLatin1Char('\r'), true});
    };
    if (c.enabled != r.enabled)
        single(2, F_Aodi, QString::number(c.enabled ? 1 : 0));
    // The packet settings mean something only while AO/DI is on.
    if (!c.enabled)
        return lines;
    QString line = QStringLiteral("AT");
    if (c.bandwidth != r.bandwidth)
        line += assign(F_AodiBandwidth, c.bandwidth);
    if (c.reverseCharge != r.reverseCharge)
        line += assign(F_ReverseCharge, c.reverseCharge ? 1 : 0);
    if (line.size() > 2)
        lines.append({19, line + QLatin1Char('\r'), false});
    if (c.carrier != r.carrier)
        single(20, F_AodiCarrier, c.carrier);
    if (c.number != r.number)
        single(21, F_AodiNumber, c.number);
    if (c.tei != r.tei)
        single(22, F_AodiTei, QString::number(c.tei));
    return lines;
}

X75Settings readX75(const StoredReplies &r)
{
    X75Settings s;
    s.frameSize = std::clamp(lookup(r, F_X75Frame, "ati4"), 1, 2048);
    s.windowSize = std::clamp(lookup(r, F_X75Window, "ati4"), 1, 7);
    const int layer3 = lookup(r, F_X75Layer3, "ati4");
    s.layer3 = layer3 == 2 ? 1 : layer3 == 4 ? 2 : 0;
    return s;
}

QString composeX75(const X75Settings &c, const X75Settings &r)
{
    QString line = QStringLiteral("AT");
    if (c.frameSize != r.frameSize)
        line += assign(F_X75Frame, c.frameSize);
    if (c.windowSize != r.windowSize)
        line += assign(F_X75Window, c.windowSize);
    if (c.layer3 != r.layer3 && c.layer3 >= 0 && c.layer3 < 3)
        line += assign(F_X75Layer3, kLayer3Values[c.layer3]);
    return line + QLatin1Char('\r');
}

} // namespace quillon
