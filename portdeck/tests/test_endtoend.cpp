// Portdeck against the device emulator in its own process: detection in both
// modes and the ISDN TA screen, with what the devices received checked from
// their transcripts.

#include "formfixture.h"
#include "paths.h"

#include <QProcess>

namespace {

class WithTallysim : public PortdeckForm {
protected:
    void TearDown() override
    {
        PortdeckForm::TearDown();
        for (auto &p : sims) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
    // Starts one emulated product as COMn; false when tallysim is not built.
    bool sim(const char *product, int com, const QStringList &extra = {})
    {
        const QString program = tl::programDirectory() + QStringLiteral("/tallysim");
        if (!QFile::exists(program))
            return false;
        auto p = std::make_unique<QProcess>();
        p->start(program, QStringList{"--product", product, "--com", QString::number(com), "--link",
                                      root.file(QStringLiteral("ttyCOM%1").arg(com)), "--log",
                                      root.file(QStringLiteral("COM%1.log").arg(com))}
                              + extra);
        const bool ready = p->waitForReadyRead(10000);
        sims.push_back(std::move(p));
        return ready;
    }
    QString transcript(int com)
    {
        QFile f(root.file(QStringLiteral("COM%1.log").arg(com)));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    std::vector<std::unique_ptr<QProcess>> sims;
};

} // namespace

TEST_F(WithTallysim, DirectDetectionAndIsdnTaScreen)
{
    if (!sim("isdnta", 1) || !sim("56k", 3) || !sim("idsl", 4))
        GTEST_SKIP() << "tallysim is not built";
    start();
    detected();
    ASSERT_EQ(frame->ModemCount, 3);
    EXPECT_EQ(frame->deviceRecords[0].name, "Varnel Brenmoor ISDN TA");
    EXPECT_EQ(frame->deviceRecords[1].nComnPort, 3);
    EXPECT_EQ(frame->deviceRecords[2].nModemType, 2);
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_FALSE(frame->infoValues[7]->text().isEmpty());
    EXPECT_EQ(frame->serialNumber, frame->infoValues[7]->text());
    EXPECT_NE(frame->ati7State, "");
    const QString isdn = transcript(1);
    for (const char *command : {"ATE0Q0V1", "ATI7", "AT#D=", "AT#T=", "AT~C?", "ati7", "ati12"})
        EXPECT_TRUE(isdn.contains(QLatin1String(command))) << command;
    EXPECT_FALSE(transcript(3).contains(QLatin1String("AT#D=")));
    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
}

TEST_F(WithTallysim, TapiDetectionSetsTheClockInUsOrder)
{
    if (!sim("isdnta", 2, {"--tapi-name", "Varnel Brenmoor ISDN TA"}))
        GTEST_SKIP() << "tallysim is not built";
    start({"/l", "/t"});
    frame->clockNow = [] { return QDateTime(QDate(1999, 4, 7), QTime(9, 5, 3)); };
    detected();
    ASSERT_EQ(frame->m_nNumDetectedProducts, 1);
    EXPECT_EQ(frame->lastProductCode, "5240");
    const QString log = transcript(2);
    EXPECT_TRUE(log.contains(QLatin1String("AT#D=4:7:99"))) << qPrintable(log.left(2000));
    EXPECT_TRUE(log.contains(QLatin1String("AT#T=9:5:3")));
}
