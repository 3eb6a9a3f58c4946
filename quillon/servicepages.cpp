// The supplementary service pages: call forwarding per MSN (busy, no answer,
// unconditional, deflection, each with its number, its enable box and the
// network's status) and call screening (the policy of each port and twenty
// numbers listed for any of the three ports).
#include "pagewidgets.h"
#include "quillonform.h"
#include "translator.h"

#include <QScrollArea>
#include <QTabWidget>

using namespace quillon;

namespace {

struct KindControl {
    ForwardKind kind;
    const char *suffix;
    const char *caption;
};
// In the order the tabs show them.
const KindControl kKinds[4] = {{FwdBusy, "Busy", "Busy"},
                               {FwdNoResponse, "NoAns", "No Answer"},
                               {FwdUnconditional, "Uncond", "Unconditional"},
                               {FwdDeflection, "Deflect", "Deflection"}};

} // namespace

void TQuillonForm::buildServicePages()
{
    Call_PageControl = named(new QTabWidget(CallFSheet), "Call_PageControl", 8, 8, 497, 240);
    for (int m = 0; m < 3; ++m) {
        const QByteArray msn = "MSN" + QByteArray::number(m + 1);
        auto *tab = new QWidget;
        tab->setObjectName(QStringLiteral("CallForward%1_TabSheet").arg(m + 1));
        CallForward_TabSheet[size_t(m)] = tab;
        Call_PageControl->addTab(tab, QStringLiteral("MSN %1").arg(m + 1));
        label(tab, ("SText_CallForwardNumber_" + msn).constData(), "Forward to Number", 150, 8, 200);
        label(tab, ("SText_CallForwardNetwork_" + msn).constData(), "Network Status", 370, 8, 110);
        for (int row = 0; row < 4; ++row) {
            const KindControl &k = kKinds[row];
            const QByteArray base = "_CallForward_" + msn + "_" + k.suffix;
            const int top = 34 + row * 40;
            QCheckBox *box = checkBox(tab, ("CkBox" + base).constData(), k.caption, 10, top + 2, 135);
            QLineEdit *edit = digitsEdit(tab, ("Edit" + base).constData(), 20, 150, top, 200);
            QLabel *network = label(tab, ("Label" + base).constData(), "", 370, top + 2, 110);
            Translator->exclude(network);   // shows translated status words itself
            CallForward_CkBox[size_t(m)][k.kind] = box;
            CallForward_Edit[size_t(m)][k.kind] = edit;
            CallForward_Network[size_t(m)][k.kind] = network;
            const ForwardKind kind = k.kind;
            connect(edit, &QLineEdit::textChanged, this, [this, m, kind](const QString &t) {
                if (filling_)
                    return;
                forwardCur.msn[size_t(m)][kind].number = t;
                updateForwardBoxes(m);
            });
            connect(box, &QCheckBox::toggled, this, [this, m, kind](bool on) {
                if (filling_)
                    return;
                forwardCur.msn[size_t(m)][kind].userEnabled = on;
                updateForwardBoxes(m);
            });
        }
    }

    QWidget *p = CLIDSheet;
    static const char *const kPorts[3] = {"Port1", "Port2", "DataPort"};
    static const char *const kPortCaptions[3] = {"Phone Port 1", "Phone Port 2", "Data Port"};
    for (int port = 0; port < 3; ++port) {
        const int left = 150 + port * 118;
        label(p, (QByteArray("SText_CLID") + kPorts[port]).constData(), kPortCaptions[port], left, 4, 116);
        Combo_CLIDPort[size_t(port)] = combo(p, (QByteArray("Combo_CLID") + kPorts[port]).constData(),
                                             {"Accept", "Reject"}, left, 22, 112);
        Btn_CLIDAcceptAll[size_t(port)] =
            button(p, ("Btn_CLIDAcceptAll" + QByteArray::number(port + 1)).constData(), "Accept All", left, 46, 112, 23);
        connect(Combo_CLIDPort[size_t(port)], &QComboBox::currentIndexChanged, this, [this, port](int i) {
            if (!filling_)
                screenCur.rejectListed[size_t(port)] = i == PolicyReject;
        });
        connect(Btn_CLIDAcceptAll[size_t(port)], &QPushButton::clicked, this, [this, port] {
            acceptAll(screenCur, port);
            showScreening();
        });
    }
    label(p, "SText_CLIDNumber", "Number", 8, 58, 130);
    auto *scroll = named(new QScrollArea(p), "CLID_ScrollBox", 8, 74, 497, 176);
    auto *list = new QWidget;
    list->setObjectName(QStringLiteral("CLID_List"));
    list->resize(475, 20 * 24 + 4);
    for (int j = 0; j < 20; ++j) {
        const QByteArray entry = (j < 9 ? "0" : "") + QByteArray::number(j + 1);
        const int top = 2 + j * 24;
        label(list, ("SText_CLIDEntry" + entry).constData(), (entry + ":").constData(), 4, top + 2, 24);
        Edit_CLIDNumber[size_t(j)] = digitsEdit(list, ("Edit_CLIDNumber" + entry).constData(), 20, 30, top, 105);
        connect(Edit_CLIDNumber[size_t(j)], &QLineEdit::textChanged, this, [this, j](const QString &t) {
            if (!filling_)
                screenCur.entries[size_t(j)].number = t;
        });
        for (int port = 0; port < 3; ++port) {
            QCheckBox *box = checkBox(list, ("CkBox_CLID" + entry + "_" + kPorts[port]).constData(), "",
                                      142 + port * 118 + 48, top + 2, 20);
            CkBox_CLID[size_t(j)][size_t(port)] = box;
            connect(box, &QCheckBox::toggled, this, [this, j, port](bool on) {
                if (!filling_)
                    screenCur.entries[size_t(j)].listed[size_t(port)] = on;
            });
        }
    }
    scroll->setWidget(list);
}

void TQuillonForm::updateForwardBoxes(int m)
{
    for (int k = 0; k < 4; ++k) {
        ForwardEntry &e = forwardCur.msn[size_t(m)][size_t(k)];
        const bool usable = forwardBoxUsable(e);
        if (!usable)
            e.userEnabled = false;
        CallForward_CkBox[size_t(m)][size_t(k)]->setEnabled(usable);
    }
}

void TQuillonForm::showForwarding()
{
    filling_ = true;
    for (int m = 0; m < 3; ++m) {
        for (int k = 0; k < 4; ++k) {
            const ForwardEntry &e = forwardCur.msn[size_t(m)][size_t(k)];
            CallForward_Edit[size_t(m)][size_t(k)]->setText(e.number);
            CallForward_CkBox[size_t(m)][size_t(k)]->setChecked(e.userEnabled);
            CallForward_Network[size_t(m)][size_t(k)]->setText(e.networkEnabled ? tx("Enabled") : tx("Disabled"));
        }
        updateForwardBoxes(m);
    }
    filling_ = false;
    nameValueLabels();
}

void TQuillonForm::showScreening()
{
    filling_ = true;
    for (int port = 0; port < 3; ++port)
        Combo_CLIDPort[size_t(port)]->setCurrentIndex(screenCur.rejectListed[size_t(port)] ? PolicyReject : PolicyAccept);
    for (int j = 0; j < 20; ++j) {
        Edit_CLIDNumber[size_t(j)]->setText(screenCur.entries[size_t(j)].number);
        for (int port = 0; port < 3; ++port)
            CkBox_CLID[size_t(j)][size_t(port)]->setChecked(screenCur.entries[size_t(j)].listed[size_t(port)]);
    }
    filling_ = false;
}
