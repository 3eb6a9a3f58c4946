// The device-answer parsers on damaged and random input: they return, and
// never read outside the answer.

#include "identity.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

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
        identity::FirmwareDate(answer);
        identity::GetModemNameFromATI7Data(answer);
        identity::modemTypeCodeFromAti7(answer);
        identity::productCode(answer, "Clock Freq");
        for (const char *type : {"ISDNTA", "IDSL", "56KModem"})
            identity::parseProductInfo(answer, QString::fromLatin1(type));
    }
    SUCCEED();
}
