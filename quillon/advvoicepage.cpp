// The advanced voice page: call waiting and the feature buttons (conference,
// drop, forward, transfer, message) of each phone port.
#include "pagewidgets.h"
#include "quillonform.h"

using namespace quillon;

namespace {

struct Feature {
    const char *name;
    const char *caption;
    int defaultNumber;
    std::array<int, 2> AdvVoiceSettings::*field;
};

const Feature kFeatures[5] = {
    {"Conference", "Conference", kDefaultConference, &AdvVoiceSettings::conference},
    {"Drop", "Drop", kDefaultDrop, &AdvVoiceSettings::drop},
    {"Forward", "Forward", kDefaultForward, &AdvVoiceSettings::forward},
    {"Transfer", "Transfer", kDefaultTransfer, &AdvVoiceSettings::transfer},
    {"Message", "Message", kDefaultMessage, &AdvVoiceSettings::message},
};

void setEditEnabled(QLineEdit *edit, bool on)
{
    edit->setEnabled(on);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, on ? Qt::white : QColor(0xc0, 0xc0, 0xc0));
    edit->setPalette(pal);
}

} // namespace

void TQuillonForm::buildAdvVoicePage()
{
    QWidget *p = AdvVoiceSheet;
    for (int port = 0; port < 2; ++port) {
        const int left = 16 + port * 245;
        QGroupBox *g = groupBox(p, port ? "GBox_AdvPort2" : "GBox_AdvPort1",
                                port ? "Phone Port 2" : "Phone Port 1", left, 4, 235, 240);
        const QByteArray waitName = QByteArray("CallWait") + QByteArray::number(port + 1) + "_CkBox";
        CallWait_CkBox[port] = checkBox(g, waitName.constData(), "Call Waiting", 10, 24, 200);
        std::array<QCheckBox *, 2> *boxes[5] = {&Conference_CkBox, &Drop_CkBox, &Forward_CkBox,
                                                 &Transfer_CkBox, &Message_CkBox};
        std::array<QLineEdit *, 2> *edits[5] = {&Conference_Edit, &Drop_Edit, &Forward_Edit,
                                                &Transfer_Edit, &Message_Edit};
        for (int f = 0; f < 5; ++f) {
            const QByteArray base = QByteArray(kFeatures[f].name) + QByteArray::number(port + 1);
            QCheckBox *box = checkBox(g, (base + "_CkBox").constData(), kFeatures[f].caption, 10, 60 + f * 34, 130);
            auto *edit = named(new QLineEdit(QStringLiteral("0"), g), (base + "_Edit").constData(), 150, 58 + f * 34, 60, 21);
            (*boxes[f])[port] = box;
            (*edits[f])[port] = edit;
            setEditEnabled(edit, false);
            auto field = kFeatures[f].field;
            const int defaultNumber = kFeatures[f].defaultNumber;
            connect(box, &QCheckBox::toggled, this, [this, box, edit, field, port, defaultNumber](bool on) {
                if (filling_)
                    return;
                setEditEnabled(edit, on);
                if (on) {
                    if (edit->text() == QLatin1String("0"))
                        edit->setText(QString::number(defaultNumber));
                    (advCur.*field)[port] = toNumber(edit->text());
                } else {
                    (advCur.*field)[port] = 0;
                }
                Q_UNUSED(box);
            });
            // Changed, not edited: a screen reader sets the whole text without key presses.
            connect(edit, &QLineEdit::textChanged, this, [this, field, port](const QString &text) {
                if (!filling_)
                    (advCur.*field)[port] = toNumber(text);
            });
        }
        connect(CallWait_CkBox[port], &QCheckBox::toggled, this, [this, port](bool on) {
            if (!filling_)
                advCur.callWaiting[port] = on;
            // Conference, drop and transfer need call waiting.
            for (auto *boxes : {&Conference_CkBox, &Drop_CkBox, &Transfer_CkBox})
                (*boxes)[port]->setEnabled(on);
            for (auto *edits : {&Conference_Edit, &Drop_Edit, &Transfer_Edit}) {
                QCheckBox *box = edits == &Conference_Edit ? Conference_CkBox[port]
                                 : edits == &Drop_Edit     ? Drop_CkBox[port]
                                                           : Transfer_CkBox[port];
                setEditEnabled((*edits)[port], on && box->isChecked());
            }
        });
    }
    AdvVoice_BackBtn = button(p, "AdvVoice_BackBtn", "< &Back", 16, 256, 80);
}

void TQuillonForm::fillAdvVoice()
{
    advRead = readAdvVoice(replies);
    advCur = advRead;
    filling_ = true;
    std::array<QCheckBox *, 2> *boxes[5] = {&Conference_CkBox, &Drop_CkBox, &Forward_CkBox,
                                             &Transfer_CkBox, &Message_CkBox};
    std::array<QLineEdit *, 2> *edits[5] = {&Conference_Edit, &Drop_Edit, &Forward_Edit,
                                            &Transfer_Edit, &Message_Edit};
    for (int port = 0; port < 2; ++port) {
        CallWait_CkBox[port]->setChecked(advCur.callWaiting[port]);
        for (int f = 0; f < 5; ++f) {
            const int value = (advCur.*kFeatures[f].field)[port];
            (*boxes[f])[port]->setChecked(value != 0);
            (*edits[f])[port]->setText(QString::number(value));
            setEditEnabled((*edits[f])[port], value != 0);
        }
        const bool waiting = advCur.callWaiting[port];
        for (int f : {0, 1, 3}) {
            (*boxes[f])[port]->setEnabled(waiting);
            setEditEnabled((*edits[f])[port], waiting && (*boxes[f])[port]->isChecked());
        }
    }
    filling_ = false;
    sheetFilled[ShAdvVoice] = true;
}
