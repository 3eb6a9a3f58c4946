// What the exerciser holds against a device's transcript, tried on literal
// transcripts: the faults of the configuration form it must see, and the
// ordinary sequences it must let pass.

#include "transcripts.h"

#include <gtest/gtest.h>

using exerciser::TranscriptLine;
using exerciser::TranscriptWatch;

namespace {

// Transcript lines as tallysim writes them, "[ms] > command\r".
QList<TranscriptLine> lines(std::initializer_list<const char *> raw)
{
    QList<TranscriptLine> out;
    for (const char *r : raw)
        if (auto line = exerciser::parseTranscriptLine(QByteArray(r)))
            out << *line;
    return out;
}

TranscriptWatch watch(qint64 restartWindowMs = 0)
{
    return TranscriptWatch(QString(), QStringLiteral("COM1"), {5000, restartWindowMs});
}

} // namespace

TEST(ExerciserOracles, TranscriptLinesAreRead)
{
    const auto timed = exerciser::parseTranscriptLine("[123456] > AT#R1=2\\r");
    ASSERT_TRUE(timed);
    EXPECT_EQ(timed->ms, 123456);
    EXPECT_EQ(timed->kind, '>');
    EXPECT_EQ(exerciser::commandOf(*timed), "AT#R1=2");
    const auto plain = exerciser::parseTranscriptLine("< \\r\\nOK\\r\\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->ms, -1);
    EXPECT_EQ(plain->kind, '<');
    EXPECT_FALSE(exerciser::parseTranscriptLine("[12 > AT"));
    EXPECT_FALSE(exerciser::parseTranscriptLine("garbage"));
    EXPECT_FALSE(exerciser::parseTranscriptLine(""));
}

// A save cut short by Back: the basic line went out, Portdeck's identity
// request came between, the voice line followed, and nothing stored them.
TEST(ExerciserOracles, ASaveLeftUnstoredAndTheFormTalkingWhenHiddenAreSeen)
{
    TranscriptWatch w = watch();
    EXPECT_TRUE(w.feed(lines({"> AT#R1=2\\r", "< \\r\\nOK\\r\\n"}), 0).isEmpty());
    w.formHidden();
    const QStringList faults = w.feed(lines({"> ati7\\r", "> AT#I1=0\\r", "< \\r\\nOK\\r\\n"}), 1000);
    ASSERT_EQ(faults.size(), 1);
    EXPECT_TRUE(faults[0].contains("\"AT#I1=0\" from the configuration form after it was hidden")) << qPrintable(faults[0]);
    EXPECT_TRUE(w.savePending());
    const QStringList late = w.feed({}, 6000);
    ASSERT_EQ(late.size(), 1);
    EXPECT_TRUE(late[0].contains("\"AT#R1=2\"") && late[0].contains("neither stored nor reported")) << qPrintable(late[0]);
}

// Change Country left during its wait: the restart, the save and its store
// all reached the device after the form was hidden.
TEST(ExerciserOracles, ACountryChangeGoingOnAfterBackIsSeen)
{
    TranscriptWatch w = watch();
    w.feed(lines({"> atc10=1&W\\r"}), 0);
    w.formHidden();
    const QStringList faults =
        w.feed(lines({"> ati7\\r", "> ATZ!\\r", "> AT#R1=1\\r", "> at&w\\r", "> ati12\\r", "> ati15\\r"}), 100);
    EXPECT_EQ(faults.size(), 4) << qPrintable(faults.join('\n'));   // ATZ!, the line, the store, ati15
}

TEST(ExerciserOracles, StoredOrReportedWritesAndTheLastCommandInFlightPass)
{
    TranscriptWatch w = watch();
    EXPECT_TRUE(w.feed(lines({"> AT#R1=2\\r", "> AT#I1=0\\r", "> at&w\\r", "> ati12\\r"}), 0).isEmpty());
    EXPECT_TRUE(w.feed(lines({"> AT*P0=212\\r", "> at&wz!\\r"}), 10).isEmpty());
    EXPECT_TRUE(w.feed(lines({"> AT*PPP=0S67=0\\r", "> AT&W\\r"}), 20).isEmpty());
    EXPECT_TRUE(w.feed(lines({"> AT&F4&w\\r"}), 30).isEmpty());
    // Unstored, but the user was told.
    w.feed(lines({"> AT#S1=1\\r"}), 40);
    w.boxShown("The changed settings were not saved: the ISDN TA did not confirm them.", 50);
    EXPECT_FALSE(w.savePending());
    // The one command on its way when the form was hidden, and Portdeck's own afterwards.
    w.formHidden();
    EXPECT_TRUE(w.feed(lines({"> at&w\\r", "> ati7\\r", "> ati12\\r", "> AT~C?\\r", "> AT#D=1:2:03\\r"}), 60).isEmpty());
    w.formShown();
    EXPECT_TRUE(w.feed(lines({"> ati15\\r"}), 70).isEmpty());
    EXPECT_TRUE(w.feed({}, 100000).isEmpty());
}

TEST(ExerciserOracles, OnlyProbesWhileTheTaRestarts)
{
    TranscriptWatch w = watch(1650);
    EXPECT_TRUE(w.feed(lines({"[1000] > ATZ!\\r", "[1100] > ati12\\r", "[1200] > ati7\\r", "[1300] > AT\\r"}), 0)
                    .isEmpty());
    const QStringList faults = w.feed(lines({"[1400] > at*Z212,5551234\\r", "[3000] > AT#R1=1\\r", "[3100] > at&w\\r"}), 0);
    ASSERT_EQ(faults.size(), 1);
    EXPECT_TRUE(faults[0].contains("\"at*Z212,5551234\" while it restarted after \"ATZ!\"")) << qPrintable(faults[0]);
    // A write that a restart throws away.
    const QStringList lost = w.feed(lines({"[5000] > AT*P1=5551234\\r", "[5100] > ATZ!\\r"}), 0);
    ASSERT_EQ(lost.size(), 1);
    EXPECT_TRUE(lost[0].contains("with the write \"AT*P1=5551234\" not stored")) << qPrintable(lost[0]);
}
