// Command line, "prodId.txt", identity answers, clock commands and the COM
// port lookups in the registry store.

#include "commandline.h"
#include "comportlookup.h"
#include "fakedevice.h"
#include "fresh_root.h"
#include "identity.h"
#include "productcodes.h"
#include "registry.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace identity;

TEST(CommandLine, SwitchesInAnyCaseLaterOnesWin)
{
    CommandLineOptions o = parseCommandLine({"/T", "/NOTAPI"});
    EXPECT_FALSE(o.tapiMode);
    o = parseCommandLine({"/notapi", "/t", "/L", "/S", "/Y"});
    EXPECT_TRUE(o.tapiMode);
    EXPECT_TRUE(o.logging);
    EXPECT_TRUE(o.debugWindow);
    EXPECT_TRUE(o.waitAndYield);
    o = parseCommandLine({"/s"});
    EXPECT_TRUE(o.debugWindow);
    EXPECT_FALSE(o.logging);
    EXPECT_FALSE(parseCommandLine({"/tt", "-t", "t"}).tapiMode);   // compared whole
}

TEST(CommandLine, BaudRate)
{
    EXPECT_EQ(parseCommandLine({}).baudRate, 57600);
    EXPECT_EQ(parseCommandLine({"/b:9600"}).baudRate, 57600);
    EXPECT_EQ(parseCommandLine({"/B:115200"}).baudRate, 115200);
    EXPECT_EQ(parseCommandLine({"/b:19200", "/b:38400"}).baudRate, 38400);
    EXPECT_THROW(parseCommandLine({"/b:fast"}), EConvertError);
    EXPECT_THROW(parseCommandLine({"/b:"}), EConvertError);
}

TEST(ProdId, OverridesOnlyWithEightCharacterValues)
{
    ProductCodes codes;
    applyProdIdLines({"56KBusinessModem=00517900"}, codes);
    EXPECT_EQ(codes.extraModem, "5179");
    ProductCodes unchanged;
    applyProdIdLines({"56KBusinessModem=5179", "ISDNTAModem=0052"}, unchanged);
    EXPECT_EQ(unchanged.extraModem, "");
    EXPECT_EQ(unchanged.isdnA, "5240");
    ProductCodes isdn;
    applyProdIdLines({"nothing here", " ISDNTAModem= 00524500 ", "ISDNTAST=00524600"}, isdn);
    EXPECT_EQ(isdn.extraModem, "");
    EXPECT_EQ(isdn.isdnA, "5245");
    EXPECT_EQ(isdn.isdnB, "5246");
    ProductCodes twoLines;   // "ISDNTAST" counts only in files of more than two lines
    applyProdIdLines({"x", "ISDNTAST=00524600"}, twoLines);
    EXPECT_EQ(twoLines.isdnB, "5241");
    ProductCodes keyOnSecondLineOnly;   // each key belongs to its line
    applyProdIdLines({"ISDNTAModem=00524500", "56KBusinessModem=00517900"}, keyOnSecondLineOnly);
    EXPECT_EQ(keyOnSecondLineOnly.isdnA, "5240");
    EXPECT_EQ(keyOnSecondLineOnly.extraModem, "");
}

TEST(ProdId, MissingFileKeepsDefaults)
{
    FreshRoot root;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root.path());
    ProductCodes codes;
    applyProdIdFile(codes);
    EXPECT_EQ(codes.isdnA, "5240");
    QFile file(root.file("prodId.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("56KBusinessModem=00517900\r\nISDNTAModem=00524200\r\nISDNTAST=00524300\r\n");
    file.close();
    applyProdIdFile(codes);
    QDir::setCurrent(previous);
    EXPECT_EQ(codes.extraModem, "5179");
    EXPECT_EQ(codes.isdnA, "5242");
    EXPECT_EQ(codes.isdnB, "5243");
}

TEST(FieldExtraction, BetweenKeysTrimmed)
{
    const QString answer = FakeDevice::identityAnswer(FakeProduct::IsdnTaPro, "QP0520002") + "\r\nOK\r\n";
    EXPECT_EQ(extractField(answer, "Product ID", "Clock Freq").value(), "00524100");
    EXPECT_EQ(extractField(answer, "Serial Number", "OK").value(), "QP0520002");
    EXPECT_FALSE(extractField(answer, "Nothing", "OK").has_value());
    // A missing end key gives the rest of the answer; one before the value, nothing.
    EXPECT_TRUE(extractField(answer, "Code rev", "Missing").value().startsWith("3.02"));
    EXPECT_EQ(extractField(answer, "Serial Number", "Product ID").value(), "");
    EXPECT_EQ(extractField(answer, "Product type", "Options", "Product ID").value(), "US/Canada External");
}

TEST(ProductCode, CharactersThreeToSix)
{
    const QString isdn = FakeDevice::identityAnswer(FakeProduct::IsdnTaPro, "X") + "\r\nOK\r\n";
    EXPECT_EQ(productCode(isdn, "Clock Freq"), "5241");
    const QString modem = FakeDevice::identityAnswer(FakeProduct::Modem56k, "X") + "\r\nOK\r\n";
    EXPECT_EQ(productCode(modem, "Options"), "5172");
    EXPECT_EQ(productCode("no id here", "Options"), "");
    EXPECT_EQ(codeFromIdentifier("00517300"), "5173");
    EXPECT_EQ(codeFromIdentifier("5173"), "");

    // Direct mode: one separator skipped, cut at the carriage return, trimmed.
    EXPECT_EQ(modemTypeCodeFromAti7("Product ID:  0x52410000\r\nClock"), "5241");
    EXPECT_EQ(modemTypeCodeFromAti7(isdn), "5241");
    EXPECT_EQ(modemTypeCodeFromAti7("Product ID 0x524\r\n"), "524");   // short value, short code
    QStringList steps;
    modemTypeCodeFromAti7("Product ID   00524001  \r\n", [&](int, const QString &t) { steps << t; });
    EXPECT_EQ(steps, QStringList({"  00524001  ", "00524001  ", "00524001"}));
}

TEST(FirmwareDate, PerProductFamily)
{
    EXPECT_EQ(FirmwareDate(FakeDevice::identityAnswer(FakeProduct::Modem56k, "X")), "03/10/99");
    EXPECT_EQ(FirmwareDate(FakeDevice::identityAnswer(FakeProduct::IsdnTa, "X")), "04/12/99");
    EXPECT_EQ(FirmwareDate("Varnel something\r\nOK"), "00/00/00");
    EXPECT_EQ(FirmwareDate("56K Supervisor rev only"), "00/00/00");
}

TEST(ModemName, CutBeforeHardwareConfigurationOrProfile)
{
    EXPECT_EQ(GetModemNameFromATI7Data("\r\nVarnel Tallyline 56K Business Modem Hardware Rev 3\r\n"),
              "Varnel Tallyline 56K Business Modem");
    EXPECT_EQ(GetModemNameFromATI7Data(FakeDevice::identityAnswer(FakeProduct::IsdnTa, "X")), "Varnel Brenmoor ISDN TA");
    EXPECT_EQ(GetModemNameFromATI7Data("xx VARNEL LUMORA IDSL MODEM PROFILE 1"), "VARNEL LUMORA IDSL MODEM");
    EXPECT_EQ(GetModemNameFromATI7Data("Varnel A Configuration B Hardware"), "Varnel A Configuration B");
    EXPECT_EQ(GetModemNameFromATI7Data("no maker"), "");
    QString logged;
    GetModemNameFromATI7Data(QString(100, 'x').prepend("Varnel "), [&](const QString &t) { logged = t; });
    EXPECT_EQ(logged.size(), 80);
}

TEST(ClockCommands, UsAndInternationalOrder)
{
    const QDateTime when(QDate(1999, 4, 7), QTime(9, 5, 3));
    EXPECT_EQ(dateCommand(when, true), "AT#D=4:7:99\r");
    EXPECT_EQ(dateCommand(when, false), "AT#D=7:4:99\r");
    EXPECT_EQ(timeCommand(when), "AT#T=9:5:3\r");
    EXPECT_EQ(dateCommand(QDateTime(QDate(2005, 12, 31), QTime(23, 59, 59)), true), "AT#D=12:31:05\r");
    EXPECT_EQ(dateCommand(QDateTime(QDate(2000, 1, 2), QTime(0, 0, 0)), false), "AT#D=2:1:00\r");
}

TEST(ProductInfo, RowsPerProductType)
{
    const QString isdn = FakeDevice::identityAnswer(FakeProduct::IsdnTa, "QB1") + "\r\nOK\r\n";
    ProductInfo info = parseProductInfo(isdn, "ISDNTA");
    EXPECT_EQ(info.values[RowProductId], "00524001");
    EXPECT_EQ(info.values[RowProductType], "US/Canada External");
    EXPECT_EQ(info.values[RowClock], "16.384 MHz");
    EXPECT_EQ(info.values[RowDate1], "512K");
    EXPECT_EQ(info.values[RowRev1], "04/12/99");
    EXPECT_EQ(info.values[RowRev2], "3.02");
    EXPECT_EQ(info.values[RowSerial], "QB1");
    const QString modem = FakeDevice::identityAnswer(FakeProduct::Modem56k, "TL9") + "\r\nOK\r\n";
    info = parseProductInfo(modem, "56KModem");
    EXPECT_EQ(info.values[RowProductId], "00517200");
    EXPECT_EQ(info.values[RowDate1], "03/10/99");
    EXPECT_EQ(info.values[RowDate2], "02/18/99");
    EXPECT_EQ(info.values[RowRev2], "1.07");
    info = parseProductInfo("Varnel X\r\nOK", "IDSL");
    EXPECT_FALSE(info.hasProductId);
    EXPECT_FALSE(info.hasSerialNumber);
    EXPECT_STREQ(dateRowCaption(RowRev1, "IDSL"), "Code Date:");
    EXPECT_STREQ(dateRowCaption(RowRev2, "56KModem"), "DSP Rev:");
}

class ComPortLookup : public FreshRootTest {
protected:
    void modem(const QString &sub, const QString &desc, const QString &attached, const QString &matching = {})
    {
        const QString key = "System\\CurrentControlSet\\Services\\Class\\Modem\\" + sub;
        reg::writeString(RegRoot::LocalMachine, key, "DriverDesc", desc);
        reg::writeString(RegRoot::LocalMachine, key, "AttachedTo", attached);
        if (!matching.isEmpty())
            reg::writeString(RegRoot::LocalMachine, key, "MatchingDeviceId", matching);
    }
    void nt(const QString &cls, const QString &sub, const QString &name, const QString &attached)
    {
        const QString key = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + cls + "\\" + sub;
        reg::writeString(RegRoot::LocalMachine, key, "FriendlyName", name);
        reg::writeString(RegRoot::LocalMachine, key, "AttachedTo", attached);
    }
};

TEST_F(ComPortLookup, ModemClassLastMatchWinsAndOddEntriesAreSkipped)
{
    modem("0000", "Varnel Brenmoor ISDN TA", "COM3");
    modem("0001", "Varnel Brenmoor ISDN TA", "COM5");
    modem("1002", "Varnel Brenmoor ISDN TA", "COM7");      // not starting with "0"
    modem("0003", "Varnel Brenmoor ISDN TA", "COMx");      // not a number: skipped
    modem("0004", "Varnel Tallyline 56K", "COM200");
    EXPECT_EQ(GetComPort("Varnel Brenmoor ISDN TA"), 5);
    EXPECT_EQ(GetComPort("varnel brenmoor isdn ta"), 0);   // driver description compared exactly
    EXPECT_EQ(GetComPort("Varnel Tallyline 56K"), 200);
    EXPECT_EQ(GetComPort("Nobody"), 0);
}

TEST_F(ComPortLookup, UsbModemFoundThroughEnum)
{
    modem("0007", "Varnel Tallyline 56K USB", "", "USB\\VID_1234&PID_0001");
    const QString inst = "Enum\\USB\\VID_1234&PID_0001\\5&1";
    reg::writeString(RegRoot::LocalMachine, inst, "Driver", "Modem\\0007");
    reg::writeString(RegRoot::LocalMachine, inst, "PORTNAME", "COM9");
    const QString other = "Enum\\USB\\VID_1234&PID_0001\\5&2";
    reg::writeString(RegRoot::LocalMachine, other, "Driver", "Modem\\0008");
    reg::writeString(RegRoot::LocalMachine, other, "AttachedTo", "COM4");
    QStringList lines;
    EXPECT_EQ(GetComPort("Varnel Tallyline 56K USB", [&](const char *f, const QString &t) {
                  lines << QString::asprintf(f, t.toLatin1().constData()); }), 9);
    EXPECT_TRUE(lines.contains("strPortName=COM9\n"));
    EXPECT_EQ(lines.first(), "MatchString[Varnel Tallyline 56K USB]\n");
    EXPECT_EQ(lines.last(), "out of GetComPortFromReg loop\n");
}

TEST_F(ComPortLookup, NtLayoutFirstMatchWins)
{
    nt("{4D36E96D}", "0000", "Varnel Brenmoor ISDN TA", "");
    nt("{4D36E96D}", "0001", "Varnel Brenmoor ISDN TA", "COM6");
    nt("{4D36E96D}", "0002", "Varnel Brenmoor ISDN TA", "COM8");
    nt("{4D36E978}", "Properties", "Varnel Brenmoor ISDN TA", "COM2");
    EXPECT_EQ(GetComPortFromRegOnNT("Varnel Brenmoor ISDN TA"), 6);
    EXPECT_EQ(GetComPortFromRegOnNT("Other"), 0);
    EXPECT_EQ(comNumberFromText("COM12"), 12);
    EXPECT_EQ(comNumberFromText("COM"), 0);
    EXPECT_EQ(comNumberFromText("COM-3"), 0);
}
