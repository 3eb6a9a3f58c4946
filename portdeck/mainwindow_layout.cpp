// The window's controls, their places and their fixed texts.

#include "containerframe.h"
#include "identity.h"
#include "widgets.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QMenu>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>

namespace {

QLabel *makeLabel(const char *name, QWidget *parent, const QRect &geometry, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QFrame *makeBevel(const char *name, QWidget *parent, const QRect &geometry)
{
    auto *bevel = new QFrame(parent);
    bevel->setObjectName(QString::fromLatin1(name));
    bevel->setFrameShape(geometry.height() <= 2 ? QFrame::HLine : QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(geometry);
    return bevel;
}

QStackedWidget *makePages(const char *name, QWidget *parent, const QRect &geometry)
{
    auto *pages = new QStackedWidget(parent);
    pages->setObjectName(QString::fromLatin1(name));
    pages->setGeometry(geometry);
    return pages;
}

QWidget *makeSheet(const char *name, QStackedWidget *pages)
{
    auto *sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(name));
    pages->addWidget(sheet);
    return sheet;
}

} // namespace

void TcontainerFrame::buildLayout()
{
    installAccessibility();
    setFixedSize(645, 421);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Varnel Portdeck"));

    moreConnectedBitmap = makeLabel("moreConnectedBitmap", this, {0, 0, 644, 49});
    moreConnectedBitmap->setPixmap(picture(QStringLiteral("BMP_HEADER")).scaled(644, 49));
    tllogoImage = makeLabel("tllogoImage", this, {600, 0, 45, 47});
    tllogoImage->setPixmap(picture(QStringLiteral("BMP_TLLOGO")).scaled(45, 47));
    tllogoImage->hide();
    tlbannerImage = makeLabel("tlbannerImage", this, {94, 0, 457, 19});
    tlbannerImage->setScaledContents(true);
    tlbannerImage->hide();
    brandLabel = makeLabel("brandLabel", this, {189, 22, 420, 28});
    QFont brandFont(QStringLiteral("serif"));
    brandFont.setStyleHint(QFont::Serif);
    brandFont.setBold(true);
    brandFont.setPixelSize(24);
    brandLabel->setFont(brandFont);
    QPalette navy = brandLabel->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    brandLabel->setPalette(navy);

    helpBtn = new PanelButton(QStringLiteral("helpBtn"), QStringLiteral("Help"), {}, this, true);
    supportBtn = new PanelButton(QStringLiteral("supportBtn"), QStringLiteral("Varnel Support"), {}, this, true);
    contactsBtn = new PanelButton(QStringLiteral("contactsBtn"), QStringLiteral("Varnel Contacts"), {}, this, true);
    OnlineManualBtn = new PanelButton(QStringLiteral("OnlineManualBtn"), QStringLiteral("User's Manual"), {}, this, true);
    helpBtn->move(20, 52);
    contactsBtn->move(380, 52);
    OnlineManualBtn->move(155, 52);
    OnlineManualBtn->resize(130, 18);   // room for the longer translations
    supportBtn->move(500, 52);

    OptionsPageControl = makePages("OptionsPageControl", this, {0, 70, 131, 355});
    ModemSheet = makeSheet("ModemSheet", OptionsPageControl);
    OptionsSheet = makeSheet("OptionsSheet", OptionsPageControl);
    ScrollBox1 = new QScrollArea(ModemSheet);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(0, 0, 131, 272);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setFocusPolicy(Qt::NoFocus);   // its device buttons take the focus, it scrolls to them
    scrollContents = new QWidget;
    scrollContents->setObjectName(QStringLiteral("ScrollBox1Contents"));
    scrollContents->resize(112, 272);
    ScrollBox1->setWidget(scrollContents);
    ScrollBox1->hide();

    auto tool = [](const char *name, const char *caption, const char *bmp, QWidget *sheet, int top) {
        auto *b = new PanelButton(QString::fromLatin1(name), QString::fromLatin1(caption),
                                  QString::fromLatin1(bmp), sheet);
        b->move(3, top);
        return b;
    };
    detectBtn = tool("detectBtn", "Detect", "BMP_DETECT", ModemSheet, 277);
    ExitBtn = tool("ExitBtn", "Exit", "BMP_EXIT", ModemSheet, 312);
    ExitBtn->resize(125, 34);
    appwizBtn = tool("appwizBtn", "Configuration Manager", "BMP_CFGMGR", OptionsSheet, 3);
    terminalbtn = tool("terminalbtn", "Terminal", "BMP_TERM", OptionsSheet, 48);
    flashdiskbtn = tool("flashdiskbtn", "Flash From Disk", "BMP_FLASH", OptionsSheet, 95);
    updatebtn = tool("updatebtn", "Patchwell", "BMP_UPDATE", OptionsSheet, 145);
    SpidBtn = tool("SpidBtn", "ISDN Line Wizard", "BMP_SPID", OptionsSheet, 190);
    protomonitorbtn = tool("protomonitorbtn", "Protocol Decode", "BMP_PROTO", OptionsSheet, 234);
    backbtn = tool("backbtn", "Back", "BMP_BACK", OptionsSheet, 277);
    TerminateBtn = tool("TerminateBtn", "Exit", "BMP_EXIT", OptionsSheet, 312);
    TerminateBtn->resize(125, 34);

    PageControl1 = makePages("PageControl1", this, {130, 70, 515, 382});
    DefaultSheet = makeSheet("DefaultSheet", PageControl1);
    DetectionSheet = makeSheet("DetectionSheet", PageControl1);

    statusAnimationAvi = new StatusAnimation(DefaultSheet);
    statusAnimationAvi->setObjectName(QStringLiteral("statusAnimationAvi"));
    statusAnimationAvi->setGeometry(8, 9, 48, 48);
    statusInfoStatic = makeLabel("statusInfoStatic", DefaultSheet, {60, 9, 442, 100});
    statusInfoStatic->setWordWrap(true);
    statusInfoStatic->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The animation is named by the status it goes with ("... This may take a few moments").
    statusInfoStatic->setBuddy(statusAnimationAvi);
    modemImage = makeLabel("modemImage", DefaultSheet, {8, 8, 100, 60});
    modemImage->setScaledContents(true);
    dividerBevel = makeBevel("dividerBevel", DefaultSheet, {8, 112, 494, 2});
    instructionsStatic = makeLabel("instructionsStatic", DefaultSheet, {8, 120, 494, 215});
    instructionsStatic->setWordWrap(true);
    instructionsStatic->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    modemInstructions = makeLabel("modemInstructions", DefaultSheet, {116, 8, 386, 40});
    modemInstructions->setWordWrap(true);
    modemInstructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    DialUp_Instructions = makeLabel("DialUp_Instructions", DefaultSheet, {116, 48, 386, 30});
    DialUp_Instructions->setWordWrap(true);
    modemBevel = makeBevel("modemBevel", DefaultSheet, {6, 6, 104, 64});
    modemBevel->lower();
    modemBevel->hide();

    Info_TabSet = new QTabBar(DefaultSheet);
    Info_TabSet->setObjectName(QStringLiteral("Info_TabSet"));
    Info_TabSet->addTab(QStringLiteral("Modem Information"));
    Info_TabSet->addTab(QStringLiteral("Call Log"));
    Info_TabSet->setGeometry(8, 82, 494, 22);
    PageControl_Info = makePages("PageControl_Info", DefaultSheet, {8, 104, 494, 238});
    Sheet_Info = makeSheet("Sheet_Info", PageControl_Info);
    Sheet_CallLog = makeSheet("Sheet_CallLog", PageControl_Info);
    productGroupBox = new QGroupBox(QStringLiteral("Product Information"), Sheet_Info);
    productGroupBox->setObjectName(QStringLiteral("productGroupBox"));
    productGroupBox->setGeometry(4, 4, 486, 228);
    static const char *const captionNames[8] = {"ProductIdCaption", "ProductTypeCaption", "ClockCaption",
        "Date1Caption", "Date2Caption", "Rev1Caption", "Rev2Caption", "SerialNumberCaption"};
    static const char *const valueNames[8] = {"ProductIdValue", "ProductTypeValue", "ClockValue",
        "Date1Value", "Date2Value", "Rev1Value", "Rev2Value", "SerialNumberValue"};
    for (int row = 0; row < 8; ++row) {
        infoCaptions[row] = makeLabel(captionNames[row], productGroupBox, {12, 22 + 25 * row, 130, 20});
        infoValues[row] = makeLabel(valueNames[row], productGroupBox, {150, 22 + 25 * row, 326, 20});
        // Each value is named by its caption ("Serial Number: HX4711").
        infoCaptions[row]->setBuddy(infoValues[row]);
    }
    connect(Info_TabSet, &QTabBar::currentChanged, this, &TcontainerFrame::Info_TabSetChange);

    // The connection sheet of the ISDN TA.
    auto *detectionPicture = makeLabel("detectionPicture", DetectionSheet, {20, 20, 120, 90});
    detectionPicture->setPixmap(picture(QStringLiteral("BMP_ISDNCONN")).scaled(120, 90));
    detectionTitle = makeLabel("detectionTitle", DetectionSheet, {150, 40, 350, 30},
                               QStringLiteral("Establishing ISDN Network Connection"));
    QFont titleFont = detectionTitle->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(16);
    detectionTitle->setFont(titleFont);
    InfoText = makeLabel("InfoText", DetectionSheet, {20, 200, 475, 24},
                         QStringLiteral("Checking for Connection ......"));
    InfoText->setAutoFillBackground(true);
    QPalette lime = InfoText->palette();
    lime.setColor(QPalette::Window, Qt::black);
    lime.setColor(QPalette::WindowText, QColor(0, 255, 0));
    InfoText->setPalette(lime);
    for (int i = 0; i < 5; ++i) {
        Shapes[i] = new QFrame(DetectionSheet);
        Shapes[i]->setObjectName(QStringLiteral("Shape%1").arg(i + 1));
        Shapes[i]->setAutoFillBackground(true);
        Shapes[i]->setFrameShape(QFrame::Box);
        const QRect places[5] = {{170, 140, 14, 14}, {240, 140, 14, 14}, {310, 140, 14, 14},
                                 {150, 120, 10, 10}, {340, 120, 10, 10}};
        Shapes[i]->setGeometry(places[i]);
        QPalette shapePal = Shapes[i]->palette();
        shapePal.setColor(QPalette::Window, i < 3 ? QColor(0, 0, 128) : QColor(128, 255, 128));
        Shapes[i]->setPalette(shapePal);
    }

    popupMenu = new QMenu(this);
    popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    AboutPortdeck1 = popupMenu->addAction(QStringLiteral("About..."));
    AboutPortdeck1->setObjectName(QStringLiteral("AboutPortdeck1"));

    OptionsPageControl->setCurrentWidget(ModemSheet);
    PageControl1->setCurrentWidget(DefaultSheet);
}

void TcontainerFrame::setInfoCaptions()
{
    static const char *const fixed[8] = {"Product ID :", "Product Type:", "Clock Frequency:", nullptr,
                                         nullptr, nullptr, nullptr, "Serial Number:"};
    for (int row = 0; row < 8; ++row) {
        const char *source = fixed[row] ? fixed[row] : identity::dateRowCaption(row, modemSelected);
        infoCaptions[row]->setText(tr_(source));
    }
}
