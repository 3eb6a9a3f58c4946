#include "other_user.h"

#include <QFile>
#include <QProcess>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char kName[] = "tallyline-probe";
}

std::optional<OtherUser> otherUser(QString *why)
{
    if (::geteuid() != 0) {
        *why = QStringLiteral("needs root to create and become a second user");
        return std::nullopt;
    }
    if (!::getpwnam(kName)) {
        QProcess add;
        add.start(QStringLiteral("useradd"), {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kName});
        add.waitForFinished(30000);
    }
    const struct passwd *pw = ::getpwnam(kName);
    if (!pw) {
        *why = QStringLiteral("could not create the user %1").arg(QLatin1String(kName));
        return std::nullopt;
    }
    return OtherUser{pw->pw_uid, pw->pw_gid};
}

int runAsOtherUser(const OtherUser &user, const QString &program, const QStringList &args,
                   QByteArray *out, QByteArray *err)
{
    QProcess p;
    p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=%1").arg(user.uid),
                                                   QStringLiteral("--regid=%1").arg(user.gid),
                                                   QStringLiteral("--clear-groups"), program} + args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitCode();
}

bool handOver(const QString &rootDir, const QString &dir, const OtherUser &user)
{
    return ::chmod(QFile::encodeName(rootDir).constData(), 0755) == 0
           && ::chown(QFile::encodeName(dir).constData(), user.uid, user.gid) == 0;
}
