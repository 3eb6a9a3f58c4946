// Controls that the read-back, the layout rules and the navigation rely on:
// the ISDN line page's switch type, line groups and bandwidth buttons, the
// sub-pages' back and preset buttons; plus the country and wizard pages.
#include "pagewidgets.h"
#include "quillonform.h"
#include "translator.h"

#include <QFrame>
#include <QListWidget>

using namespace quillon;

void TQuillonForm::buildLaterPages()
{
    QWidget *p = ISDNSheet;
    label(p, "SText_Switch", "Switch Type:", 16, 12, 100);
    Switch_Combo = combo(p, "Switch_Combo",
                         {"EuroISDN", "DMS-100 Custom", "National ISDN-1", "National ISDN-2",
                          "5ESS Custom MultiPoint", "5ESS Custom Point-to-Point", "IDSL (Leased Line)"},
                         120, 8, 250);
    GBox_Euro = groupBox(p, "GBox_Euro", "EuroISDN", 8, 40, 497, 240);
    GBox_Domestic = groupBox(p, "GBox_Domestic", "Line Settings", 8, 40, 497, 240);
    GBox_LeasedLine = groupBox(p, "GBox_LeasedLine", "Leased Line", 8, 40, 497, 240);
    GroupBox22 = groupBox(GBox_LeasedLine, "GroupBox22", "Bandwidth", 10, 20, 250, 120);
    RadioBtn_64K_1BC = radio(GroupBox22, "RadioBtn_64K_1BC", "64K (1 B Channel)", 10, 24, 220);
    RadioBtn_128K_2BC = radio(GroupBox22, "RadioBtn_128K_2BC", "128K (2 B Channels)", 10, 48, 220);
    RadioBtn_144K_2BC_D = radio(GroupBox22, "RadioBtn_144K_2BC_D", "144K (2 B + D Channels)", 10, 72, 220);

    PPPDBABtn = button(PPPSheet, "PPPDBABtn", "Dynamic Bandwidth...", 332, 230, 160);
    PPP_BackBtn = button(PPPSheet, "PPP_BackBtn", "< &Back", 16, 256, 80);
    BitBtnConversative = button(ThresholdSheet, "BitBtnConversative", "Conservative", 120, 230, 110);
    BitBtnAggressive = button(ThresholdSheet, "BitBtnAggressive", "Aggressive", 240, 230, 110);
    Threshold_BackBtn = button(ThresholdSheet, "Threshold_BackBtn", "< &Back", 16, 256, 80);
    AODI_BandwidthBtn = button(AODISheet, "AODI_BandwidthBtn", "Dynamic Bandwidth...", 332, 230, 160);
    AODI_BackBtn = button(AODISheet, "AODI_BackBtn", "< &Back", 16, 256, 80);
    X75_BackBtn = button(X75Sheet, "X75_BackBtn", "< &Back", 16, 256, 80);
    CallF_BackBtn = button(CallFSheet, "CallF_BackBtn", "< &Back", 16, 256, 80);
    CLID_BackBtn = button(CLIDSheet, "CLID_BackBtn", "< &Back", 16, 256, 80);
}

void TQuillonForm::buildCountryPage()
{
    QWidget *p = CountrySheet;
    Country_Bevel = named(new QFrame(p), "Country_Bevel", 8, 8, 497, 200);
    Country_Bevel->setFrameShape(QFrame::Box);
    LabelCountrySelected = label(p, "LabelCountrySelected", "Current Location:", 24, 24, 120);
    LabelCountry = label(p, "LabelCountry", "", 150, 24, 300);
    Translator->exclude(LabelCountry);
    label(p, "SText_ChooseCountry", "Select your location:", 24, 64, 200);
    Combo_Country = combo(p, "Combo_Country", {}, 24, 86, 300);
    Translator->exclude(Combo_Country);
    CountryBtn = button(p, "CountryBtn", "Change Country", 340, 84, 140);
    WarningLabel = label(p, "WarningLabel", "Changing the country restarts the modem.", 24, 130, 460);
    CountryImage = label(p, "CountryImage", "", 400, 150, 80, 50);
    connect(CountryBtn, &QPushButton::clicked, this, [this] { CountryBtnClick(); });
}

void TQuillonForm::buildWizardPages()
{
    label(SpidSheet, "SText_SpidArea", "Area Code:", 24, 40, 168);
    Edit_SpidAreaCode = digitsEdit(SpidSheet, "Edit_SpidAreaCode", 5, 196, 36, 80);
    label(SpidSheet, "SText_SpidDN1", "Telephone Number 1:", 24, 76, 168);
    Edit_SpidDN1 = digitsEdit(SpidSheet, "Edit_SpidDN1", 20, 196, 72, 200);
    label(SpidSheet, "SText_SpidDN2", "Telephone Number 2:", 24, 112, 168);
    Edit_SpidDN2 = digitsEdit(SpidSheet, "Edit_SpidDN2", 20, 196, 108, 200);
    InfoText = label(DetectionSheet, "InfoText", "Checking for Connection......", 24, 40, 460, 40);
    InfoText->setWordWrap(true);
    // It shows the TA's own status words; the program translates its own texts.
    Translator->exclude(InfoText);
    // The PC on the left, the ISDN line on the right, the packets travelling between them.
    label(DetectionSheet, "SText_PC", "PC", 40, 150, 60);
    label(DetectionSheet, "SText_Line", "ISDN Line", 420, 150, 80);
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "Shape_Data" + QByteArray::number(i + 1);
        Shape_Data[size_t(i)] = shape(DetectionSheet, name.constData(), QColor(0x00, 0x00, 0xff),
                                      110 + i * 60, 180, 30, 12);
        Shape_Data[size_t(i)]->hide();
    }
    for (int i = 0; i < 2; ++i) {
        const QByteArray name = "Shape_Light" + QByteArray::number(i + 1);
        Shape_Light[size_t(i)] = shape(DetectionSheet, name.constData(), QColor(0x80, 0x80, 0x80),
                                       i == 0 ? 60 : 440, 176, 20, 20);
    }

    label(MSNSheet, "SText_MSNArea", "Area Code:", 24, 40, 168);
    Edit_MSNArea = digitsEdit(MSNSheet, "Edit_MSNArea", 5, 196, 36, 80);
    label(MSNSheet, "SText_MSNPort1", "MSN for Phone Port 1:", 24, 76, 168);
    Edit_MSNPort1 = digitsEdit(MSNSheet, "Edit_MSNPort1", 20, 196, 72, 200);
    label(MSNSheet, "SText_MSNPort2", "MSN for Phone Port 2:", 24, 112, 168);
    Edit_MSNPort2 = digitsEdit(MSNSheet, "Edit_MSNPort2", 20, 196, 108, 200);
    label(MSNSheet, "SText_MSNData", "MSN for Data:", 24, 148, 168);
    Edit_MSNData = digitsEdit(MSNSheet, "Edit_MSNData", 20, 196, 144, 200);

    Congrats_Label = label(CongratsSheet, "Congrats_Label", "Domestic Congratulations", 24, 24, 209, 120);
    Congrats_Label->setWordWrap(true);
    label(CongratsSheet, "DN1_Label", "DN1:", 260, 40, 60);
    DN1Text = label(CongratsSheet, "DN1Text", "", 320, 40, 170);
    label(CongratsSheet, "DN2_Label", "DN2:", 260, 64, 60);
    DN2Text = label(CongratsSheet, "DN2Text", "", 320, 64, 170);
    Data_Label = label(CongratsSheet, "Data_Label", "Data:", 260, 88, 60);
    DN3Text = label(CongratsSheet, "DN3Text", "", 320, 88, 170);
    for (QLabel *l : {DN1Text, DN2Text, DN3Text})
        Translator->exclude(l);
    BtnModify = button(CongratsSheet, "BtnModify", "Modify", 24, 256, 80);
    // Three groups of markers along the line, lit one group at a time.
    for (int i = 0; i < 9; ++i) {
        const QByteArray name = "Shape" + QByteArray::number(i + 1);
        Shape[size_t(i)] = shape(CongratsSheet, name.constData(), QColor(0x80, 0xff, 0x80),
                                 260 + (i % 3) * 20 + (i / 3) * 70, 160, 12, 12);
        Shape[size_t(i)]->setVisible(i < 3);
    }
}
