// The data page: incoming and outgoing call protocols, the number data calls
// answer and the B-channel rate, plus the buttons to the protocol sub-pages.
#include "pagewidgets.h"
#include "quillonform.h"

using namespace quillon;

void TQuillonForm::buildDataPage()
{
    QWidget *p = DataSheet;
    label(p, "SText_DataIncoming", "Incoming Call Protocol:", 16, 20, 192);
    Combo_DataIncoming = combo(p, "Combo_DataIncoming",
                               {"Auto Protocol Detect", "V.120 Rate Adaptation", "Internet Access (PPP)",
                                "X.75", "Asynchronous 128K ", "Advanced Asynchronous 128K"},
                               210, 16, 290);
    label(p, "SText_DataDN", "Incoming Telephone Number:", 16, 56, 192);
    Combo_DataDN = combo(p, "Combo_DataDN",
                         {"No Incoming Calls", "Answer DN1 ", "Answer DN2", "Answer either DN"},
                         210, 52, 290);
    CkBox_DataEnDOV = checkBox(p, "CkBox_DataEnDOV", "Enable Data Over Voice", 16, 88, 200);
    CkBox_DataEnDOV->hide();   // offered by no product; the setting is still kept
    label(p, "SText_DataOutgoing", "Outgoing Call Protocol:", 16, 120, 192);
    Combo_DataOutgoing = combo(p, "Combo_DataOutgoing",
                               {"V.120 Rate Adaptation", "Internet Access (PPP)", "X.75",
                                "Asynchronous 128K", "Advanced Asynchronous 128K "},
                               210, 116, 290);
    label(p, "SText_DataBChannel", "B-Channel Rate:", 16, 156, 192);
    Combo_DataBChannel = combo(p, "Combo_DataBChannel",
                               {"Automatic Rate Selection", "Force 56Kbps Rate", "Force 64Kbps Rate"},
                               210, 152, 290);
    PPPBtn = button(p, "PPPBtn", "PPP Settings...", 16, 230, 140);
    Btn_AODI = button(p, "Btn_AODI", "AO/DI Settings...", 180, 230, 140);
    X75Btn = button(p, "X75Btn", "X.75 Settings...", 344, 230, 140);

    const auto track = [this](QComboBox *c, int DataSettings::*field) {
        connect(c, &QComboBox::currentIndexChanged, this, [this, field](int i) {
            if (!filling_)
                dataCur.*field = i;
        });
    };
    track(Combo_DataIncoming, &DataSettings::incoming);
    track(Combo_DataDN, &DataSettings::number);
    track(Combo_DataOutgoing, &DataSettings::outgoing);
    track(Combo_DataBChannel, &DataSettings::bChannel);
    connect(CkBox_DataEnDOV, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            dataCur.dataOverVoice = on;
    });
}

void TQuillonForm::fillData()
{
    const bool voiceMail = dataCur.voiceMail;
    const bool voiceMailEdited = sheetFilled[ShVoice] && dataCur.voiceMail != dataRead.voiceMail;
    dataRead = readData(replies, euroIsdn());
    dataCur = dataRead;
    // The voice mail box lives on the voice page; keep an edit made there.
    if (voiceMailEdited)
        dataCur.voiceMail = voiceMail;
    filling_ = true;
    Combo_DataIncoming->setCurrentIndex(dataCur.incoming);
    Combo_DataDN->setCurrentIndex(dataCur.number < Combo_DataDN->count() ? dataCur.number : -1);
    CkBox_DataEnDOV->setChecked(dataCur.dataOverVoice);
    Combo_DataOutgoing->setCurrentIndex(dataCur.outgoing);
    Combo_DataBChannel->setCurrentIndex(dataCur.bChannel);
    filling_ = false;
    sheetFilled[ShData] = true;
}
