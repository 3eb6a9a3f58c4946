// The ISDN line page: switch type, and per line group the numbers, SPIDs,
// TEIs, bus configuration and data link delay (domestic and European), or
// the bandwidth of a leased line. The domestic and European edits of the
// area code and numbers show the same values.
#include "pagewidgets.h"
#include "quillonform.h"

using namespace quillon;

namespace {

// A TEI chooser: "Automatic Assignment" is 255 with the spin edit disabled;
// "Fixed Assignment" starts at 63.
void showTei(QComboBox *combo, QSpinBox *spin, int tei)
{
    const bool fixed = tei != kAutomaticTei;
    combo->setCurrentIndex(fixed ? 1 : 0);
    if (fixed)
        spin->setValue(std::min(tei, 63));
    setFieldEnabled(spin, fixed);
}

} // namespace

void TQuillonForm::buildIsdnPage()
{
    connect(Switch_Combo, &QComboBox::activated, this, [this](int i) { switchTypeChosen(i); });

    QWidget *g = GBox_Domestic;
    label(g, "SText_IsdnArea", "Area Code:", 10, 24, 130);
    Edit_IsdnArea = digitsEdit(g, "Edit_IsdnArea", 5, 150, 20, 70);
    label(g, "SText_IsdnDN1", "Telephone Number 1:", 10, 52, 130);
    Edit_IsdnDN1 = digitsEdit(g, "Edit_IsdnDN1", 20, 150, 48, 150);
    label(g, "SText_IsdnDN2", "Telephone Number 2:", 10, 80, 130);
    Edit_IsdnDN2 = digitsEdit(g, "Edit_IsdnDN2", 20, 150, 76, 150);
    CkBox_IsdnAutoSpid = checkBox(g, "CkBox_IsdnAutoSpid", "AutoSpid", 10, 108, 130);
    label(g, "SText_IsdnSpid1", "SPID 1:", 10, 136, 130);
    Edit_IsdnSpid1 = digitsEdit(g, "Edit_IsdnSpid1", 20, 150, 132, 150);
    label(g, "SText_IsdnSpid2", "SPID 2:", 10, 164, 130);
    Edit_IsdnSpid2 = digitsEdit(g, "Edit_IsdnSpid2", 20, 150, 160, 150);
    // Each TEI: its caption and fixed value on one line, the assignment below
    // at full width, so that either language's item shows whole.
    label(g, "SText_TEIDN1", "TEI 1:", 310, 48, 50);
    TEIDN1_Combo = combo(g, "TEIDN1_Combo", {"Automatic Assignment", "Fixed Assignment"}, 310, 69, 177);
    DN1_SpinEdit = named(new TeiSpinEdit(g, false), "DN1_SpinEdit", 437, 46, 50, 21);
    label(g, "SText_TEIDN2", "TEI 2:", 310, 98, 50);
    TEIDN2_Combo = combo(g, "TEIDN2_Combo", {"Automatic Assignment", "Fixed Assignment"}, 310, 119, 177);
    DN2_SpinEdit = named(new TeiSpinEdit(g, false), "DN2_SpinEdit", 437, 96, 50, 21);
    CkBox_IsdnDataLink = checkBox(g, "CkBox_IsdnDataLink", "Data Link Startup Delay", 10, 200, 300);

    g = GBox_Euro;
    label(g, "SText_IsdnMSNArea", "Area Code:", 10, 24, 130);
    Edit_IsdnMSNArea = digitsEdit(g, "Edit_IsdnMSNArea", 5, 150, 20, 70);
    label(g, "SText_IsdnMSN1", "MSN 1:", 10, 52, 130);
    Edit_IsdnMSN1 = digitsEdit(g, "Edit_IsdnMSN1", 20, 150, 48, 150);
    label(g, "SText_IsdnMSN2", "MSN 2:", 10, 80, 130);
    Edit_IsdnMSN2 = digitsEdit(g, "Edit_IsdnMSN2", 20, 150, 76, 150);
    label(g, "SText_IsdnMSN3", "MSN 3:", 10, 108, 130);
    Edit_IsdnMSN3 = digitsEdit(g, "Edit_IsdnMSN3", 20, 150, 104, 150);
    label(g, "SText_IsdnTEI", "TEI:", 10, 144, 130);
    Combo_IsdnTEI = combo(g, "Combo_IsdnTEI", {"Automatic Assignment", "Fixed Assignment"}, 150, 140, 180);
    TEI_SpinEdit = named(new TeiSpinEdit(g, false), "TEI_SpinEdit", 338, 140, 50, 21);
    label(g, "SText_BusConfigure", "Bus Configuration:", 10, 176, 130);
    CBox_BusConfigure = combo(g, "CBox_BusConfigure", {"Point to Point", "MultiPoint"}, 150, 172, 180);

    const auto shared = [this](QLineEdit *a, QLineEdit *b, QString LineSettings::*field) {
        for (QLineEdit *e : {a, b}) {
            QLineEdit *other = e == a ? b : a;
            connect(e, &QLineEdit::textChanged, this, [this, other, field](const QString &t) {
                if (filling_)
                    return;
                lineCur.*field = t;
                filling_ = true;
                other->setText(t);
                filling_ = false;
            });
        }
    };
    shared(Edit_IsdnArea, Edit_IsdnMSNArea, &LineSettings::areaCode);
    shared(Edit_IsdnDN1, Edit_IsdnMSN1, &LineSettings::number1);
    shared(Edit_IsdnDN2, Edit_IsdnMSN2, &LineSettings::number2);
    const auto edit = [this](QLineEdit *e, QString LineSettings::*field) {
        connect(e, &QLineEdit::textChanged, this, [this, field](const QString &t) {
            if (!filling_)
                lineCur.*field = t;
        });
    };
    edit(Edit_IsdnMSN3, &LineSettings::number3);
    edit(Edit_IsdnSpid1, &LineSettings::spid1);
    edit(Edit_IsdnSpid2, &LineSettings::spid2);
    connect(CkBox_IsdnAutoSpid, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            lineCur.autoSpid = on;
    });
    connect(CkBox_IsdnDataLink, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            lineCur.dataLinkDelay = on;
    });
    connect(CBox_BusConfigure, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            lineCur.busConfig = i;
    });
    // TEI 1 is one setting shown by the domestic and the European chooser.
    const auto tei = [this](QComboBox *combo, QSpinBox *spin, int LineSettings::*field) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, spin, field](int i) {
            if (filling_)
                return;
            if (i == 1)
                spin->setValue(kFirstFixedLineTei);
            lineCur.*field = i == 1 ? spin->value() : kAutomaticTei;
            setFieldEnabled(spin, i == 1);
            if (combo != TEIDN2_Combo)
                showLineSettings();
        });
        connect(spin, &QSpinBox::valueChanged, this, [this, combo, field](int v) {
            if (!filling_ && combo->currentIndex() == 1)
                lineCur.*field = v;
        });
    };
    tei(TEIDN1_Combo, DN1_SpinEdit, &LineSettings::tei1);
    tei(Combo_IsdnTEI, TEI_SpinEdit, &LineSettings::tei1);
    tei(TEIDN2_Combo, DN2_SpinEdit, &LineSettings::tei2);

    const std::pair<QRadioButton *, int> bandwidths[3] = {
        {RadioBtn_64K_1BC, 6}, {RadioBtn_128K_2BC, 7}, {RadioBtn_144K_2BC_D, 8}};
    // Toggled, not clicked: assistive technology checks a button without a click.
    for (const auto &[button, type] : bandwidths)
        connect(button, &QRadioButton::toggled, this, [this, type = type](bool on) {
            if (on && !filling_)
                lineCur.bandwidth = type;
        });
}

void TQuillonForm::switchTypeChosen(int index)
{
    if (!sheetFilled[ShIsdn])
        return;
    // Without the IDSL item a leased-line type is shown as the last item; choosing
    // that item again is no change.
    if (lineRead.switchIndex >= Switch_Combo->count() && index == Switch_Combo->count() - 1)
        index = lineRead.switchIndex;
    lineCur.switchIndex = index;
    switchTypeChanged = index != lineRead.switchIndex;
    const int type = switchTypeChanged ? switchTypeFor(index, lineReadSwitchType) : lineReadSwitchType;
    switchType = type;
    applySwitchType(type);
    if (type >= 6 && type <= 8 && index != lineRead.switchIndex)
        lineCur.bandwidth = type;
    else if (index == lineRead.switchIndex)
        lineCur.bandwidth = lineRead.bandwidth;
    showLineSettings();
}

void TQuillonForm::showLineSettings()
{
    filling_ = true;
    Edit_IsdnArea->setText(lineCur.areaCode);
    Edit_IsdnMSNArea->setText(lineCur.areaCode);
    Edit_IsdnDN1->setText(lineCur.number1);
    Edit_IsdnMSN1->setText(lineCur.number1);
    Edit_IsdnDN2->setText(lineCur.number2);
    Edit_IsdnMSN2->setText(lineCur.number2);
    Edit_IsdnMSN3->setText(lineCur.number3);
    CkBox_IsdnAutoSpid->setChecked(lineCur.autoSpid);
    Edit_IsdnSpid1->setText(lineCur.spid1);
    Edit_IsdnSpid2->setText(lineCur.spid2);
    showTei(TEIDN1_Combo, DN1_SpinEdit, lineCur.tei1);
    showTei(Combo_IsdnTEI, TEI_SpinEdit, lineCur.tei1);
    showTei(TEIDN2_Combo, DN2_SpinEdit, lineCur.tei2);
    CBox_BusConfigure->setCurrentIndex(lineCur.busConfig);
    CkBox_IsdnDataLink->setChecked(lineCur.dataLinkDelay);
    RadioBtn_64K_1BC->setChecked(lineCur.bandwidth == 6);
    RadioBtn_128K_2BC->setChecked(lineCur.bandwidth == 7);
    if (RadioBtn_144K_2BC_D->isVisible() || lineCur.bandwidth == 8)
        RadioBtn_144K_2BC_D->setChecked(lineCur.bandwidth == 8);
    filling_ = false;
}

void TQuillonForm::fillIsdn()
{
    lineRead = readLine(replies);
    lineCur = lineRead;
    lineReadSwitchType = toNumber(keywordValue(replies, frag(F_SwitchType), QStringLiteral("ati12")));
    switchTypeChanged = false;
    showLineSettings();
    sheetFilled[ShIsdn] = true;
}
