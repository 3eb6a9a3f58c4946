// Text parsers and composers with literal device texts.
#include "deviceanswers.h"
#include "firmwareimage.h"
#include "formhelpers.h"
#include "modemsettings.h"
#include "terminalscreen.h"

using namespace companions;

TEST(Answers, FinalResultIsALineOfItsOwn)
{
    EXPECT_EQ(findFinalResult("ati7\r\r\nBOOK\r\n"), FinalResult::None);
    EXPECT_EQ(findFinalResult("\r\nOK"), FinalResult::None);   // not complete yet
    EXPECT_EQ(findFinalResult("\r\nOK\r\n"), FinalResult::Ok);
    EXPECT_EQ(findFinalResult("at\r\r\nERROR\r\n"), FinalResult::Error);
    qsizetype at = -1;
    EXPECT_EQ(findFinalResult("x\r\nOK\r\nmore", &at), FinalResult::Ok);
    EXPECT_EQ(at, 3);
}

TEST(Answers, BodyDropsEchoResultAndBlankEdges)
{
    EXPECT_EQ(answerBody("ati4\r\r\nModem Settings\r\n\r\n  E   =1\r\n\r\nOK\r\n", "ati4\r"),
              QStringLiteral("Modem Settings\n\n  E   =1"));
    // Without echo, and a first line that merely resembles the command, nothing is lost.
    EXPECT_EQ(answerBody("\r\nati4 report\r\nOK\r\n", "ati4\r"), QStringLiteral("ati4 report"));
}

TEST(Answers, IdentityOfEachProductFamily)
{
    const DeviceIdentity modem = parseIdentity(
        "Varnel Tallyline 56K Business Modem Hardware Profile\nProduct type      Germany External\n"
        "Product ID        00517300\nSupervisor date   06/15/99\nDSP date          02/18/99\n"
        "Supervisor rev    2.10\nSerial Number     TI0615004");
    EXPECT_EQ(modem.name, QStringLiteral("Varnel Tallyline 56K Business Modem"));
    EXPECT_EQ(modem.productCode, QStringLiteral("5173"));
    EXPECT_EQ(modem.firmwareDate, QStringLiteral("06/15/99"));
    EXPECT_EQ(modem.firmwareRev, QStringLiteral("2.10"));
    EXPECT_EQ(countryOfProductType(modem.productType), QStringLiteral("Germany"));

    const DeviceIdentity ta = parseIdentity("Varnel Brenmoor ISDN TA Hardware Profile\nProduct ID        00524001\n"
                                            "Code date         04/12/99\nCode rev          3.02\n");
    EXPECT_EQ(ta.productCode, QStringLiteral("5240"));
    EXPECT_EQ(ta.firmwareDate, QStringLiteral("04/12/99"));
    EXPECT_FALSE(parseIdentity("Product ID   123\n").valid());
    // A label is a whole word: "Ram" is not found in "Ramp".
    EXPECT_EQ(fieldValue("Ramp up  2\nRam  512K", QStringLiteral("Ram")), QStringLiteral("512K"));
}

TEST(Answers, CountryListAndReportValues)
{
    const QList<Country> list = parseCountryList("00:US/Canada\n01:Germany\n11:New Zealand\nnoise\n");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[2].code, QStringLiteral("11"));
    EXPECT_EQ(list[2].name, QStringLiteral("New Zealand"));
    const QString report = "  Switch type   *W =7  Leased Line 128K\n  SPID 1   *S1 =5551 \n  S07 =50\n  &K  =3";
    EXPECT_EQ(reportValue(report, QStringLiteral("*W")), QStringLiteral("7"));
    EXPECT_EQ(reportValue(report, QStringLiteral("*S1")), QStringLiteral("5551"));
    EXPECT_EQ(reportValue(report, QStringLiteral("*S")), QString());
    EXPECT_EQ(reportValue(report, QStringLiteral("&K")), QStringLiteral("3"));
}

TEST(Answers, FormatTextFillsConversionsInOrder)
{
    EXPECT_EQ(formatText(QStringLiteral("%s of %d at 100%%"), {QStringLiteral("a"), QStringLiteral("7")}),
              QStringLiteral("a of 7 at 100%"));
    EXPECT_EQ(formatText(QStringLiteral("%s and %s"), {QStringLiteral("x")}), QStringLiteral("x and "));
}

TEST(ModemSettings, ReadsTheReportAndComposesOnlyChanges)
{
    const mantlet::SettingValues read =
        mantlet::parseModemSettings("Modem Settings\n  &K  =3\n  S00 =0\n  S06 =2\n  S07 =50\n  S08 =2\n"
                                    "  S10 =14\n  S11 =95\n");
    EXPECT_EQ(read.value(QStringLiteral("S7")), 50);
    EXPECT_EQ(read.value(QStringLiteral("&K")), 3);
    EXPECT_EQ(read.size(), 7);
    mantlet::SettingValues edited = read;
    EXPECT_EQ(mantlet::composeSettingsCommand(read, edited), QByteArray());
    edited[QStringLiteral("S11")] = 70;
    edited[QStringLiteral("S0")] = 2;
    edited[QStringLiteral("&K")] = 0;
    EXPECT_EQ(mantlet::composeSettingsCommand(read, edited), QByteArray("ATS0=2S11=70&K0\r"));
}

TEST(FirmwareImage, HeaderNamesProductAndDate)
{
    using sprocket::FirmwareImage;
    using sprocket::inspectImageData;
    const FirmwareImage good = inspectImageData(QByteArray(100, '\0') + "VARNEL-FW 5240 12/31/00\r\n", 4000);
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.productCode, QStringLiteral("5240"));
    EXPECT_EQ(good.date, QStringLiteral("12/31/00"));
    EXPECT_EQ(inspectImageData("VARNEL-FW 5240 13/01/00", 100).problem, FirmwareImage::BadDate);
    EXPECT_EQ(inspectImageData("VARNEL-FW 5240 02/30/00", 100).problem, FirmwareImage::BadDate);
    EXPECT_EQ(inspectImageData("VARNEL-FW 52A0 01/01/00", 100).problem, FirmwareImage::NoHeader);
    EXPECT_EQ(inspectImageData("VARNEL-FW 5240 01/01", 100).problem, FirmwareImage::NoHeader);
    // The header must lie within the first 512 bytes.
    EXPECT_EQ(inspectImageData(QByteArray(500, 'x') + "VARNEL-FW 5240 01/01/00", 2000).problem,
              FirmwareImage::NoHeader);
    EXPECT_EQ(inspectImageData("", 0).problem, FirmwareImage::Empty);
    EXPECT_EQ(inspectImageData("VARNEL-FW 5240 01/01/00", sprocket::kMaxImageSize + 1).problem,
              FirmwareImage::TooLarge);
    EXPECT_EQ(sprocket::inspectImage(QStringLiteral("/nonexistent/fw.bin")).problem, FirmwareImage::Unreadable);
}

TEST(TerminalScreen, ShowsTextAsTheDevicePrintsIt)
{
    gantry::TerminalScreen screen(3);
    screen.feed("hello\rj");
    EXPECT_EQ(screen.text(), QStringLiteral("jello"));
    screen.feed("\r\nab\bX\tY");
    EXPECT_EQ(screen.lines().last(), QStringLiteral("aX      Y"));
    screen.feed("\n1\n2\n3");
    EXPECT_EQ(screen.lines(), (QStringList{"1", "2", "3"}));   // older lines scrolled away
    screen.feed(QByteArray("\x07\x1b", 2));
    EXPECT_EQ(screen.lines().last(), QStringLiteral("3"));
    EXPECT_EQ(gantry::keyBytes(Qt::Key_Return, QStringLiteral("\r")), QByteArray("\r"));
    EXPECT_EQ(gantry::keyBytes(Qt::Key_Backspace, QString()), QByteArray("\b"));
    EXPECT_EQ(gantry::keyBytes(Qt::Key_A, QStringLiteral("a")), QByteArray("a"));
    EXPECT_EQ(gantry::keyBytes(Qt::Key_Shift, QString()), QByteArray());
}
