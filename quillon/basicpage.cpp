// The basic page: outgoing call type, dynamic voice override, B-channel rate
// and the numbers the two phone ports answer.
#include "pagewidgets.h"
#include "quillonform.h"

using namespace quillon;

void TQuillonForm::buildBasicPage()
{
    QWidget *p = BasicSheet;
    label(p, "SText_Outgoing", "Outgoing Calls:", 16, 20, 180);
    Outgoing_Combo = combo(p, "Outgoing_Combo",
                           {"V.120 Rate Adaptation", "Internet Access (PPP) - Dynamic Bandwidth",
                            "Internet Access (PPP) - 64 Kbps", "Internet Access (PPP) -128 Kbps",
                            "X.75", "Asynchronous 128K", "Advanced Asynchronous 128K"},
                           198, 16, 306);
    label(p, "SText_DVO", "Dynamic Voice Override:", 16, 56, 180);
    DVO_Combo = combo(p, "DVO_Combo",
                      {"No Dynamic Voice Override", "Incoming and Outgoing Calls", "Outgoing Calls only",
                       "Incoming Calls only"},
                      198, 52, 306);
    BChannel_SText = label(p, "BChannel_SText", "B Channel Rate:", 16, 92, 180);
    RadioBtn_Auto = radio(p, "RadioBtn_Auto", "Auto", 198, 92, 98);
    RadioBtn_64K = radio(p, "RadioBtn_64K", "64K", 298, 92, 80);
    RadioBtn_56K = radio(p, "RadioBtn_56K", "56K", 388, 92, 80);
    label(p, "SText_Port1", "Phone Port 1 answers:", 16, 130, 180);
    CBox_BasicPort1 = combo(p, "CBox_BasicPort1", {"No Incoming Calls", "DN1", "DN2"}, 198, 126, 306);
    label(p, "SText_Port2", "Phone Port 2 answers:", 16, 166, 180);
    CBox_BasicPort2 = combo(p, "CBox_BasicPort2", {"No Incoming Calls", "DN1", "DN2"}, 198, 162, 306);
    Basic_CallFBtn = button(p, "Basic_CallFBtn", "Call Forwarding...", 360, 250, 130);

    connect(Outgoing_Combo, &QComboBox::currentIndexChanged, this, [this](int i) {
        DVO_Combo->setEnabled(!(i == 0 || i == 5 || i < 0));
        if (!filling_)
            basicCur.outgoing = i;
    });
    connect(DVO_Combo, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            basicCur.dvo = i;
    });
    const auto rate = [this](QRadioButton *b, int value) {
        connect(b, &QRadioButton::toggled, this, [this, value](bool on) {
            if (on && !filling_)
                basicCur.bRate = value;
        });
    };
    rate(RadioBtn_Auto, RateAuto);
    rate(RadioBtn_56K, Rate56K);
    rate(RadioBtn_64K, Rate64K);
    connect(CBox_BasicPort1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            basicCur.port1 = i;
    });
    connect(CBox_BasicPort2, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            basicCur.port2 = i;
    });
}

void TQuillonForm::fillBasic()
{
    basicRead = readBasic(replies);
    basicCur = basicRead;
    filling_ = true;
    Outgoing_Combo->setCurrentIndex(basicCur.outgoing);
    DVO_Combo->setCurrentIndex(basicCur.dvo);
    DVO_Combo->setEnabled(!(basicCur.outgoing == 0 || basicCur.outgoing == 5));
    (basicCur.bRate == Rate64K ? RadioBtn_64K : basicCur.bRate == Rate56K ? RadioBtn_56K : RadioBtn_Auto)
        ->setChecked(true);
    // A number the box does not offer shows no selection, as read.
    CBox_BasicPort1->setCurrentIndex(basicCur.port1 < CBox_BasicPort1->count() ? basicCur.port1 : -1);
    CBox_BasicPort2->setCurrentIndex(basicCur.port2 < CBox_BasicPort2->count() ? basicCur.port2 : -1);
    filling_ = false;
    sheetFilled[ShBasic] = true;
}
