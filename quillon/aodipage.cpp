// The AO/DI page: the always-on packet connection over the D channel, its
// carrier, number, TEI, maximum bandwidth and reverse charging. The packet
// settings take input only while AO/DI is enabled.
#include "pagewidgets.h"
#include "quillonform.h"

using namespace quillon;

void TQuillonForm::buildAodiPage()
{
    QWidget *p = AODISheet;
    CkBox_EnAODI = checkBox(p, "CkBox_EnAODI", "Enable AO/DI", 16, 12, 250);
    GBox_AODI = groupBox(p, "GBox_AODI", "AO/DI Settings", 8, 36, 497, 186);
    QWidget *g = GBox_AODI;
    label(g, "SText_AODIProvider", "Long Distance Packet Carrier:", 10, 24, 234);
    Edit_AODI_Provider = named(new QLineEdit(g), "Edit_AODI_Provider", 246, 20, 80, 21);
    Edit_AODI_Provider->setMaxLength(4);
    label(g, "SText_AODIDN", "Packet Telephone Number:", 10, 54, 234);
    Edit_AODI_DN = digitsEdit(g, "Edit_AODI_DN", 15, 246, 50, 200);
    label(g, "SText_AODITEI", "Packet TEI:", 10, 84, 234);
    Combo_AODI_TEI = combo(g, "Combo_AODI_TEI", {"Automatic Assignment", "Fixed Assignment"}, 246, 80, 180);
    CSpinEdit_AODI_TEI = named(new TeiSpinEdit(g, true), "CSpinEdit_AODI_TEI", 432, 80, 56, 21);
    label(g, "SText_AODIBandwidth", "Maximum AO/DI Bandwidth:", 10, 114, 234);
    Combo_AODI_Bandwidth = combo(g, "Combo_AODI_Bandwidth",
                                 {"D-Channel Only (9.6K)", "1 B-Channel (64K)", "2 B-Channels (128K)"},
                                 246, 110, 242);
    CkBox_AODIReverseCharge = checkBox(g, "CkBox_AODIReverseCharge", "Reverse Charge Request", 10, 148, 300);

    connect(CkBox_EnAODI, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            aodiCur.enabled = on;
        updateAodiEnables();
    });
    connect(Edit_AODI_Provider, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!filling_)
            aodiCur.carrier = t;
    });
    connect(Edit_AODI_DN, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!filling_)
            aodiCur.number = t;
    });
    connect(Combo_AODI_TEI, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_) {
            if (i == 1)
                CSpinEdit_AODI_TEI->setValue(kFirstFixedAodiTei);
            aodiCur.tei = i == 1 ? CSpinEdit_AODI_TEI->value() : kAutomaticTei;
        }
        updateAodiEnables();
    });
    connect(CSpinEdit_AODI_TEI, &QSpinBox::valueChanged, this, [this](int v) {
        if (!filling_ && Combo_AODI_TEI->currentIndex() == 1)
            aodiCur.tei = v;
    });
    connect(Combo_AODI_Bandwidth, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            aodiCur.bandwidth = i;
    });
    connect(CkBox_AODIReverseCharge, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            aodiCur.reverseCharge = on;
    });
}

void TQuillonForm::updateAodiEnables()
{
    const bool on = CkBox_EnAODI->isChecked();
    GBox_AODI->setEnabled(on);
    QPalette pal = GBox_AODI->palette();
    pal.setColor(QPalette::WindowText, on ? palette().color(QPalette::WindowText) : QColor(Qt::gray));
    GBox_AODI->setPalette(pal);
    setFieldEnabled(CSpinEdit_AODI_TEI, on && Combo_AODI_TEI->currentIndex() == 1);
}

void TQuillonForm::fillAodi()
{
    aodiRead = readAodi(replies);
    aodiCur = aodiRead;
    filling_ = true;
    CkBox_EnAODI->setChecked(aodiCur.enabled);
    Edit_AODI_Provider->setText(aodiCur.carrier);
    Edit_AODI_DN->setText(aodiCur.number);
    const bool fixed = aodiCur.tei != kAutomaticTei;
    Combo_AODI_TEI->setCurrentIndex(fixed ? 1 : 0);
    if (fixed)
        CSpinEdit_AODI_TEI->setValue(aodiCur.tei);
    Combo_AODI_Bandwidth->setCurrentIndex(aodiCur.bandwidth);
    CkBox_AODIReverseCharge->setChecked(aodiCur.reverseCharge);
    filling_ = false;
    updateAodiEnables();
    sheetFilled[ShAodi] = true;
}
