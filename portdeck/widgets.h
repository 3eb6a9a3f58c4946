#pragma once
// The window's own controls: the navy button panels of the left side, the
// link panels of the top row, the product buttons of the device list and the
// find-computer animation.

#include <QFrame>
#include <QLabel>
#include <QPushButton>

class TcontainerFrame;
class QTimer;

// A navy panel with a white bold label and a small picture; label and picture
// forward their clicks to the panel.
class PanelButton : public QFrame {
    Q_OBJECT
public:
    PanelButton(const QString &objectName, const QString &caption, const QString &picture,
                QWidget *parent, bool linkStyle = false);
    QLabel *label() const { return label_; }
    QLabel *picture() const { return picture_; }
    void setCaption(const QString &text);
    QString caption() const { return label_->text(); }
    // White label with the normal picture, or grey label with its "G" picture.
    void paintAvailable(bool available);
    bool paintedAvailable() const { return available_; }
    QString pictureName() const { return pictureName_; }
    void setPictureName(const QString &name);
    // As a click: pressed look, released, clicked (keyboard and assistive technology).
    void click();
signals:
    void clicked();
protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Space and Enter press it when it has the focus.
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
private:
    void press(bool down);
    QLabel *label_;
    QLabel *picture_;
    QString baseName_;
    QString pictureName_;
    bool available_ = true;
    bool link_ = false;
    bool down_ = false;
};

// Product button of the device list; a left-button release hands the button
// to the main window before the normal click handling.
class TCustomBitBtn : public QPushButton {
    Q_OBJECT
public:
    TCustomBitBtn(TcontainerFrame *frame, QWidget *parent);
    QString hint() const { return toolTip(); }
    QString glyphName() const { return glyph_; }
    void setGlyphName(const QString &name);
protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
private:
    TcontainerFrame *frame_;
    QString glyph_;
    bool byMouse_ = false;
};

// The find-computer animation: frames 1 to 8, repeated while playing.
class StatusAnimation : public QLabel {
    Q_OBJECT
public:
    explicit StatusAnimation(QWidget *parent);
    void play(int fromFrame, int toFrame);
    void stop();
    bool isPlaying() const;
    int frame() const { return frame_; }
protected:
    void paintEvent(QPaintEvent *event) override;
private:
    QTimer *timer_;
    int from_ = 1, to_ = 8, frame_ = 1;
};

// What assistive technology is told of the window's own controls: the panel
// buttons are buttons, and a label that is the buddy of a caption label is
// named by caption and value. Installed once per process.
void installAccessibility();
// "Serial Number:" and "HX4711" as a listener hears them: "Serial Number: HX4711".
QString captionedValue(QString caption, const QString &value);

// Pictures of the program, by resource name ("BMP_DETECT").
QPixmap picture(const QString &name);
