// The device-answer parsers on damaged and random input: they return, never
// read outside the answer, and what they return is cut from the answer.

#include "identity.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

bool trimmedPartOf(const QString &value, const QString &answer)
{
    return answer.contains(value) && value == value.trimmed();
}

} // namespace

TEST(AnswerParsers, SurviveDamagedAnswers)
{
    const QStringList keys = {"Product ID", "Serial Number", "Code date", "Code rev", "Supervisor date",
                              "DSP date", "Varnel ", "VARNEL ", " Hardware", " Profile", "OK", "\r", "56K", "0x"};
    QRandomGenerator random(20261209);
    for (int round = 0; round < 3000; ++round) {
        QString answer;
        const int parts = int(random.bounded(12));
        for (int i = 0; i < parts; ++i) {
            if (random.bounded(2))
                answer += keys[int(random.bounded(keys.size()))];
            else
                for (int n = int(random.bounded(20)); n > 0; --n)
                    answer += QChar(char(random.bounded(1, 128)));
        }
        SCOPED_TRACE(answer.toStdString());

        const QString date = identity::FirmwareDate(answer);
        const bool hasDateKey = answer.contains(answer.contains("56K") ? "Supervisor date" : "Code date");
        if (hasDateKey)
            EXPECT_TRUE(trimmedPartOf(date, answer));
        else
            EXPECT_EQ(date, "00/00/00");

        const QString name = identity::GetModemNameFromATI7Data(answer);
        if (answer.contains("Varnel ") || answer.contains("VARNEL ")) {
            EXPECT_TRUE(name.startsWith("Varnel ") || name.startsWith("VARNEL "));
            EXPECT_LE(name.size(), 80);
            EXPECT_TRUE(answer.contains(name));
            EXPECT_FALSE(name.contains(" Hardware"));
        } else {
            EXPECT_TRUE(name.isEmpty());
        }

        const QString typeCode = identity::modemTypeCodeFromAti7(answer);
        const QString code = identity::productCode(answer, "Clock Freq");
        for (const QString &c : {typeCode, code}) {
            EXPECT_LE(c.size(), 4);
            EXPECT_TRUE(answer.contains(c));
        }
        if (!answer.contains("Product ID")) {
            EXPECT_TRUE(typeCode.isEmpty() && code.isEmpty());
        }
        EXPECT_FALSE(typeCode.contains('\r'));

        for (const char *type : {"ISDNTA", "IDSL", "56KModem"}) {
            const identity::ProductInfo info = identity::parseProductInfo(answer, QString::fromLatin1(type));
            EXPECT_EQ(info.hasProductId, answer.contains("Product ID"));
            EXPECT_EQ(info.hasSerialNumber, answer.contains("Serial Number"));
            for (const QString &value : info.values)
                EXPECT_TRUE(trimmedPartOf(value, answer)) << type;
        }
    }
}
