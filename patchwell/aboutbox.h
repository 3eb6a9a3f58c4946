#pragma once
// The About box: an animation, the program's version, the copyright and two
// links to the web site.

#include <QDialog>
#include <QLabel>

class CHyperLinkStatic : public QLabel {
public:
    CHyperLinkStatic(const QString &text, const QString &url, bool underline, QWidget *parent);
    void setLinkText(const QString &text);
    bool visited() const { return visited_; }
    // Opens the address as a click does; false (after the message) when nothing could.
    bool open();
protected:
    void mousePressEvent(QMouseEvent *e) override;
private:
    void restyle();
    QString url_;
    bool underline_;
    bool visited_ = false;
};

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(const QString &installDirectory, QWidget *parent = nullptr);
    CHyperLinkStatic *textLink = nullptr;     // 1043
    CHyperLinkStatic *pictureLink = nullptr;  // 1042
    QLabel *versionLine = nullptr;            // 1050
    QLabel *copyrightLine = nullptr;          // 1051
};

// "Unable to open hyperlink:\n\n" and the text of an error code.
QString HyperlinkErrorText(int code);
