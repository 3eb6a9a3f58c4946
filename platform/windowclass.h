#pragma once
// Window classes seen across processes: a program that registers a class is
// found by the next program asking for it, and messages sent to the class reach
// the registering program's window as window messages. One class per name and
// TALLYLINE_ROOT; a program that died frees its class.

#include <QObject>
#include <QPointer>
#include <memory>

class NamedMutex;
class QLocalServer;

class WindowClassRegistration : public QObject {
    Q_OBJECT
public:
    explicit WindowClassRegistration(QObject *parent = nullptr);
    ~WindowClassRegistration() override;
    // False when another live program has the class.
    bool registerClass(const QString &className);
    void unregisterClass();
    bool isRegistered() const { return server_ != nullptr; }
    // Messages for the class go to this window (as WindowMessageEvent, sent).
    void setWindow(QObject *window) { window_ = window; }
private:
    void readClient();
    std::unique_ptr<NamedMutex> lock_;
    QLocalServer *server_ = nullptr;
    QPointer<QObject> window_;
    QString className_;
};

// True when a live program has registered the class.
bool FindWindowClass(const QString &className);
// Posts a message to the window of the class; false when no program of the
// class took it within timeoutMs (unscaled).
bool SendMessageToClass(const QString &className, quint32 msg, qintptr wParam, qintptr lParam,
                        int timeoutMs = 3000);
