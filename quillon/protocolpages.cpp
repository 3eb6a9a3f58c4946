// The data protocol sub-pages: PPP, its dynamic bandwidth thresholds and
// X.75. Each is filled from the stored replies the first time it is shown
// after a read-back; the user's edits change only the current values.
#include "pagewidgets.h"
#include "quillonform.h"

#include <QSlider>
#include <QSpinBox>

#include <algorithm>

using namespace quillon;

namespace {

// A spin edit that takes any number typed and, when the edit is left,
// replaces a value outside its range by the nearest bound; other text is refused.
class BoundedSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
protected:
    QValidator::State validate(QString &input, int &) const override
    {
        if (input.isEmpty())
            return QValidator::Intermediate;
        for (const QChar c : input)
            if (!c.isDigit())
                return QValidator::Invalid;
        bool ok = false;
        const qlonglong v = input.toLongLong(&ok);
        return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    }
    void fixup(QString &input) const override
    {
        bool ok = false;
        const qlonglong v = input.toLongLong(&ok);
        if (ok)
            input = QString::number(std::clamp<qlonglong>(v, minimum(), maximum()));
    }
};

QSpinBox *spinEdit(QWidget *p, const char *name, int minimum, int maximum, int l, int t, int w)
{
    auto *s = named(new BoundedSpinBox(p), name, l, t, w, 21);
    s->setRange(minimum, maximum);
    s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return s;
}

} // namespace

void TQuillonForm::buildProtocolPages()
{
    QWidget *p = PPPSheet;
    label(p, "SText_PPPMode", "PPP Mode:", 16, 20, 184);
    PPPmode_ComboBox = combo(p, "PPPmode_ComboBox",
                             {"Transparent Async/Sync PPP", "Single Link PPP", "Multi Link PPP",
                              "Multi Link PPP with Dynamic Bandwidth"},
                             202, 16, 296);
    label(p, "SText_PPPCompression", "Compression:", 16, 56, 184);
    Combo_PPPCompression = combo(p, "Combo_PPPCompression",
                                 {"Pass Through Compression", "Automatic Compression", "Turbo PPP Compression"},
                                 202, 52, 296);
    label(p, "SText_PPPEndpoint", "Endpoint Discriminator:", 16, 92, 184);
    Combo_PPPEndpoint = combo(p, "Combo_PPPEndpoint",
                              {"Automatic Address", "Locally Assigned Address", "Internet Protocol (IP) Address",
                               "IEEE 802.1 Globally Assigned MAC", "PPP Magic-Number",
                               "Public Switched Directory Number"},
                              202, 88, 296);
    Edit_PPPEndpoint = named(new QLineEdit(p), "Edit_PPPEndpoint", 202, 116, 296, 21);
    BACP_CkBox = checkBox(p, "BACP_CkBox", "Enable BACP/BAP", 16, 150, 250);
    label(p, "SText_PPPLocal", "Local Dial-Out Prefix:", 16, 178, 184);
    Edit_PPPLocal = digitsEdit(p, "Edit_PPPLocal", 5, 202, 174, 80);
    label(p, "SText_PPPLongDist", "Long Distance Dial-Out Prefix:", 16, 204, 184);
    Edit_PPPLongDist = digitsEdit(p, "Edit_PPPLongDist", 5, 202, 200, 80);

    connect(PPPmode_ComboBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            pppCur.mode = i;
        updatePppEnables();
    });
    connect(Combo_PPPCompression, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            pppCur.compression = i;
    });
    connect(Combo_PPPEndpoint, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_)
            pppCur.endpoint = i;
        updatePppEnables();
    });
    connect(BACP_CkBox, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_)
            pppCur.bacp = on;
        updatePppEnables();
    });
    const auto trackText = [this](QLineEdit *e, QString PppSettings::*field) {
        connect(e, &QLineEdit::textChanged, this, [this, field](const QString &t) {
            if (!filling_)
                pppCur.*field = t;
        });
    };
    trackText(Edit_PPPEndpoint, &PppSettings::endpointText);
    trackText(Edit_PPPLocal, &PppSettings::localPrefix);
    trackText(Edit_PPPLongDist, &PppSettings::longDistPrefix);

    // Thresholds: per B channel the sample times to add and to drop (minutes
    // and seconds), then the thresholds to add and to drop (percent).
    static const char *const kRows[4] = {"Sample Time to Add:", "Sample Time to Drop:", "Threshold to Add:",
                                         "Threshold to Drop:"};
    static const char *const kNames[4] = {"Add", "Drop", "AddThreshold", "DropThreshold"};
    for (int b = 0; b < 2; ++b) {
        QGroupBox *g = groupBox(ThresholdSheet, b ? "GBox_ThresholdB2" : "GBox_ThresholdB1",
                                b ? "2nd B Channel" : "1st B Channel", 8 + b * 250, 4, 245, 216);
        const QByteArray channel = "B" + QByteArray::number(b + 1);
        for (int row = 0; row < 4; ++row) {
            const size_t i = size_t(b * 4 + row);
            const int top = 22 + row * 48;
            label(g, ("SText_" + QByteArray(kNames[row]) + channel).constData(), kRows[row], 8, top, 220);
            if (row < 2) {
                const QByteArray base = QByteArray("Edit_") + kNames[row];
                Threshold_MinEdit[i] = spinEdit(g, (base + "Min" + channel).constData(), 0, kMaxSampleMinutes,
                                                8, top + 18, 50);
                label(g, ("SText_" + QByteArray(kNames[row]) + "Min" + channel).constData(), "min", 62, top + 20, 30);
                Threshold_SecEdit[i] = spinEdit(g, (base + "Sec" + channel).constData(), 0, 59, 100, top + 18, 50);
                label(g, ("SText_" + QByteArray(kNames[row]) + "Sec" + channel).constData(), "sec", 154, top + 20, 30);
                const auto changed = [this, i] {
                    if (!filling_)
                        thresholdCur.values[i] = Threshold_MinEdit[i]->value() * 60 + Threshold_SecEdit[i]->value();
                };
                connect(Threshold_MinEdit[i], &QSpinBox::valueChanged, this, changed);
                connect(Threshold_SecEdit[i], &QSpinBox::valueChanged, this, changed);
            } else {
                auto *track = named(new QSlider(Qt::Horizontal, g),
                                    ("TrackBar_" + QByteArray(kNames[row]) + "_" + channel).constData(),
                                    8, top + 18, 150, 22);
                track->setRange(1, 100);
                auto *edit = spinEdit(g, ("Edit_" + QByteArray(kNames[row]) + channel).constData(), 1, 100,
                                      166, top + 18, 60);
                Threshold_TrackBar[i] = track;
                Threshold_Edit[i] = edit;
                // The track bar and its edit show the same percentage.
                connect(track, &QSlider::valueChanged, edit, &QSpinBox::setValue);
                connect(edit, &QSpinBox::valueChanged, track, &QSlider::setValue);
                connect(edit, &QSpinBox::valueChanged, this, [this, i](int v) {
                    if (!filling_)
                        thresholdCur.values[i] = v;
                });
            }
        }
    }

    p = X75Sheet;
    label(p, "SText_Frame", "Frame Size:", 16, 20, 170);
    Edit_Frame = spinEdit(p, "Edit_Frame", 1, 2048, 190, 16, 90);
    label(p, "SText_Window", "Window Size:", 16, 56, 170);
    Edit_Window = spinEdit(p, "Edit_Window", 1, 7, 190, 52, 90);
    label(p, "SText_Layer3", "Layer 3:", 16, 92, 170);
    Combo_Layer3 = combo(p, "Combo_Layer3", {"Transparent", "T.70 NL", "Btx"}, 190, 88, 200);
    connect(Edit_Frame, &QSpinBox::valueChanged, this, [this](int v) { if (!filling_) x75Cur.frameSize = v; });
    connect(Edit_Window, &QSpinBox::valueChanged, this, [this](int v) { if (!filling_) x75Cur.windowSize = v; });
    connect(Combo_Layer3, &QComboBox::currentIndexChanged, this, [this](int v) { if (!filling_) x75Cur.layer3 = v; });
}

void TQuillonForm::updatePppEnables()
{
    const bool dynamic = PPPmode_ComboBox->currentIndex() == 3;
    pppModeDynamic = dynamic;
    // While a save runs the action buttons stay disabled; the read-back re-enables them.
    if (ConfigureBtn->isEnabled())
        PPPDBABtn->setEnabled(dynamic);
    setFieldEnabled(Edit_PPPEndpoint, Combo_PPPEndpoint->currentIndex() > 0);
    setFieldEnabled(Edit_PPPLocal, BACP_CkBox->isChecked());
    setFieldEnabled(Edit_PPPLongDist, BACP_CkBox->isChecked());
}

void TQuillonForm::fillPpp()
{
    pppRead = readPpp(replies);
    pppCur = pppRead;
    filling_ = true;
    PPPmode_ComboBox->setCurrentIndex(pppCur.mode);
    Combo_PPPCompression->setCurrentIndex(pppCur.compression);
    Combo_PPPEndpoint->setCurrentIndex(pppCur.endpoint);
    Edit_PPPEndpoint->setText(pppCur.endpointText);
    BACP_CkBox->setChecked(pppCur.bacp);
    Edit_PPPLocal->setText(pppCur.localPrefix);
    Edit_PPPLongDist->setText(pppCur.longDistPrefix);
    filling_ = false;
    updatePppEnables();
    sheetFilled[ShPpp] = true;
}

void TQuillonForm::fillThresholds()
{
    thresholdRead = readThresholds(replies);
    thresholdCur = thresholdRead;
    filling_ = true;
    for (size_t i = 0; i < 8; ++i) {
        const int v = thresholdCur.values[i];
        if (Threshold_MinEdit[i]) {
            Threshold_MinEdit[i]->setValue(v / 60);
            Threshold_SecEdit[i]->setValue(v % 60);
        } else {
            Threshold_Edit[i]->setValue(v);
        }
    }
    filling_ = false;
    sheetFilled[ShThreshold] = true;
}

void TQuillonForm::fillX75()
{
    x75Read = readX75(replies);
    x75Cur = x75Read;
    filling_ = true;
    Edit_Frame->setValue(x75Cur.frameSize);
    Edit_Window->setValue(x75Cur.windowSize);
    Combo_Layer3->setCurrentIndex(x75Cur.layer3);
    filling_ = false;
    sheetFilled[ShX75] = true;
}
