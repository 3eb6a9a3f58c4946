// Every text of every screen fits its control, in English and in German: the
// main window, each product's screen and call log, and every tool screen of
// the real libraries against tallysim, walked page by page, for each kind of
// ISDN line the TA's screens show (North American, EuroISDN, leased line).

#include "portdeckdictionary.h"
#include "textroom.h"
#include "tooltestfixture.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPushButton>
#include <set>

namespace {

// The screens were laid out for Arial. Where fontconfig has no face of the same
// widths, another one (often DejaVu Sans, much wider) stands in.
QString arialStandIn()
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(12);
    const QString family = QFontInfo(arial).family();
    static const QStringList sameWidths = {"Arial", "Liberation Sans", "Arimo"};
    return sameWidths.contains(family, Qt::CaseInsensitive) ? QString() : family;
}

struct Variant {
    const char *name;
    QStringList taArguments;   // the TA's line: tallysim's switch and country
    bool otherProducts;        // the modem and the IDSL modem beside it
};

void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.name;
}

const Variant kVariants[] = {
    {"NorthAmerican", {}, true},
    {"EuroISDN", {"--country", "1", "--switch", "0"}, false},
    {"LeasedLine", {"--switch", "7"}, false},
};

void registerSerial(const char *product, const char *serial)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(product),
                     "Serial Number1", serial);
}

} // namespace

class TextWidths : public ToolForm, public ::testing::WithParamInterface<std::tuple<int, Variant>> {
protected:
    void startIn(int language)
    {
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID",
                         QString::number(language, 16));
        frame = std::make_unique<TcontainerFrame>(QStringList{"/l"}, &dictionary);
        frame->terminateApplication = [this] {
            terminated = true;
            frame->appTerminated = true;
        };
        frame->milestone = [this](const QString &what) { milestones << what; };
        frame->show();
    }
    // Lets the device chains run out before the screen is measured.
    void settle()
    {
        QString before;
        for (int i = 0; i < 60; ++i) {
            QString now;
            for (int com = 1; com <= 3; ++com)
                now += transcript(com);
            if (now == before)
                break;
            before = now;
            QTest::qWait(150);
        }
    }
    void measure(const QString &screen)
    {
        settle();
        for (const QString &problem : textroom::Checker().check(frame.get()))
            problems.insert(problem + QStringLiteral("  [") + screen + QLatin1Char(']'));
    }
    // Each tool of the open product, shown, measured and left by Back.
    void walkTools(const QString &product)
    {
        for (PanelButton *tool : {frame->appwizBtn, frame->terminalbtn, frame->flashdiskbtn, frame->SpidBtn,
                                  frame->protomonitorbtn}) {
            if (!tool->isVisible())
                continue;
            ASSERT_TRUE(waitFor([&] { return tool->isEnabled(); })) << qPrintable(tool->objectName());
            click(tool);
            measure(product + QLatin1Char('/') + tool->objectName());
            if (auto *configure = frame->findChild<QPushButton *>(QStringLiteral("ConfigureBtn"));
                configure && configure->isVisible() && configure->isEnabled()) {
                configure->click();
                measure(product + QLatin1Char('/') + tool->objectName() + QStringLiteral("/Configure"));
            }
            click(frame->backbtn);
            ASSERT_TRUE(waitFor([&] { return frame->control == "None" && frame->backbtn->isEnabled(); }));
        }
    }

    PortdeckDictionary dictionary;
    std::set<QString> problems;
};

TEST_P(TextWidths, EveryTextFitsItsControl)
{
    const auto &[language, variant] = GetParam();
    registerSerial("ISDN TA", "QB0001");
    registerSerial("Business Modem", "TL0001");
    if (!sim("isdnta", 1, QStringList{"--serial", "QB0001"} + variant.taArguments))
        GTEST_SKIP() << "tallysim is not built";
    if (variant.otherProducts) {
        ASSERT_TRUE(sim("56k", 2, {"--serial", "TL0001"}) && sim("idsl", 3));
    }
    startIn(language);
    detected();
    const int products = variant.otherProducts ? 3 : 1;
    ASSERT_EQ(frame->deviceButtons.size(), products);
    measure("device list");
    ownChildren = frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < products; ++i) {
        click(button(i));
        ASSERT_TRUE(waitFor([&] { return frame->modemSelected != "None" && frame->backbtn->isEnabled(); }));
        const QString product = frame->modemSelected;
        measure(product);
        frame->Info_TabSet->setCurrentIndex(1);
        measure(product + QStringLiteral("/call log"));
        frame->RadioOutgoing->click();
        measure(product + QStringLiteral("/call log, outgoing"));
        frame->RadioIncoming->click();
        frame->Info_TabSet->setCurrentIndex(0);
        walkTools(product);
        click(frame->backbtn);
        ASSERT_TRUE(waitFor([&] { return frame->modemSelected == "None" && button(i)->isEnabled(); }));
    }
    QStringList all(problems.begin(), problems.end());
    const QString standIn = arialStandIn();
    if (!standIn.isEmpty() && !all.isEmpty())
        FAIL() << "\"Arial\" resolves to \"" << qPrintable(standIn)
               << "\", whose letters are wider than Arial's, and " << all.size()
               << " texts do not fit with it. Install a face of Arial's widths (Debian: fonts-liberation2, "
                  "which scripts/deps installs). The texts:\n"
               << qPrintable(all.join('\n'));
    EXPECT_TRUE(all.isEmpty()) << all.size() << " texts do not fit:\n" << qPrintable(all.join('\n'));
}

INSTANTIATE_TEST_SUITE_P(Screens, TextWidths, ::testing::Combine(::testing::Values(0x409, 0x407),
                                                                  ::testing::ValuesIn(kVariants)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param) == 0x407 ? "German" : "English")
                                    + std::get<1>(info.param).name;
                         });
