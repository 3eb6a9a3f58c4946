#include "registry.h"
#include "registryfile.h"

#include "clock.h"
#include "fresh_root.h"
#include "other_user.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QString helperProgram() { return tl::programDirectory() + QStringLiteral("/tlplatform_helper"); }

class RegistryTest : public FreshRootTest {
protected:
    QString hklmFile() const { return root.file(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg")); }
};

} // namespace

TEST_F(RegistryTest, StringsAndDwordsRoundTripThroughTheFileFormat)
{
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, kKey, QStringLiteral("Logging"), QStringLiteral("on")));
    ASSERT_TRUE(reg::writeDword(RegRoot::LocalMachine, kKey + QStringLiteral("\\Language"), QStringLiteral("Language"), 10));
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, kKey, QStringLiteral("Path"), QStringLiteral("c:\\say \"hi\"")));

    const QByteArray text = readFile(hklmFile());
    EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\n"));
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Tallyline\\Portdeck]\n\"Logging\"=\"on\"\n"));
    EXPECT_TRUE(text.contains("\"Path\"=\"c:\\\\say \\\"hi\\\"\"\n"));
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Tallyline\\Portdeck\\Language]\n\"Language\"=dword:0000000a\n"));

    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, kKey, QStringLiteral("Path")), QStringLiteral("c:\\say \"hi\""));
    EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, kKey + QStringLiteral("\\Language"), QStringLiteral("Language")), 10u);
    // Types are kept apart, as on the original store.
    EXPECT_FALSE(reg::readDword(RegRoot::LocalMachine, kKey, QStringLiteral("Logging")).has_value());
    // Other roots are other files.
    EXPECT_FALSE(reg::keyExists(RegRoot::CurrentUser, kKey));
}

TEST_F(RegistryTest, NamesIgnoreLetterCaseAndKeepTheirStoredCase)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("InstallDirectory"), QStringLiteral("a"));
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\varnel"), QStringLiteral("INSTALLDIRECTORY"), QStringLiteral("b"));
    reg::createKey(RegRoot::LocalMachine, QStringLiteral("software\\VARNEL\\Patchwell"));

    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("sOfTwArE\\VaRnEl"), QStringLiteral("installdirectory")), QStringLiteral("b"));
    EXPECT_EQ(reg::valueNames(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel")), QStringList{QStringLiteral("InstallDirectory")});
    EXPECT_EQ(reg::subKeys(RegRoot::LocalMachine, QStringLiteral("software")), QStringList{QStringLiteral("Varnel")});
    EXPECT_EQ(reg::subKeys(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel")), QStringList{QStringLiteral("Patchwell")});
    EXPECT_TRUE(readFile(hklmFile()).contains("[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Patchwell]"));
}

TEST_F(RegistryTest, KeysAreCreatedEnumeratedAndDeletedWithTheirSubkeys)
{
    const QString modems = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem");
    for (const char *n : {"0001", "0000", "0002"})
        reg::writeString(RegRoot::LocalMachine, modems + QLatin1Char('\\') + QLatin1String(n), QStringLiteral("DriverDesc"), QLatin1String(n));
    EXPECT_EQ(reg::subKeys(RegRoot::LocalMachine, modems), (QStringList{"0000", "0001", "0002"}));
    EXPECT_TRUE(reg::keyExists(RegRoot::LocalMachine, QStringLiteral("System\\CurrentControlSet")));

    EXPECT_TRUE(reg::deleteKey(RegRoot::LocalMachine, QStringLiteral("System\\CurrentControlSet\\Services")));
    EXPECT_FALSE(reg::keyExists(RegRoot::LocalMachine, modems + QStringLiteral("\\0000")));
    EXPECT_TRUE(reg::keyExists(RegRoot::LocalMachine, QStringLiteral("System\\CurrentControlSet")));
    EXPECT_FALSE(reg::deleteKey(RegRoot::LocalMachine, QStringLiteral("No\\Such\\Key")));

    reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_TRUE(reg::deleteValue(RegRoot::LocalMachine, QStringLiteral("a"), QStringLiteral("X")));
    EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("x")));
    EXPECT_FALSE(reg::deleteValue(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("x")));
}

TEST_F(RegistryTest, TRegistryOpensKeysRelativeToTheRoot)
{
    TRegistry r(RegRoot::LocalMachine);
    EXPECT_FALSE(r.openKey(kKey, false));
    EXPECT_FALSE(r.writeString(QStringLiteral("Logging"), QStringLiteral("on"))); // no key open
    ASSERT_TRUE(r.openKey(kKey, true));
    EXPECT_TRUE(r.writeString(QStringLiteral("Logging"), QStringLiteral("on")));
    EXPECT_TRUE(r.writeInteger(QStringLiteral("Count"), -1));
    r.closeKey();

    ASSERT_TRUE(r.openKeyReadOnly(QStringLiteral("\\") + kKey));
    EXPECT_EQ(r.readString(QStringLiteral("logging")), QStringLiteral("on"));
    EXPECT_EQ(r.readInteger(QStringLiteral("Count")), -1);
    EXPECT_EQ(r.readString(QStringLiteral("Missing")), QString());
    EXPECT_EQ(r.readInteger(QStringLiteral("Missing")), 0);
    EXPECT_EQ(r.getValueNames(), (QStringList{"Logging", "Count"}));
    // A second openKey is again relative to the root, not to the open key.
    ASSERT_TRUE(r.openKey(QStringLiteral("Software\\Varnel"), false));
    EXPECT_EQ(r.getKeyNames(), QStringList{QStringLiteral("Tallyline")});
}

TEST_F(RegistryTest, LineBreaksInTextsCannotBreakTheFile)
{
    const QString text = QStringLiteral("line one\r\nline \"two\"\\");
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("K"), QStringLiteral("multi\nname"), text));
    EXPECT_FALSE(reg::createKey(RegRoot::LocalMachine, QStringLiteral("Bad\nKey")));

    reg::RegTree tree;
    QString error;
    ASSERT_TRUE(reg::parseRegistryText(readFile(hklmFile()), QStringLiteral("HKEY_LOCAL_MACHINE"), tree, &error)) << qPrintable(error);
    ASSERT_NE(tree.find(QStringLiteral("K")), nullptr);
    EXPECT_EQ(tree.find(QStringLiteral("K"))->findValue(QStringLiteral("MULTI\nNAME"))->text, text);
}

TEST(RegistryFileFormat, HandEditedFilesAreRead)
{
    const QByteArray text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
        "\"/dev/pts/3\"=\"COM5\"\r\n"
        "@=\"default\"\r\n"
        "\"Flags\" = dword:FFFFFFFF\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n";
    reg::RegTree tree;
    QString error;
    ASSERT_TRUE(reg::parseRegistryText(text, QStringLiteral("HKEY_LOCAL_MACHINE"), tree, &error)) << qPrintable(error);
    const reg::RegKey *key = tree.find(QStringLiteral("hardware\\devicemap\\serialcomm"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->findValue(QStringLiteral("/dev/pts/3"))->text, QStringLiteral("COM5"));
    EXPECT_EQ(key->findValue(QString())->text, QStringLiteral("default"));
    EXPECT_EQ(key->findValue(QStringLiteral("flags"))->dword, 0xFFFFFFFFu);
    EXPECT_EQ(key->findValue(QStringLiteral("Blob"))->type, reg::RegValue::Other);
    EXPECT_TRUE(tree.find(QStringLiteral("HARDWARE")) != nullptr); // parents exist implicitly

    // What we write reads back as the same tree, binary values included.
    reg::RegTree again;
    ASSERT_TRUE(reg::parseRegistryText(reg::formatRegistryText(tree, QStringLiteral("HKEY_LOCAL_MACHINE")),
                                       QStringLiteral("HKEY_LOCAL_MACHINE"), again, &error)) << qPrintable(error);
    EXPECT_TRUE(again == tree);
}

TEST(RegistryFileFormat, DamageIsDetectedWithItsLine)
{
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
    struct Case { const char *text; const char *why; };
    const Case cases[] = {
        {"", "missing header"},
        {"[HKEY_LOCAL_MACHINE\\A]\n", "missing header"},
        {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", "line 2: value before the first key"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n", "line 2: key outside"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\n", "closing bracket"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"unterminated\n", "unterminated text"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:123456789\n", "bad dword"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:12xz\n", "bad dword"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\" junk\n", "after the text"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\ngarbage\n", "line 3: unreadable"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"\xff\xfe\"\n", "not valid text"},
    };
    for (const Case &c : cases) {
        reg::RegTree tree;
        QString error;
        EXPECT_FALSE(reg::parseRegistryText(QByteArray(c.text), root, tree, &error)) << c.text;
        EXPECT_TRUE(error.contains(QLatin1String(c.why))) << c.text << " -> " << qPrintable(error);
    }
}

TEST_F(RegistryTest, ADamagedFileIsSetAsideReportedOnceAndWhatParsedIsKept)
{
    writeFile(hklmFile(), "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"kept\"=\"1\"\n"
                          "\"cut\"=\"half wri\n[HKEY_LOCAL_MACHINE\\B]\n\"after\"=dword:00000002\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("kept")), QStringLiteral("1"));
    EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("cut")));
    EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, QStringLiteral("B"), QStringLiteral("after")), 2u);
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_NE(err.find("HKEY_LOCAL_MACHINE.reg is damaged (line 4: unterminated text)"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(readFile(hklmFile() + QStringLiteral(".bad")).contains("half wri"));
    // What parsed is the root's file now, for every process.
    EXPECT_TRUE(readFile(hklmFile()).contains("\"after\"=dword:00000002"));

    // The store works on; a second damaged file does not overwrite the first one set aside.
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("C"), QStringLiteral("v"), QStringLiteral("1")));
    writeFile(hklmFile(), "not a registry file");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("D"), QStringLiteral("v"), QStringLiteral("2")));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(QFile::exists(hklmFile() + QStringLiteral(".2.bad")));
    EXPECT_FALSE(reg::keyExists(RegRoot::LocalMachine, QStringLiteral("C")));
    EXPECT_TRUE(reg::keyExists(RegRoot::LocalMachine, QStringLiteral("D")));
}

TEST_F(RegistryTest, OldFormatFilesAreReadInTheAnsiCodePageAndKeepTheirLineEnds)
{
    // As exported by the original platform: no byte-order mark, Latin-1, CRLF.
    writeFile(hklmFile(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Varnel]\r\n"
                          "\"Owner\"=\"M\xfcller\"\r\n\"Count\"=dword:00000003\r\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("Owner")),
              QStringLiteral("M\u00fcller"));
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("City"),
                                 QStringLiteral("K\u00f6ln")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string());
    EXPECT_FALSE(QFile::exists(hklmFile() + QStringLiteral(".bad")));

    const QByteArray text = readFile(hklmFile());
    EXPECT_TRUE(text.contains("\"Owner\"=\"M\xc3\xbcller\"\r\n\"Count\"=dword:00000003\r\n\"City\"=\"K\xc3\xb6ln\"\r\n"))
        << text.constData();
    EXPECT_EQ(text.count("\r\n"), text.count('\n')) << "a line end lost its carriage return";
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("Owner")),
              QStringLiteral("M\u00fcller"));

    // A file written on this machine keeps its plain line ends.
    ASSERT_TRUE(reg::writeString(RegRoot::CurrentUser, QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1")));
    EXPECT_FALSE(readFile(root.file(QStringLiteral("registry/HKEY_CURRENT_USER.reg"))).contains('\r'));
}

TEST_F(RegistryTest, LeftoverTemporaryFilesOfADeadWriterAreNeverRead)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("v"), QStringLiteral("good"));
    // What a writer killed before its rename leaves behind.
    const QString stray = hklmFile() + QStringLiteral(".tmp.999999");
    writeFile(stray, "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"ha");

    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("v")), QStringLiteral("good"));
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("w"), QStringLiteral("next")));
    EXPECT_FALSE(QFile::exists(stray));
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("v")), QStringLiteral("good"));
}

TEST_F(RegistryTest, ChangesByAnotherProcessAreSeen)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("Shared"), QStringLiteral("mine"), QStringLiteral("1"));
    EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, QStringLiteral("Shared"), QStringLiteral("theirs0")));
    ASSERT_EQ(QProcess::execute(helperProgram(), {"regwrite", "Shared", "theirs", "1"}), 0);
    EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, QStringLiteral("Shared"), QStringLiteral("theirs0")), 0u);
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("Shared"), QStringLiteral("mine")), QStringLiteral("1"));
}

TEST_F(RegistryTest, TwoProcessesWritingOneKeyAtOnceLoseNoWrite)
{
    const int count = 150;
    QProcess a, b;
    a.start(helperProgram(), {"regwrite", "Software\\Race", "a", QString::number(count)});
    b.start(helperProgram(), {"regwrite", "SOFTWARE\\race", "b", QString::number(count)});
    // This process writes into the same key meanwhile.
    for (int i = 0; i < 50; ++i)
        reg::writeDword(RegRoot::LocalMachine, QStringLiteral("Software\\Race"), QStringLiteral("c%1").arg(i), i);
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    const QStringList names = reg::valueNames(RegRoot::LocalMachine, QStringLiteral("Software\\Race"));
    EXPECT_EQ(names.size(), 2 * count + 50);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, QStringLiteral("Software\\Race"), QStringLiteral("a%1").arg(i)), quint32(i));
        EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, QStringLiteral("Software\\Race"), QStringLiteral("b%1").arg(i)), quint32(i));
    }
    EXPECT_EQ(QDir(root.file(QStringLiteral("registry"))).entryList({"*.bad"}).size(), 0);
}

TEST_F(RegistryTest, AWriterKilledMidWriteLeavesAReadableStore)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("Keep"), QStringLiteral("v"), QStringLiteral("kept"));
    for (int round = 0; round < 5; ++round) {
        QProcess writer;
        writer.start(helperProgram(), {"regloop", "Busy"});
        ASSERT_TRUE(writer.waitForReadyRead(20000));
        usleep(static_cast<useconds_t>(3000 + round * 7000));
        writer.kill();
        writer.waitForFinished(10000);

        testing::internal::CaptureStderr();
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("Keep"), QStringLiteral("v")), QStringLiteral("kept"));
        EXPECT_TRUE(reg::keyExists(RegRoot::LocalMachine, QStringLiteral("Busy")));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string());
    }
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("Keep"), QStringLiteral("w"), QStringLiteral("after")));
    EXPECT_EQ(QDir(root.file(QStringLiteral("registry"))).entryList({"*.tmp.*", "*.bad"}).size(), 0);
}

// The same property the fuzz target checks, over seeded damage of a real file:
// nothing crashes, and whatever parses (or is kept of a damaged file) writes
// back to the same tree.
TEST(RegistryFileFormat, DamagedVariantsNeverCrashAndWhatParsesRoundTrips)
{
    const QByteArray seed =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Varnel]\n"
        "\"InstallDirectory\"=\"C:\\\\Varnel\\\\Patchwell\"\n\"Count\"=dword:0000000a\n"
        "@=\"x\"\n\"Blob\"=hex:01,\\\n 02\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Products]\n";
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
    const char alphabet[] = "[]\\\"=@:;\n\r dwordhex0aF\xff";
    quint32 state = 12345;
    auto next = [&] { state = state * 1103515245u + 12345u; return (state >> 8) & 0xFFFFFF; };
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray data = seed;
        if (round < int(seed.size())) {
            data.truncate(round);                       // every cut of the file
        } else {
            for (int edits = 1 + next() % 4; edits > 0; --edits) {
                const qsizetype at = next() % (data.size() + 1);
                const char c = alphabet[next() % (sizeof alphabet - 1)];
                switch (next() % 3) {
                case 0: data.insert(at, c); break;
                case 1: if (at < data.size()) data[at] = c; break;
                default: data.remove(at, 1 + next() % 3); break;
                }
            }
        }
        reg::RegTree tree, again;
        QString error;
        // A damaged file's kept part is written back too, so it must round-trip as well.
        if (reg::parseRegistryText(data, root, tree, &error))
            ++parsed;
        ASSERT_TRUE(reg::parseRegistryText(reg::formatRegistryText(tree, root), root, again, &error))
            << data.constData() << " -> " << qPrintable(error);
        ASSERT_TRUE(again == tree) << data.constData();
    }
    EXPECT_GT(parsed, 100);
}

TEST(RegistryFileFormat, OneDamagedLineCostsOnlyItself)
{
    const QByteArray text =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\A]\n\"a1\"=\"x\"\n\"bad\"=dword:zz\n\"a2\"=\"\xc3\xa9\"\n\"a3\"=\"\xff\"\n"
        "[HKEY_LOCAL_MACHINE\\B\n\"lost\"=\"under a broken header\"\n"
        "[HKEY_LOCAL_MACHINE\\C]\n\"c1\"=dword:00000001\n";
    reg::RegTree tree;
    QString error;
    EXPECT_FALSE(reg::parseRegistryText(text, QStringLiteral("HKEY_LOCAL_MACHINE"), tree, &error));
    EXPECT_EQ(error, QStringLiteral("line 4: bad dword value (4 damaged lines in all)"));
    const reg::RegKey *a = tree.find(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->findValue(QStringLiteral("a1"))->text, QStringLiteral("x"));
    EXPECT_EQ(a->findValue(QStringLiteral("a2"))->text, QStringLiteral("\u00e9"));
    EXPECT_EQ(a->findValue(QStringLiteral("bad")), nullptr);
    EXPECT_EQ(a->findValue(QStringLiteral("a3")), nullptr);
    EXPECT_EQ(tree.find(QStringLiteral("B")), nullptr);
    ASSERT_NE(tree.find(QStringLiteral("C")), nullptr);
    EXPECT_EQ(tree.find(QStringLiteral("C"))->findValue(QStringLiteral("C1"))->dword, 1u);
}

TEST(RegistryFileFormat, AKeyWithManyValuesKeepsEachNameOnce)
{
    QByteArray text = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Many]\n";
    const int count = 50000;
    for (int i = 0; i < count; ++i)
        text += "\"v" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(i, 16) + "\n";
    text += "\"V7\"=\"again\"\n"; // a later line of the same name wins, in the first one's place
    text += "\"\xc3\x84rger \xf0\x90\x90\x80\"=\"umlaut\"\n";
    reg::RegTree tree;
    QString error;
    ASSERT_TRUE(reg::parseRegistryText(text, QStringLiteral("HKEY_LOCAL_MACHINE"), tree, &error)) << qPrintable(error);
    reg::RegKey *key = tree.find(QStringLiteral("many"));
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values().size(), count + 1);
    EXPECT_EQ(key->values()[7].text, QStringLiteral("again"));
    ASSERT_NE(key->findValue(QStringLiteral("\u00e4RGER \U00010428")), nullptr);  // letter case beyond ASCII too
    EXPECT_EQ(key->findValue(QStringLiteral("\u00e4RGER \U00010428"))->text, QStringLiteral("umlaut"));
    EXPECT_EQ(key->findValue(QStringLiteral("v49999"))->dword, 49999u);
    EXPECT_TRUE(key->removeValue(QStringLiteral("V3")));
    EXPECT_EQ(key->findValue(QStringLiteral("v3")), nullptr);
    EXPECT_EQ(key->findValue(QStringLiteral("v4"))->dword, 4u);  // the index follows the removal
    EXPECT_EQ(key->findValue(QStringLiteral("v49999"))->dword, 49999u);
}

namespace {

// Keeps all but `spare` file descriptors of this process in use while it lives.
class FileDescriptorsExhausted {
public:
    explicit FileDescriptorsExhausted(int spare)
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = ::open("/dev/null", O_RDONLY);
        ::close(highest);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, rlim_t(highest + 64));
        ::setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
            fds_.push_back(fd);
        for (int i = 0; i < spare && !fds_.empty(); ++i) {
            ::close(fds_.back());
            fds_.pop_back();
        }
    }
    ~FileDescriptorsExhausted()
    {
        for (int fd : fds_)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
private:
    rlimit saved_{};
    std::vector<int> fds_;
};

} // namespace

TEST_F(RegistryTest, AFileThatCannotBeReadIsReportedAndNeverReplaced)
{
    const QString key = QStringLiteral("Software\\Varnel");
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("InstallDirectory"), QStringLiteral("c:\\pw")));
    // Another process changes the file, so the next call has to read it again.
    ASSERT_EQ(QProcess::execute(helperProgram(), {"regwrite", "Software\\Varnel", "n", "3"}), 0);

    testing::internal::CaptureStderr();
    bool written = true;
    {
        // One descriptor for the lock, none to read the store with; the one the
        // store held on the older file would do for a temporary file.
        FileDescriptorsExhausted exhausted(1);
        written = reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("Logging"), QStringLiteral("on"));
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err; // the cause once, the refused write once

    // Once it can be read again, nothing is missing.
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, key, QStringLiteral("InstallDirectory")), QStringLiteral("c:\\pw"));
    EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, key, QStringLiteral("n2")), 2u);
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("Logging"), QStringLiteral("on")));
    EXPECT_EQ(reg::valueNames(RegRoot::LocalMachine, key).size(), 5);
}

TEST_F(RegistryTest, AFileAnotherUserOwnsIsNeverReplacedByOneWhoCannotReadIt)
{
    QString why;
    const auto user = otherUser(&why);
    if (!user)
        GTEST_SKIP() << qPrintable(why);
    // As after one run as root: the file is root's own, readable by root only.
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("InstallDirectory"), QStringLiteral("c:\\pw")));
    ASSERT_TRUE(QFile::setPermissions(hklmFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QFile::remove(root.file(QStringLiteral("registry/HKEY_LOCAL_MACHINE.lock")));
    ASSERT_TRUE(handOver(root.path(), root.file(QStringLiteral("registry")), *user));
    const QByteArray before = readFile(hklmFile());

    QByteArray out, err;
    EXPECT_EQ(runAsOtherUser(*user, helperProgram(), {"regread", "Software\\Varnel", "InstallDirectory"}, &out, &err), 0);
    EXPECT_EQ(out, QByteArray("(none)\n(none)\n(none)\n"));
    EXPECT_TRUE(err.contains("cannot read") && err.contains("HKEY_LOCAL_MACHINE.reg")) << err.constData();
    EXPECT_EQ(err.count('\n'), 1) << err.constData();

    EXPECT_EQ(runAsOtherUser(*user, helperProgram(), {"regwrite", "Software\\Varnel", "x", "1"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("cannot write")) << err.constData();
    EXPECT_TRUE(readFile(hklmFile()) == before) << "the file was written over";
}

TEST_F(RegistryTest, ARunAsRootLeavesTheUsersFilesTheUsers)
{
    QString why;
    const auto user = otherUser(&why);
    if (!user)
        GTEST_SKIP() << qPrintable(why);
    QDir().mkpath(root.file(QStringLiteral("registry")));
    ASSERT_TRUE(handOver(root.path(), root.file(QStringLiteral("registry")), *user));
    // The user's own store ...
    QByteArray out, err;
    ASSERT_EQ(runAsOtherUser(*user, helperProgram(), {"regwrite", "Software\\Varnel", "mine", "1"}, &out, &err), 0) << err.constData();
    // ... written once by root (this process), which leaves a lock file of its own behind.
    QFile::remove(root.file(QStringLiteral("registry/HKEY_LOCAL_MACHINE.lock")));
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel"), QStringLiteral("root"), QStringLiteral("1")));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(hklmFile()).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, user->uid);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The user reads and writes on.
    EXPECT_EQ(runAsOtherUser(*user, helperProgram(), {"regwrite", "Software\\Varnel", "again", "1"}, &out, &err), 0) << err.constData();
    EXPECT_EQ(reg::valueNames(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel")),
              (QStringList{"mine0", "root", "again0"}));
}

TEST_F(RegistryTest, AWriterGivesUpOnALockAHungProcessHoldsAndSaysSo)
{
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("v"), QStringLiteral("1")));
    QProcess holder;
    holder.start(helperProgram(), {"reglock"});
    ASSERT_TRUE(holder.waitForReadyRead(20000));
    ASSERT_EQ(holder.readAllStandardOutput(), QByteArray("held\n"));

    const double savedScale = tl::timeScale();
    tl::setTimeScale(0.02);
    testing::internal::CaptureStderr();
    auto write = std::async(std::launch::async, [] {
        return reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("w"), QStringLiteral("2"));
    });
    const bool returned = write.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    holder.kill();
    holder.waitForFinished(10000);
    const bool written = write.get();
    const std::string err = testing::internal::GetCapturedStderr();
    tl::setTimeScale(savedScale);

    EXPECT_TRUE(returned) << "the writer waited for the lock without a limit";
    EXPECT_FALSE(written);
    EXPECT_NE(err.find("held by another process"), std::string::npos) << err;
    // Reading goes on meanwhile, and writing once the holder is gone.
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("w"), QStringLiteral("2")));
}

TEST_F(RegistryTest, TheFilesAreReadableByTheirOwnerOnly)
{
    auto modeOf = [](const QString &path) {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0777u;
    };
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("Password"), QStringLiteral("secret")));
    EXPECT_EQ(modeOf(hklmFile()), 0600u);

    // A file left readable by others is narrowed, one its owner made read-only stays so.
    writeFile(root.file(QStringLiteral("registry/HKEY_CURRENT_USER.reg")), "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n");
    ::chmod(QFile::encodeName(root.file(QStringLiteral("registry/HKEY_CURRENT_USER.reg"))).constData(), 0644);
    EXPECT_EQ(reg::readString(RegRoot::CurrentUser, QStringLiteral("A"), QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_EQ(modeOf(root.file(QStringLiteral("registry/HKEY_CURRENT_USER.reg"))), 0600u);
    ::chmod(QFile::encodeName(hklmFile()).constData(), 0444);
    ASSERT_TRUE(reg::writeString(RegRoot::LocalMachine, QStringLiteral("A"), QStringLiteral("User"), QStringLiteral("me")));
    EXPECT_EQ(modeOf(hklmFile()), 0400u);

    // A damaged file set aside keeps its credentials to its owner too.
    writeFile(hklmFile(), "damaged\n");
    ::chmod(QFile::encodeName(hklmFile()).constData(), 0644);
    testing::internal::CaptureStderr();
    reg::keyExists(RegRoot::LocalMachine, QStringLiteral("A"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(modeOf(hklmFile() + QStringLiteral(".bad")), 0600u);

    // The temporary file a writer fills is the owner's alone from its creation on.
    QProcess writer;
    writer.start(helperProgram(), {"regloop", "Busy"});
    ASSERT_TRUE(writer.waitForReadyRead(20000));
    const QDir dir(root.file(QStringLiteral("registry")));
    QStringList temporaries;
    for (int tries = 0; temporaries.isEmpty() && tries < 20000; ++tries) {
        for (const QString &name : dir.entryList({"*.tmp.*"}, QDir::Files | QDir::Hidden)) {
            const unsigned mode = modeOf(dir.filePath(name));
            if (mode != 0777u)   // 0777: gone before we looked
                temporaries << QStringLiteral("%1 %2").arg(name).arg(mode, 0, 8);
        }
    }
    writer.kill();
    writer.waitForFinished(10000);
    ASSERT_FALSE(temporaries.isEmpty());
    for (const QString &t : temporaries)
        EXPECT_TRUE(t.endsWith(QLatin1String(" 600"))) << qPrintable(t);
}
