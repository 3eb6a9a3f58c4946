#pragma once
// The IDSL modem's configuration screen: identity and line settings as the
// modem reports them ("ati7", "ati12", "ati16"), the leased line's rate
// written back, and "Done" back to the host.

#include "companionform.h"
#include "formparts.h"
#include "productlibs.h"

class QComboBox;
class QLabel;
class QPushButton;
class TApdComPort;

namespace companions { class DeviceLink; struct Reply; }

class TTesselForm : public companions::CompanionForm {
    Q_OBJECT
public:
    explicit TTesselForm(QWidget *host);

    void initialize(TApdComPort *port, QObject *owner, quint32 formFinishedMsg);
    void showForm(bool show);
    bool isBusy() const { return bBusy; }

    companions::IdentityLabels Identity;
    QComboBox *LineTypeCombo;
    QLabel *LineStatusValue;
    QLabel *PppModeValue;
    QLabel *SpidValue;
    QPushButton *RefreshBtn;
    QPushButton *ApplyBtn;
    QPushButton *DoneBtn;
    QLabel *StatusLabel;

protected:
    QString caption() const override;

private:
    void RefreshBtnClick();
    void ApplyBtnClick();
    void DoneBtnClick();
    bool readModem();
    void reportProblem(const companions::Reply &reply);
    void updateButtons();

    companions::DeviceLink *link_;
    QPointer<QObject> owner_;
    quint32 formFinishedMsg_ = productlibs::kFormFinishedMessage;
    int loadedLineType_ = -1;
    bool bBusy = false;
    bool bShown = false;
    bool bReadPending = false;
};
