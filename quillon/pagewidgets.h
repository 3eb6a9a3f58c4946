#pragma once
// Small helpers that create the form's controls with their design names.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStringList>

namespace quillon {

template <typename W>
W *named(W *w, const char *name, int left, int top, int width, int height)
{
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, width, height);
    return w;
}

inline QLabel *label(QWidget *p, const char *name, const char *text, int l, int t, int w, int h = 17)
{
    return named(new QLabel(QString::fromUtf8(text), p), name, l, t, w, h);
}

inline QPushButton *button(QWidget *p, const char *name, const char *text, int l, int t, int w, int h = 25)
{
    return named(new QPushButton(QString::fromUtf8(text), p), name, l, t, w, h);
}

inline QCheckBox *checkBox(QWidget *p, const char *name, const char *text, int l, int t, int w, int h = 17)
{
    return named(new QCheckBox(QString::fromUtf8(text), p), name, l, t, w, h);
}

inline QRadioButton *radio(QWidget *p, const char *name, const char *text, int l, int t, int w, int h = 17)
{
    return named(new QRadioButton(QString::fromUtf8(text), p), name, l, t, w, h);
}

inline QGroupBox *groupBox(QWidget *p, const char *name, const char *text, int l, int t, int w, int h)
{
    return named(new QGroupBox(QString::fromUtf8(text), p), name, l, t, w, h);
}

inline QComboBox *combo(QWidget *p, const char *name, std::initializer_list<const char *> items,
                        int l, int t, int w, int h = 21)
{
    auto *c = named(new QComboBox(p), name, l, t, w, h);
    for (const char *item : items)
        c->addItem(QString::fromUtf8(item));
    return c;
}

// A filled rectangle of the wizard's animations; the program shows, hides and recolours it.
inline QFrame *shape(QWidget *p, const char *name, const QColor &color, int l, int t, int w, int h)
{
    auto *f = named(new QFrame(p), name, l, t, w, h);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, color);
    f->setPalette(pal);
    return f;
}

inline void setShapeColor(QFrame *f, const QColor &color)
{
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, color);
    f->setPalette(pal);
}

// Telephone numbers, SPIDs, area codes and prefixes: digits only, up to maxLength.
inline QLineEdit *digitsEdit(QWidget *p, const char *name, int maxLength, int l, int t, int w, int h = 21)
{
    auto *e = named(new QLineEdit(p), name, l, t, w, h);
    e->setMaxLength(maxLength);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    return e;
}

// A TEI spin edit: only its buttons change it, typed keys are ignored. With
// zeroOnKey a typed key sets the value to 0 instead. The arrow and page keys
// are the buttons of a keyboard user and step it as they do.
class TeiSpinEdit : public QSpinBox {
public:
    TeiSpinEdit(QWidget *parent, bool zeroOnKey) : QSpinBox(parent), zeroOnKey_(zeroOnKey) { setRange(0, 63); }
protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Tab: case Qt::Key_Backtab:
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
            QSpinBox::keyPressEvent(e);
            return;
        default:
            break;
        }
        if (zeroOnKey_)
            setValue(0);
        e->accept();
    }
private:
    bool zeroOnKey_;
};

// An edit or spin edit that is white while it takes input and silver while it does not.
inline void setFieldEnabled(QWidget *w, bool on)
{
    w->setEnabled(on);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, on ? QColor(Qt::white) : QColor(0xc0, 0xc0, 0xc0));
    w->setPalette(pal);
}

} // namespace quillon
