// patchwell-site: writes and checks update sites for Patchwell's engine.

#include "sitetool.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <cstdio>
#include <functional>
#include <map>

#ifndef TALLYLINE_VERSION
#define TALLYLINE_VERSION "0"
#endif

using namespace pw::site;

namespace {

const char *const kUsage =
    "Usage: patchwell-site build DIR --product NAME --version V [--readme FILE] [--user-step]\n"
    "                            [--restart] [--browser PAGE] [--sign SECRETKEY --expires DATE] FILE...\n"
    "       patchwell-site check DIR [--key PUBKEY] [--product NAME]\n"
    "\n"
    "build  copies the files into DIR (made if needed) and writes DIR/update.ini with\n"
    "       their exact sizes and SHA-256 digests; with --sign, minisign signs it for\n"
    "       the product, valid through DATE (YYYY-MM-DD).\n"
    "check  verifies DIR as Patchwell's engine would: the signature (with --key, a\n"
    "       minisign .pub file or its key line), the version file and every file.\n"
    "\n"
    "  --product NAME   the product's name, as its key under Products is named\n"
    "  --version V      the new version: digits, letters, '.', '-', '_', '+'\n"
    "  --readme FILE    release notes, fetched before the user is asked\n"
    "  --user-step      the user completes the update (loads firmware)\n"
    "  --restart        the computer restarts afterwards\n"
    "  --browser PAGE   installed through this web page\n"
    "  --sign SECRETKEY sign with this minisign secret key\n"
    "  --expires DATE   last day the signature is good for\n"
    "  --key PUBKEY     the key the site must be signed with\n"
    "  -h, --help       show this help and exit\n"
    "      --version    show the program's version and exit\n"
    "\n"
    "Exit status: 0 done or good, 1 failed or a problem found, 2 wrong usage.\n";

int usageError(const QString &text)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, qPrintable(text), kProgram);
    return 2;
}

struct Parsed {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;
};

// Options may stand anywhere, as "--name value" or "--name=value"; "--" ends them.
bool parse(const QStringList &args, const QStringList &valued, const QStringList &flags, Parsed &out, QString *why)
{
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (optionsEnd || !a.startsWith(QLatin1String("--")) || a == QLatin1String("-")) {
            if (!optionsEnd && a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
                *why = QStringLiteral("unknown option '%1'").arg(a);
                return false;
            }
            out.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString name = a.mid(2, eq < 0 ? -1 : eq - 2);
        if (flags.contains(name) && eq < 0) {
            out.flags << name;
        } else if (valued.contains(name)) {
            if (eq >= 0) {
                out.values[name] = a.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                out.values[name] = args[++i];
            } else {
                *why = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
        } else {
            *why = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("a command is needed: build or check"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        std::printf("%s %s\n", kProgram, TALLYLINE_VERSION);
        return 0;
    }
    Parsed p;
    QString why;
    if (command == QLatin1String("build")) {
        if (!parse(args, {"product", "version", "readme", "browser", "sign", "expires"}, {"user-step", "restart"}, p,
                   &why))
            return usageError(why);
        if (p.positional.isEmpty())
            return usageError(QStringLiteral("build: the site's folder DIR is needed"));
        for (const char *required : {"product", "version"}) {
            if (!p.values.contains(QLatin1String(required)))
                return usageError(QStringLiteral("build: --%1 is needed").arg(QLatin1String(required)));
        }
        BuildOptions o;
        o.dir = p.positional.takeFirst();
        o.product = p.values.value("product");
        o.version = p.values.value("version");
        o.readme = p.values.value("readme");
        o.browserPage = p.values.value("browser");
        o.secretKey = p.values.value("sign");
        o.expires = p.values.value("expires");
        o.userStep = p.flags.contains("user-step");
        o.restart = p.flags.contains("restart");
        o.files = p.positional;
        return buildSite(o);
    }
    if (command == QLatin1String("check")) {
        if (!parse(args, {"key", "product"}, {}, p, &why))
            return usageError(why);
        if (p.positional.size() != 1)
            return usageError(p.positional.isEmpty() ? QStringLiteral("check: the site's folder DIR is needed")
                                                     : QStringLiteral("check: one folder only"));
        return checkSite({p.positional[0], p.values.value("key"), p.values.value("product")});
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
