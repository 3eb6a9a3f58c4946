#pragma once
// The Connection tab: reach the update server over TCP/IP or by dial-up, and
// for dial-up the phonebook and the preferred connection in it.

#include "propertypage.h"

class CPropSheetManager;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class CPrefConnectionPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPrefConnectionPage(CPropSheetManager *sheet);

    bool OnSetActive() override;
    bool OnKillActive() override;

private:
    void FillConnections();
    void SelectPreferred();
    void UpdateEnabling();
    void OnConnectionType(short type);
    void OnConnectionChosen(int row);
    void OnBrowse();

    CPropSheetManager *sheet_;
    QGroupBox *group_;
    QRadioButton *tcpip_;
    QRadioButton *dialup_;
    QLabel *phonebookLabel_;
    QLabel *phonebook_;
    QPushButton *browse_;
    QLabel *connectionLabel_;
    QComboBox *connections_;
    short connectionType_ = 0;
    bool dialupAvailable_ = false;
};
