// The voice page: per phone port the number, caller ID, bearer capability,
// receive volume and advanced call features, the dynamic voice override and,
// on National ISDN-1, the line's voice mail.
#include "pagewidgets.h"
#include "quillonform.h"

#include <QSlider>

using namespace quillon;

void TQuillonForm::buildVoicePage()
{
    QWidget *p = VoiceSheet;
    SText_DN = label(p, "SText_DN", "Telephone Number:", 8, 42, 130);
    SText_CallerID = label(p, "SText_CallerID", "Caller ID:", 8, 72, 130);
    SText_BearerCap = label(p, "SText_BearerCap", "Bearer Capability:", 8, 104, 130);
    SText_ReceiveVol = label(p, "SText_ReceiveVol", "Receive Volume:", 8, 144, 130);
    SText_AdvCall = label(p, "SText_AdvCall", "Advanced Call Features:", 8, 184, 136);
    SText_DynVO = label(p, "SText_DynVO", "Dynamic Voice Override:", 8, 224, 136);
    STextVoiceMail = label(p, "STextVoiceMail", "ISDN Line Voice Mail:", 8, 230, 136);
    // Longer translations take a second line beside the port columns.
    for (QLabel *l : {SText_AdvCall, SText_DynVO, STextVoiceMail}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->resize(l->width(), 34);
    }

    // The groups' tops put each port control on the line of its caption.
    GBox_Port1 = groupBox(p, "GBox_Port1", "Phone Port 1", 146, 14, 178, 201);
    GBox_Port2 = groupBox(p, "GBox_Port2", "Phone Port 2", 326, 14, 178, 201);
    const auto portControls = [this](QGroupBox *g, int n) {
        const bool one = n == 1;
        QComboBox *dn = combo(g, one ? "Combo_ADP1_DN" : "Combo_ADP2_DN", {"Disable Port", "(DN1)", "(DN2)"},
                              6, 26, 166);
        QCheckBox *cid = checkBox(g, one ? "CkBox_ADP1_CallerID" : "CkBox_ADP2_CallerID", "Enable", 6, 56, 166);
        QComboBox *bearer = combo(g, one ? "Combo_ADP1_Bearer" : "Combo_ADP2_Bearer",
                                  {"3.1 KHz Audio", "Speech"}, 6, 88, 166);
        auto *vol = named(new QSlider(Qt::Horizontal, g), one ? "TrackBar_ADP1_RecieveVol" : "TrackBar_ADP2_RecieveVol",
                          6, 128, 166, 24);
        vol->setRange(0, 9);
        vol->setPageStep(1);
        QCheckBox *adv = checkBox(g, one ? "AdvCall1_CkBox" : "AdvCall2_CkBox", "Enable", 6, 168, 82);
        QPushButton *settings = button(g, one ? "AdvVoice1Btn" : "AdvVoice2Btn", "Settings", 88, 160, 84);
        if (one) {
            Combo_ADP1_DN = dn; CkBox_ADP1_CallerID = cid; Combo_ADP1_Bearer = bearer;
            TrackBar_ADP1_RecieveVol = vol; AdvCall1_CkBox = adv; AdvVoice1Btn = settings;
        } else {
            Combo_ADP2_DN = dn; CkBox_ADP2_CallerID = cid; Combo_ADP2_Bearer = bearer;
            TrackBar_ADP2_RecieveVol = vol; AdvCall2_CkBox = adv; AdvVoice2Btn = settings;
        }
        const int i = one ? 0 : 1;
        connect(dn, &QComboBox::currentIndexChanged, this, [this, i](int v) { if (!filling_) voiceCur.number[i] = v; });
        connect(cid, &QCheckBox::toggled, this, [this, i](bool v) { if (!filling_) voiceCur.callerId[i] = v; });
        connect(bearer, &QComboBox::currentIndexChanged, this, [this, i](int v) { if (!filling_) voiceCur.bearer[i] = v; });
        connect(vol, &QSlider::valueChanged, this, [this, i](int v) { if (!filling_) voiceCur.receiveVolume[i] = v; });
        connect(adv, &QCheckBox::toggled, this, [this, i, settings](bool v) {
            if (!filling_)
                voiceCur.advancedCall[i] = v;
            settings->setEnabled(v);
        });
    };
    portControls(GBox_Port1, 1);
    portControls(GBox_Port2, 2);

    Combo_Voice_DVO = combo(p, "Combo_Voice_DVO",
                            {"No Dynamic Voice Override", "Incoming and Outgoing Calls", "Outgoing Calls only",
                             "Incoming Calls only"},
                            150, 224, 350);
    connect(Combo_Voice_DVO, &QComboBox::currentIndexChanged, this, [this](int v) { if (!filling_) voiceCur.dvo = v; });
    CkBox_VoiceMail = checkBox(p, "CkBox_VoiceMail", "Enable", 150, 232, 150);
    connect(CkBox_VoiceMail, &QCheckBox::toggled, this, [this](bool v) { if (!filling_) dataCur.voiceMail = v; });

    GroupBox2 = groupBox(p, "GroupBox2", "", 0, 252, 505, 36);
    CallForwardBtn = button(GroupBox2, "CallForwardBtn", "Call Forwarding...", 230, 8, 120);
    CallScreenBtn = button(GroupBox2, "CallScreenBtn", "Call Screening...", 375, 8, 115);
}

void TQuillonForm::applyVoiceLayout()
{
    const bool ni1 = switchType == 2;
    const auto tops = [](std::initializer_list<std::pair<QWidget *, int>> list) {
        for (const auto &[w, top] : list)
            w->move(w->x(), top);
    };
    if (ni1) {
        tops({{SText_CallerID, 65}, {SText_BearerCap, 90}, {SText_ReceiveVol, 123}, {SText_AdvCall, 156},
              {SText_DynVO, 198}, {STextVoiceMail, 230}, {Combo_Voice_DVO, 195}, {CkBox_VoiceMail, 232}});
    } else {
        tops({{SText_CallerID, 72}, {SText_BearerCap, 104}, {SText_ReceiveVol, 144}, {SText_AdvCall, 184},
              {SText_DynVO, 224}, {Combo_Voice_DVO, 224}});
    }
    const int controlTops[2][4] = {{56, 88, 128, 168}, {50, 75, 105, 143}};
    for (QGroupBox *g : {GBox_Port1, GBox_Port2}) {
        g->resize(g->width(), ni1 ? 170 : 201);
        const bool one = g == GBox_Port1;
        QWidget *controls[4] = {one ? CkBox_ADP1_CallerID : CkBox_ADP2_CallerID,
                                one ? Combo_ADP1_Bearer : Combo_ADP2_Bearer,
                                one ? TrackBar_ADP1_RecieveVol : TrackBar_ADP2_RecieveVol,
                                one ? AdvCall1_CkBox : AdvCall2_CkBox};
        for (int i = 0; i < 4; ++i)
            controls[i]->move(controls[i]->x(), controlTops[ni1][i]);
        QWidget *settings = one ? AdvVoice1Btn : AdvVoice2Btn;
        settings->move(settings->x(), ni1 ? 135 : 160);
    }
    STextVoiceMail->setVisible(ni1);
    CkBox_VoiceMail->setVisible(ni1);
}

void TQuillonForm::fillVoice()
{
    voiceRead = readVoice(replies);
    voiceCur = voiceRead;
    if (!sheetFilled[ShData]) {
        dataRead.voiceMail = readData(replies, euroIsdn()).voiceMail;
        dataCur.voiceMail = dataRead.voiceMail;
    }
    filling_ = true;
    Combo_ADP1_DN->setCurrentIndex(voiceCur.number[0] < Combo_ADP1_DN->count() ? voiceCur.number[0] : -1);
    Combo_ADP2_DN->setCurrentIndex(voiceCur.number[1] < Combo_ADP2_DN->count() ? voiceCur.number[1] : -1);
    CkBox_ADP1_CallerID->setChecked(voiceCur.callerId[0]);
    CkBox_ADP2_CallerID->setChecked(voiceCur.callerId[1]);
    Combo_ADP1_Bearer->setCurrentIndex(voiceCur.bearer[0]);
    Combo_ADP2_Bearer->setCurrentIndex(voiceCur.bearer[1]);
    TrackBar_ADP1_RecieveVol->setValue(voiceCur.receiveVolume[0]);
    TrackBar_ADP2_RecieveVol->setValue(voiceCur.receiveVolume[1]);
    AdvCall1_CkBox->setChecked(voiceCur.advancedCall[0]);
    AdvCall2_CkBox->setChecked(voiceCur.advancedCall[1]);
    Combo_Voice_DVO->setCurrentIndex(voiceCur.dvo);
    CkBox_VoiceMail->setChecked(dataCur.voiceMail);
    filling_ = false;
    AdvCall2_CkBox->setEnabled(!euroIsdn());
    AdvVoice1Btn->setEnabled(AdvCall1_CkBox->isChecked());
    AdvVoice2Btn->setEnabled(AdvCall2_CkBox->isChecked());
    applyVoiceLayout();
    sheetFilled[ShVoice] = true;
}
