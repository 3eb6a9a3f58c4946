#include "widgets.h"

#include "containerframe.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QHash>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>

QPixmap picture(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QPixmap pixmap;
    for (const char *ext : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/pictures/") + name + QLatin1String(ext);
        if (QFile::exists(path) && pixmap.load(path))
            break;
    }
    cache.insert(name, pixmap);
    return pixmap;
}

namespace {

const QColor kGrey(128, 128, 128);

QString greyName(const QString &name)
{
    // "BMP_DETECT" -> "BMP_GDETECT"
    return name.startsWith(QLatin1String("BMP_")) ? QStringLiteral("BMP_G") + name.mid(4) : name;
}

// What assistive technology sees of a panel: a button named by its caption,
// pressed by its one action; the label and picture inside are its looks only.
class PanelButtonAccessible : public QAccessibleWidget {
public:
    explicit PanelButtonAccessible(PanelButton *button) : QAccessibleWidget(button, QAccessible::Button) {}
    PanelButton *button() const { return static_cast<PanelButton *>(widget()); }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString own = widget()->accessibleName();
            if (!own.isEmpty())
                return own;
            QString caption = button()->caption();
            caption.remove(QLatin1Char('&'));
            return caption.simplified();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        // Later, from the event loop: the caller waits for the action's return,
        // and a click may run a wait of its own.
        if (name == pressAction() && widget()->isEnabled())
            QTimer::singleShot(0, button(), &PanelButton::click);
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }
};

QAccessibleInterface *panelButtonAccessible(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<PanelButton *>(object))
        return new PanelButtonAccessible(button);
    return nullptr;
}

// The caption label whose buddy the value label is, if any.
QLabel *captionOf(const QLabel *value)
{
    const QWidget *parent = value->parentWidget();
    if (!parent)
        return nullptr;
    for (QObject *sibling : parent->children()) {
        auto *label = qobject_cast<QLabel *>(sibling);
        if (label && label != value && label->buddy() == value)
            return label;
    }
    return nullptr;
}

// A label that shows a value next to its caption: named by both, so that a
// listener hears what the value is ("Serial Number: HX4711"), and by the
// caption alone while the value is empty.
class ValueLabelAccessible : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(QLabel *value) : QAccessibleWidget(value, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        const auto *value = static_cast<const QLabel *>(widget());
        const QLabel *caption = captionOf(value);
        return captionedValue(caption ? caption->text() : QString(), value->text());
    }
};

QAccessibleInterface *valueLabelAccessible(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->pixmap().isNull() && captionOf(label))
        return new ValueLabelAccessible(label);
    return nullptr;
}

// A radio button, also one that is not grouped with others by Qt (its
// partner is switched off by the program, as on the call log page): still a
// radio button to a listener, where Qt would report a check box. Its
// interface is made with the widget, before it may be ungrouped.
class UngroupedRadioAccessible : public QAccessibleWidget {
public:
    explicit UngroupedRadioAccessible(QRadioButton *radio) : QAccessibleWidget(radio, QAccessible::RadioButton) {}
    QRadioButton *radio() const { return static_cast<QRadioButton *>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            QString caption = radio()->text();
            caption.remove(QLatin1Char('&'));
            return caption.simplified();
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = radio()->isChecked();
        return s;
    }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(toggleAction());
        return names;
    }
    void doAction(const QString &name) override
    {
        if (name == toggleAction()) {
            if (widget()->isEnabled())
                radio()->toggle();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *ungroupedRadioAccessible(const QString &, QObject *object)
{
    auto *radio = qobject_cast<QRadioButton *>(object);
    if (radio)
        return new UngroupedRadioAccessible(radio);
    return nullptr;
}

// The find-computer animation: drawn by hand, so it tells assistive
// technology itself that it is an animation and whether it runs.
class StatusAnimationAccessible : public QAccessibleWidget {
public:
    explicit StatusAnimationAccessible(StatusAnimation *animation)
        : QAccessibleWidget(animation, QAccessible::Animation) {}
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.animated = static_cast<StatusAnimation *>(widget())->isPlaying();
        return s;
    }
};

QAccessibleInterface *statusAnimationAccessible(const QString &, QObject *object)
{
    if (auto *animation = qobject_cast<StatusAnimation *>(object))
        return new StatusAnimationAccessible(animation);
    return nullptr;
}

} // namespace

QString captionedValue(QString caption, const QString &value)
{
    caption.remove(QLatin1Char('&'));
    caption = caption.simplified();
    while (caption.endsWith(QLatin1Char(':')))
        caption = caption.chopped(1).trimmed();
    const QString shown = value.simplified();
    if (caption.isEmpty())
        return shown;
    return shown.isEmpty() ? caption : caption + QStringLiteral(": ") + shown;
}

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(panelButtonAccessible);
        QAccessible::installFactory(valueLabelAccessible);
        QAccessible::installFactory(ungroupedRadioAccessible);
        QAccessible::installFactory(statusAnimationAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

PanelButton::PanelButton(const QString &objectName, const QString &caption, const QString &pictureName,
                         QWidget *parent, bool linkStyle)
    : QFrame(parent), label_(new QLabel(caption, this)), picture_(new QLabel(this)),
      baseName_(pictureName), link_(linkStyle)
{
    setObjectName(objectName);
    label_->setObjectName(objectName + QStringLiteral("Label"));
    picture_->setObjectName(objectName + QStringLiteral("Image"));
    label_->installEventFilter(this);
    picture_->installEventFilter(this);
    installAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, link_ ? QColor(192, 192, 192) : QColor(0, 0, 128));
    setPalette(pal);
    QFont f = label_->font();
    f.setBold(true);
    f.setPixelSize(11);
    label_->setFont(f);
    label_->setWordWrap(true);
    if (link_) {
        setGeometry(0, 0, 110, 18);
        picture_->hide();
        label_->setGeometry(2, 1, 106, 16);
    } else {
        setGeometry(0, 0, 125, 40);
        picture_->setGeometry(3, 4, 32, 32);
        label_->setGeometry(38, 2, 85, 36);
    }
    paintAvailable(true);
}

void PanelButton::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // The label keeps its left edge and a 2-pixel margin on the right.
    const int left = label_->x() - (down_ ? 3 : 0);
    label_->resize(width() - 2 - left, label_->height());
}

void PanelButton::setCaption(const QString &text)
{
    label_->setText(text);
}

void PanelButton::setPictureName(const QString &name)
{
    pictureName_ = name;
    if (!link_ && !name.isEmpty())
        picture_->setPixmap(::picture(name).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void PanelButton::paintAvailable(bool available)
{
    available_ = available;
    QPalette pal = label_->palette();
    const QColor normal = link_ ? QColor(0, 0, 128) : QColor(Qt::white);
    pal.setColor(QPalette::WindowText, available ? normal : kGrey);
    label_->setPalette(pal);
    if (!baseName_.isEmpty())
        setPictureName(available ? baseName_ : greyName(baseName_));
}

void PanelButton::press(bool down)
{
    if (down == down_)
        return;
    down_ = down;
    // Pressed: label and picture move 3 pixels right and 2 down, and back on release.
    const int dy = down ? 2 : -2;
    const int dx = down ? 3 : -3;
    label_->move(label_->x() + dx, label_->y() + dy);
    picture_->move(picture_->x() + dx, picture_->y() + dy);
    QPalette pal = label_->palette();
    if (down)
        pal.setColor(QPalette::WindowText, Qt::yellow);
    label_->setPalette(pal);
    if (!down) {
        paintAvailable(available_);
        // The top-row links whiten on every release.
        if (link_) {
            pal.setColor(QPalette::WindowText, Qt::white);
            label_->setPalette(pal);
        }
    }
}

bool PanelButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == label_ || watched == picture_) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            QMouseEvent forwarded(me->type(), mapFromGlobal(me->globalPosition()), me->globalPosition(),
                                  me->button(), me->buttons(), me->modifiers());
            if (event->type() == QEvent::MouseButtonPress)
                mousePressEvent(&forwarded);
            else
                mouseReleaseEvent(&forwarded);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void PanelButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        press(false);
    QFrame::changeEvent(event);
}

void PanelButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        press(true);
}

void PanelButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasDown = down_;
    press(false);
    if (wasDown && isEnabled() && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PanelButton::click()
{
    if (!isEnabled())
        return;
    press(true);
    press(false);
    emit clicked();
}

void PanelButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Space) {
        if (!event->isAutoRepeat() && isEnabled())
            press(true);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PanelButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && down_) {
        press(false);
        if (isEnabled())
            emit clicked();
        return;
    }
    QFrame::keyReleaseEvent(event);
}

void PanelButton::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    update();
}

void PanelButton::focusOutEvent(QFocusEvent *event)
{
    // Space held while the focus leaves: no click.
    press(false);
    QFrame::focusOutEvent(event);
    update();
}

void PanelButton::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus mark: a dotted frame just inside the panel, in the label's colour.
    QPainter p(this);
    QPen pen(link_ ? QColor(0, 0, 128) : QColor(Qt::white), 1, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

TCustomBitBtn::TCustomBitBtn(TcontainerFrame *frame, QWidget *parent)
    : QPushButton(parent), frame_(frame)
{
    setCursor(Qt::PointingHandCursor);
    setIconSize(QSize(90, 40));
    // Space, Enter and assistive technology click it without a mouse release.
    connect(this, &QPushButton::clicked, this, [this] {
        if (!byMouse_)
            frame_->HandleClickMessage(this);
    });
}

bool TCustomBitBtn::event(QEvent *event)
{
    // A picture-only button: assistive technology names it by the device it stands for.
    if (event->type() == QEvent::ToolTipChange)
        setAccessibleName(toolTip());
    return QPushButton::event(event);
}

void TCustomBitBtn::setGlyphName(const QString &name)
{
    glyph_ = name;
    setIcon(QIcon(picture(name)));
}

void TCustomBitBtn::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        frame_->HandleClickMessage(this);
    // The click this release makes has been handed over already.
    byMouse_ = true;
    QPushButton::mouseReleaseEvent(event);
    byMouse_ = false;
}

// Enter presses it as Space does (a push button outside a dialog ignores Enter).
void TCustomBitBtn::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier
        && !event->isAutoRepeat()) {
        if (isEnabled())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

StatusAnimation::StatusAnimation(QWidget *parent) : QLabel(parent), timer_(new QTimer(this))
{
    timer_->setInterval(150);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = frame_ >= to_ ? from_ : frame_ + 1;
        update();
    });
}

namespace {

void tellAnimated(StatusAnimation *animation)
{
    QAccessible::State changed;
    changed.animated = true;
    QAccessibleStateChangeEvent event(animation, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void StatusAnimation::play(int fromFrame, int toFrame)
{
    from_ = fromFrame;
    to_ = toFrame;
    frame_ = fromFrame;
    const bool wasPlaying = timer_->isActive();
    timer_->start();
    if (!wasPlaying)
        tellAnimated(this);
    show();
    update();
}

void StatusAnimation::stop()
{
    const bool wasPlaying = timer_->isActive();
    timer_->stop();
    if (wasPlaying)
        tellAnimated(this);
    update();
}

bool StatusAnimation::isPlaying() const
{
    return timer_->isActive();
}

void StatusAnimation::paintEvent(QPaintEvent *)
{
    // A computer with a magnifier sweeping across it, one position per frame.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(6, 8, 30, 22);
    p.setBrush(QColor(0, 128, 128));
    p.drawRect(9, 11, 24, 16);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(12, 32, 18, 4);
    const int x = 4 + (frame_ - 1) * 4;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawEllipse(QPoint(x + 6, 18), 6, 6);
    p.drawLine(x + 10, 22, x + 15, 27);
}
