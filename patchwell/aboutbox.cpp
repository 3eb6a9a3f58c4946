#include "aboutbox.h"

#include "langtext.h"
#include "paths.h"
#include "process.h"
#include "regkeyreader.h"
#include "uiservices.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

QString HyperlinkErrorText(int code)
{
    static const QHash<int, const char *> texts = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    const QString text = texts.contains(code) ? QString::fromLatin1(texts.value(code))
                                              : QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    return QStringLiteral("Unable to open hyperlink:\n\n") + text;
}

CHyperLinkStatic::CHyperLinkStatic(const QString &text, const QString &url, bool underline, QWidget *parent)
    : QLabel(text, parent), url_(url), underline_(underline)
{
    setToolTip(url);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    restyle();
}

void CHyperLinkStatic::setLinkText(const QString &text)
{
    setText(text);
    adjustSize();
}

void CHyperLinkStatic::restyle()
{
    setStyleSheet(QStringLiteral("color: %1; background: transparent; text-decoration: %2;")
                      .arg(visited_ ? QStringLiteral("rgb(255,0,0)") : QStringLiteral("rgb(0,0,238)"),
                           underline_ ? QStringLiteral("underline") : QStringLiteral("none")));
}

namespace {

// Why the command line of the browser could not be started, as the error codes
// of the table: its program missing (2), there but not to be run (5), or it
// would not start (0).
int startFailure(const QString &commandLine)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return 31;
    const QString program = words.first();
    const QString found = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.exists())
        return 2;
    if (!info.isFile() || !info.isExecutable())
        return 5;
    return 0;
}

} // namespace

bool CHyperLinkStatic::open()
{
    bool opened = OpenURL(url_);
    // Without a browser the machine associates with web pages: error 31.
    int code = 31;
    if (!opened) {
        // The browser the machine associates with web pages, as its command line says.
        const QString cls = reg::readString(RegRoot::ClassesRoot, QStringLiteral(".htm"), QString()).value_or(QString());
        QString command = cls.isEmpty() ? QString()
                                        : reg::readString(RegRoot::ClassesRoot, cls + QStringLiteral("\\shell\\open\\command"), QString())
                                              .value_or(QString());
        if (!command.isEmpty()) {
            qsizetype cut = command.indexOf(QLatin1String("%1"));
            if (cut > 0 && command.at(cut - 1) == QLatin1Char('"'))
                --cut;
            if (cut >= 0)
                command = command.left(cut);
            const QString line = command.trimmed() + QLatin1Char(' ') + url_;
            ProcessHandle p = CreateProcess(line);
            opened = p != nullptr;
            closeProcess(p);
            if (!opened)
                code = startFailure(line);
        }
    }
    if (opened) {
        visited_ = true;
        restyle();
        return true;
    }
    QApplication::beep();
    ui().messageBox(this, HyperlinkErrorText(code), QStringLiteral("Patchwell"), MB_OK, MB_ICONWARNING);
    return false;
}

void CHyperLinkStatic::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        open();
}

CAboutDlg::CAboutDlg(const QString &dir, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    const CLangText about(dir, QStringLiteral("PW"), QStringLiteral("AppAbout"));
    const CLangText common(dir, QStringLiteral("PW"), QStringLiteral("AppCommon"));
    setWindowTitle(about.Get("Caption"));
    auto *layout = new QVBoxLayout(this);
    auto *animation = new QLabel(this);
    animation->setObjectName(QStringLiteral("animation"));
    auto *movie = new QMovie(tl::installedFile(dir + QStringLiteral("\\findcomp.avi"), tl::InstalledKind::Data),
                             QByteArray(), animation);
    animation->setMovie(movie);
    movie->start();
    layout->addWidget(animation, 0, Qt::AlignHCenter);
    const QString site = common.Get("VarnelWebSite");
    pictureLink = new CHyperLinkStatic(QStringLiteral("Varnel"), site, false, this);
    pictureLink->setObjectName(QStringLiteral("picture1042"));
    layout->addWidget(pictureLink, 0, Qt::AlignHCenter);
    versionLine = new QLabel(this);
    versionLine->setObjectName(QStringLiteral("line1050"));
    QString version;
    if (ReadInstalledVersion(QStringLiteral("Patchwell"), version))
        versionLine->setText(common.Get("AppNameVersion") + version);
    layout->addWidget(versionLine);
    copyrightLine = new QLabel(common.Get("VarnelCopyright"), this);
    copyrightLine->setObjectName(QStringLiteral("line1051"));
    layout->addWidget(copyrightLine);
    textLink = new CHyperLinkStatic(about.Get("VisitVarnelWebSiteTxt"), site, true, this);
    textLink->setObjectName(QStringLiteral("link1043"));
    layout->addWidget(textLink, 0, Qt::AlignHCenter);
    auto *ok = new QPushButton(common.Get("OkButtnTxt"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
