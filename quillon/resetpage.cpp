// The reset page: factory templates and the ISDN line reset.
#include "pagewidgets.h"
#include "quillonform.h"

#include <QListWidget>

using namespace quillon;

void TQuillonForm::buildResetPage()
{
    QWidget *p = ResetSheet;
    GroupBox1 = groupBox(p, "GroupBox1", "", 8, 8, 497, 200);
    StaticText54 = label(GroupBox1, "StaticText54", "Reset the modem configuration to a factory defined template:",
                         10, 20, 300, 34);
    StaticText54->setWordWrap(true);
    Combo_Reset = combo(GroupBox1, "Combo_Reset",
                        {"No Flow Control Template", "Hardware Flow Control Template",
                         "Software Flow Control Template", "Factory Default w/o ISDN Settings",
                         "Factory Default with ISDN Settings", "Select a Factory Defined Template"},
                        10, 62, 300);
    ResetBtn = button(GroupBox1, "ResetBtn", "Reset", 380, 60, 100);
    StaticText17 = label(GroupBox1, "StaticText17", "Restart the ISDN line connection of the modem:", 10, 120, 300, 34);
    StaticText17->setWordWrap(true);
    Btn_ResetISDNLine = button(GroupBox1, "Btn_ResetISDNLine", "Reset ISDN Line", 380, 120, 100);
    connect(ResetBtn, &QPushButton::clicked, this, [this] { resetConfiguration(); });
    connect(Btn_ResetISDNLine, &QPushButton::clicked, this, [this] { resetIsdnLine(); });
}

void TQuillonForm::buildProfilePage()
{
    QWidget *p = ProfileSheet;
    label(p, "SText_Profiles", "Select a profile:", 16, 10, 300);
    ListBox_Profiles = named(new QListWidget(p), "ListBox_Profiles", 16, 32, 480, 150);
    for (const char *item : {"Home Office/Internet with 1 Channel",
                             "Home Office/Internet with 2 Channels and bandwidth on Demand (up to 128kbps)",
                             "Home Office/Internet with AO/DI and bandwidth on Demand (up to 128kbps)",
                             "Point to Point Asynchronous Bonding with bandwidth on Demand (up to 128kbps)",
                             "X.75 Dial out to Remote Computer", "V.120 Dial out to Remote Computer",
                             "Maintain Current Settings"})
        ListBox_Profiles->addItem(QString::fromUtf8(item));
    ProfileLabel = label(p, "ProfileLabel", "Recommended for most users. Provides Quick Setup for Internet Access.",
                         16, 196, 480, 40);
    ProfileLabel->setWordWrap(true);
    connect(ListBox_Profiles, &QListWidget::currentRowChanged, this, [this](int row) {
        static const char *const descriptions[7] = {
            "Recommended for most users. Provides Quick Setup for Internet Access.",
            "Internet Access Profile MLPPP", "Internet Access Profile AO/DI", "Async Bonding Profile",
            "X.75 Access Profile", "V.120 Access Profile", "Maintain Settings Profile"};
        if (row >= 0 && row < 7)
            ProfileLabel->setText(tx(descriptions[row]));
    });
}
