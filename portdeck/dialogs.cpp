#include "dialogs.h"

#include "clock.h"
#include "language.h"
#include "widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

namespace {

QString translated(LanguageDictionary *dictionary, const char *source)
{
    const QString text = QString::fromUtf8(source);
    return dictionary ? dictionary->translate(text) : text;
}

void centre(QWidget *w)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

} // namespace

TAboutBox::TAboutBox(const QString &versionText, LanguageDictionary *dictionary, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(translated(dictionary, "About"));
    setFixedSize(298, 171);
    QFont f = font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPixelSize(12);
    setFont(f);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(8, 8, 281, 121);
    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 32, 32);
    icon->setPixmap(picture(QStringLiteral("pd32x32")).scaled(32, 32));
    auto *product = new QLabel(translated(dictionary, "Portdeck"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    product->setGeometry(88, 12, 180, 16);
    versionLabel = new QLabel(versionText, panel);
    versionLabel->setObjectName(QStringLiteral("Version"));
    versionLabel->setGeometry(88, 36, 180, 16);
    noticeLabel = new QLabel(translated(dictionary, "Manages the Varnel products attached to this computer."), panel);
    noticeLabel->setObjectName(QStringLiteral("Comments"));
    noticeLabel->setWordWrap(true);
    noticeLabel->setGeometry(8, 64, 265, 48);
    OKButton = new QPushButton(translated(dictionary, "OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setGeometry(111, 138, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, [this] {
        setResult(QDialog::Accepted);
        hide();
    });
    setModal(false);
    centre(this);
}

TDebugForm::TDebugForm(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("DebugForm"));
    setWindowTitle(QStringLiteral("DebugForm"));
    resize(428, 688);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(4, 4, 420, 40);
    DebugRichEdit1 = new QTextEdit(this);
    DebugRichEdit1->setObjectName(QStringLiteral("DebugRichEdit1"));
    DebugRichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    DebugRichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DebugRichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DebugRichEdit1->setGeometry(4, 688 - 637 - 4, 420, 637);
}

void TDebugForm::addLine(const QString &line)
{
    Label1->setText(line);
    DebugRichEdit1->append(line);
}

void TDebugForm::closeEvent(QCloseEvent *event)
{
    // Keep only the first line.
    const QString first = DebugRichEdit1->toPlainText().section(QLatin1Char('\n'), 0, 0);
    DebugRichEdit1->setPlainText(first);
    QWidget::closeEvent(event);
}

namespace {

// The restore panel as assistive technology sees it: a button named by its
// text, pressed by its one action (later, from the event loop: the caller
// waits for the action's return).
class RestorePanelAccessible : public QAccessibleWidget {
public:
    RestorePanelAccessible(QWidget *panel, TNonModalMsgBox *box)
        : QAccessibleWidget(panel, QAccessible::Button), box_(box) {}
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && box_ ? box_->panelLabel->text() : QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && box_)
            QTimer::singleShot(0, box_.data(), &TNonModalMsgBox::restore);
    }
private:
    QPointer<TNonModalMsgBox> box_;
};

QAccessibleInterface *restorePanelAccessible(const QString &, QObject *object)
{
    if (object->objectName() != QLatin1String("PanelClickToPD") || !object->isWidgetType())
        return nullptr;
    auto *box = qobject_cast<TNonModalMsgBox *>(object->parent());
    return box ? new RestorePanelAccessible(static_cast<QWidget *>(object), box) : nullptr;
}

} // namespace

TNonModalMsgBox::TNonModalMsgBox(LanguageDictionary *dictionary, QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("NonModalMsgBox"));
    setFixedSize(351, 40);
    PanelClickToPD = new QFrame(this);
    PanelClickToPD->setObjectName(QStringLiteral("PanelClickToPD"));
    PanelClickToPD->setFrameShape(QFrame::Panel);
    PanelClickToPD->setFrameShadow(QFrame::Raised);
    PanelClickToPD->setLineWidth(3);
    PanelClickToPD->setGeometry(0, 0, 351, 40);
    panelLabel = new QLabel(translated(dictionary, "Click Here to Restore Portdeck"), PanelClickToPD);
    panelLabel->setObjectName(QStringLiteral("PanelClickToPDLabel"));
    panelLabel->setAlignment(Qt::AlignCenter);
    panelLabel->setGeometry(3, 3, 345, 34);
    QFont f = panelLabel->font();
    f.setPixelSize(13);
    panelLabel->setFont(f);
    PanelClickToPD->installEventFilter(this);
    panelLabel->installEventFilter(this);
    // Reached and pressed by the keyboard too; focused, the panel looks pressed in.
    PanelClickToPD->setFocusPolicy(Qt::StrongFocus);
    static const bool factoryInstalled = (QAccessible::installFactory(restorePanelAccessible), true);
    Q_UNUSED(factoryInstalled);
    AnimationTimer = new ScaledTimer(this, 1000);
    connect(AnimationTimer, &ScaledTimer::timeout, this, &TNonModalMsgBox::AnimationTimerTimer);
}

void TNonModalMsgBox::AnimationTimerTimer()
{
    aquaPhase = !aquaPhase;
    QPalette pal = panelLabel->palette();
    pal.setColor(QPalette::WindowText,
                 aquaPhase ? QColor(0, 255, 255) : palette().color(QPalette::WindowText));
    panelLabel->setPalette(pal);
}

void TNonModalMsgBox::showEvent(QShowEvent *event)
{
    AnimationTimer->setEnabled(true);
    QWidget::showEvent(event);
}

void TNonModalMsgBox::hideEvent(QHideEvent *event)
{
    AnimationTimer->setEnabled(false);
    QWidget::hideEvent(event);
}

bool TNonModalMsgBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        emit restoreClicked();
    if (watched == PanelClickToPD) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            PanelClickToPD->setFrameShadow(event->type() == QEvent::FocusIn ? QFrame::Sunken : QFrame::Raised);
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                emit restoreClicked();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

TPromptMsgForm::TPromptMsgForm(LanguageDictionary *dictionary, QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("PromptMsgForm"));
    setWindowTitle(QStringLiteral(" "));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(344, 107);
    STextInsertCD = new QLabel(this);
    STextInsertCD->setObjectName(QStringLiteral("STextInsertCD"));
    STextInsertCD->setGeometry(16, 16, 315, 35);
    STextInsertCD->setWordWrap(true);
    auto button = [this](const char *name, const QString &text, int left, int result) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 72, 85, 25);
        connect(b, &QPushButton::clicked, this, [this, result] {
            result_ = result;
            if (result != 3)
                close();
        });
        return b;
    };
    OKBtn = button("OKBtn", translated(dictionary, "OK"), 20, 1);
    CancelBtn = button("CancelBtn", translated(dictionary, "Cancel"), 130, 2);
    BrowseBtn = button("BrowseBtn", translated(dictionary, "Browse..."), 240, 3);
    OKBtn->setDefault(true);
    setModal(false);
}

int TPromptMsgForm::ask(const QString &text)
{
    STextInsertCD->setText(text);
    setAccessibleDescription(text);   // announced with the box; its title is blank
    centre(this);
    show();
    OKBtn->setFocus();
    result_ = 0;
    // The box closes itself on OK and Cancel; Browse only sets the result.
    tl::waitUntil([this] { return result_ != 0 || !isVisible(); }, -1, true);
    close();
    return result_;
}

void TPromptMsgForm::showEvent(QShowEvent *event)
{
    result_ = 0;
    QDialog::showEvent(event);
}

void TPromptMsgForm::closeEvent(QCloseEvent *event)
{
    if (result_ <= 0)
        result_ = -1;
    event->accept();
}

void TPromptMsgForm::reject()
{
    if (result_ <= 0)
        result_ = -1;
    hide();
}
