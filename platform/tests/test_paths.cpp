#include "paths.h"

#include "fresh_root.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(Paths, ProgramAndLibraryNamesBecomeThisPlatformsNames)
{
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("Patchwell.exe")), QStringLiteral("patchwell"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("Patchwell.ocx")), QStringLiteral("libpatchwell.so"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("CSH.dll")), QStringLiteral("libcsh.so"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("quillon.dll")), QStringLiteral("libquillon.so"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("Mantlet.DLL")), QStringLiteral("libmantlet.so"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("dir\\Gantry.dll")), QStringLiteral("dir\\libgantry.so"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral("pdlog.txt")), QStringLiteral("pdlog.txt"));
    EXPECT_EQ(tl::moduleFileName(QStringLiteral(".dll")), QStringLiteral(".dll"));
}

TEST(Paths, TheRootComesFromTheEnvironmentAndIsCreated)
{
    FreshRoot root;
    const QString inner = root.file(QStringLiteral("nested/state"));
    qputenv("TALLYLINE_ROOT", QFile::encodeName(inner + QStringLiteral("/")));
    EXPECT_EQ(tl::tallylineRoot(), inner);
    EXPECT_TRUE(QDir(inner).exists());

    qunsetenv("TALLYLINE_ROOT");
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path()));
    EXPECT_EQ(tl::tallylineRoot(), root.file(QStringLiteral("tallyline")));
}

TEST(Paths, DriveLettersMapBelowTheRoot)
{
    FreshRoot root;
    EXPECT_EQ(tl::mapPath(QStringLiteral("c:\\pdlog.txt")), root.file(QStringLiteral("drive_c/pdlog.txt")));
    EXPECT_TRUE(QDir(root.file(QStringLiteral("drive_c"))).exists());   // ready for writing
    EXPECT_EQ(tl::mapPath(QStringLiteral("D:\\Program Files\\Varnel\\Patchwell.exe")),
              root.file(QStringLiteral("drive_d/Program Files/Varnel/patchwell")));
    EXPECT_EQ(tl::mapPath(QStringLiteral("prodId.txt")), QStringLiteral("prodId.txt"));
    EXPECT_EQ(tl::mapPath(QStringLiteral("sub\\quillon.dll")), QStringLiteral("sub/libquillon.so"));
}

TEST(Paths, AnExistingFileIsFoundWhateverTheLetterCaseOfItsName)
{
    FreshRoot root;
    QDir().mkpath(root.file(QStringLiteral("drive_c/Varnel/Help")));
    QFile f(root.file(QStringLiteral("drive_c/Varnel/Help/pd32x32.ico")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(tl::mapPath(QStringLiteral("C:\\VARNEL\\help\\PD32x32.ICO")), f.fileName());
    // A new file keeps the name as written.
    EXPECT_EQ(tl::mapPath(QStringLiteral("c:\\varnel\\New.txt")), root.file(QStringLiteral("drive_c/varnel/New.txt")));
}

TEST(Paths, AFileOfTheProgramDirectoryIsFoundBesideItOrInItsInstalledFolders)
{
    // An installed layout: the program in usr/bin, its libraries and data in
    // their folders; the directory texts are those a program stores.
    FreshRoot root;
    auto touch = [&](const QString &relative) {
        QDir().mkpath(QFileInfo(root.file(relative)).path());
        QFile f(root.file(relative));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    };
    touch(QStringLiteral("drive_c/usr/bin/patchwell"));
    touch(QStringLiteral("drive_c/usr/lib/tallyline/libpatchwell.so"));
    touch(QStringLiteral("drive_c/usr/share/tallyline/PWENU.INI"));
    const QString bin = root.file(QStringLiteral("drive_c/usr/bin"));
    EXPECT_EQ(tl::installedLibraryDirectory(bin), root.file(QStringLiteral("drive_c/usr/lib/tallyline")));
    EXPECT_EQ(tl::installedDataDirectory(bin), root.file(QStringLiteral("drive_c/usr/share/tallyline")));

    EXPECT_EQ(tl::installedFile(QStringLiteral("c:\\usr\\bin\\Patchwell.ocx"), tl::InstalledKind::Library),
              root.file(QStringLiteral("drive_c/usr/lib/tallyline/libpatchwell.so")));
    EXPECT_EQ(tl::installedFile(QStringLiteral("C:\\USR\\BIN\\pwenu.ini"), tl::InstalledKind::Data),
              root.file(QStringLiteral("drive_c/usr/share/tallyline/PWENU.INI")));
    // Each kind only in its own folder; what is nowhere keeps the place written.
    EXPECT_EQ(tl::installedFile(QStringLiteral("c:\\usr\\bin\\PWENU.INI"), tl::InstalledKind::Library),
              root.file(QStringLiteral("drive_c/usr/bin/PWENU.INI")));
    EXPECT_EQ(tl::installedFile(QStringLiteral("c:\\usr\\bin\\PWDEU.INI"), tl::InstalledKind::Data),
              root.file(QStringLiteral("drive_c/usr/bin/PWDEU.INI")));

    // A file beside the program (the build tree, a hand-made directory) wins.
    touch(QStringLiteral("drive_c/usr/bin/PWENU.INI"));
    EXPECT_EQ(tl::installedFile(QStringLiteral("c:\\usr\\bin\\PWENU.INI"), tl::InstalledKind::Data),
              root.file(QStringLiteral("drive_c/usr/bin/PWENU.INI")));
}
