#include "servicesettings.h"

#include "fragments.h"

namespace quillon {

namespace {

QString line(const QString &body) { return QStringLiteral("AT") + body + QLatin1Char('\r'); }

Fragment numberFragment(ForwardKind k)
{
    switch (k) {
    case FwdBusy: return F_FwdNumberB;
    case FwdNoResponse: return F_FwdNumberR;
    case FwdUnconditional: return F_FwdNumberU;
    default: return F_FwdNumberD;
    }
}

Fragment enableFragment(ForwardKind k)
{
    switch (k) {
    case FwdBusy: return F_FwdEnableB;
    case FwdNoResponse: return F_FwdEnableR;
    case FwdUnconditional: return F_FwdEnableU;
    default: return F_FwdEnableD;
    }
}

} // namespace

bool forwardBoxUsable(const ForwardEntry &e) { return e.userEnabled || !e.number.isEmpty(); }

QList<SlotLine> composeForwarding(const ForwardingList &c, const ForwardingList &r)
{
    QList<SlotLine> lines;
    for (int m = 0; m < 3; ++m) {
        const QString msn = QString::number(m + 1);
        for (int i = 0; i < 4; ++i) {
            const ForwardKind k = kForwardSlotOrder[size_t(i)];
            const ForwardEntry &cur = c.msn[size_t(m)][k], &old = r.msn[size_t(m)][k];
            if (cur.number == old.number && cur.userEnabled == old.userEnabled)
                continue;
            const int slot = kFirstForwardSlot + 2 * i + 8 * m;
            lines.append({slot, line(frag(numberFragment(k)) + msn + QLatin1Char('=') + cur.number), false});
            lines.append({slot + 1,
                          line(frag(enableFragment(k)) + msn + QLatin1Char('=') + QString::number(cur.userEnabled ? 1 : 0)),
                          false});
        }
    }
    return lines;
}

QList<SlotLine> composeScreening(const ScreeningList &c, const ScreeningList &r)
{
    QList<SlotLine> lines;
    static const Fragment policy[3] = {F_ScreenPolicy1, F_ScreenPolicy2, F_ScreenPolicy3};
    static const Fragment list[3] = {F_ScreenList1, F_ScreenList2, F_ScreenList3};
    static const Fragment unlist[3] = {F_ScreenUnlist1, F_ScreenUnlist2, F_ScreenUnlist3};
    QString policies;
    for (int p = 0; p < 3; ++p)
        if (c.rejectListed[size_t(p)] != r.rejectListed[size_t(p)])
            // "Accept" (1) accepts the numbers listed for the port, "Reject" (0) rejects them.
            policies += frag(policy[p]) + QLatin1Char('=') + QString::number(c.rejectListed[size_t(p)] ? 0 : 1);
    if (!policies.isEmpty())
        lines.append({48, line(policies), false});
    for (int listed = 1; listed >= 0; --listed) {
        for (int p = 0; p < 3; ++p) {
            QStringList entries;
            for (int j = 0; j < 20; ++j) {
                const bool now = c.entries[size_t(j)].listed[size_t(p)];
                if (now != r.entries[size_t(j)].listed[size_t(p)] && now == bool(listed))
                    entries.append(QString::number(j + 1));
            }
            if (!entries.isEmpty())
                lines.append({(listed ? 49 : 52) + p,
                              line(frag(listed ? list[p] : unlist[p]) + QLatin1Char('=') + entries.join(QLatin1Char(','))),
                              false});
        }
    }
    for (int j = 0; j < 20; ++j)
        if (c.entries[size_t(j)].number != r.entries[size_t(j)].number)
            lines.append({55 + j,
                          line(frag(F_ScreenNumber) + QString::number(j + 1) + QLatin1Char('=') + c.entries[size_t(j)].number),
                          false});
    return lines;
}

void acceptAll(ScreeningList &list, int port)
{
    list.rejectListed[size_t(port)] = true;
    for (ScreeningEntry &e : list.entries)
        e.listed[size_t(port)] = false;
}

} // namespace quillon
