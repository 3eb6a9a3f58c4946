// What Portdeck tells the user about a serial port it may not open or that
// another program holds: the port, its device, and what to do about it.

#include "containerframe.h"

QString TcontainerFrame::portProblemsText(const QList<tl::PortAccessProblem> &problems) const
{
    QStringList lines;
    QStringList groups;          // the groups to join, each named once
    bool askAdministrator = false;
    bool closeHolder = false;
    for (const tl::PortAccessProblem &p : problems) {
        const QString port = QStringLiteral("COM%1 (%2)").arg(p.comNumber).arg(p.device);
        if (p.kind == tl::PortAccessProblem::NoPermission) {
            lines << tr_("Portdeck may not open %1: permission denied.").arg(port);
            if (p.groupGrantsAccess && !p.group.isEmpty()) {
                if (!groups.contains(p.group))
                    groups << p.group;
            } else {
                askAdministrator = true;
            }
        } else if (p.kind == tl::PortAccessProblem::InUse) {
            closeHolder = true;
            if (p.pid > 0 && !p.program.isEmpty())
                lines << tr_("%1 is in use by another program: %2 (process %3).").arg(port, p.program).arg(p.pid);
            else if (p.pid > 0)
                lines << tr_("%1 is in use by another program (process %2).").arg(port).arg(p.pid);
            else
                lines << tr_("%1 is in use by another program.").arg(port);
        }
    }
    QStringList advice;
    for (const QString &group : groups)
        advice << tr_("The group \"%1\" gives access to the port. To join it, run\n\n"
                      "    sudo usermod -aG %1 $USER\n\n"
                      "then log out and log in again.")
                      .arg(group);
    if (askAdministrator)
        advice << tr_("Ask the administrator of this computer for access to the port.");
    if (closeHolder)
        advice << tr_("Close the program that holds the port, then try again.");
    return (lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + advice.join(QStringLiteral("\n\n"))).trimmed();
}
