#pragma once
// A second, unprivileged user for the tests of files this process's user may
// not read (as after one run as root). Creating the user and switching to it
// need root; without root the tests that use it skip.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

struct OtherUser {
    uid_t uid;
    gid_t gid;
};

// The user "tallyline-probe", created when missing; nullopt (with why) when
// that is not possible.
std::optional<OtherUser> otherUser(QString *why);

// Runs program as that user with this process's environment; returns its exit
// code (-1 when it could not be run) and what it wrote.
int runAsOtherUser(const OtherUser &user, const QString &program, const QStringList &args,
                   QByteArray *out = nullptr, QByteArray *err = nullptr);

// Lets the other user into a test's root: the root directory becomes
// searchable and dir becomes the other user's own.
bool handOver(const QString &rootDir, const QString &dir, const OtherUser &user);
