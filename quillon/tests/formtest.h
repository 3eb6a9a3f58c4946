#pragma once
// The fixture of the form tests: a host window, a scripted TA on a
// pseudo-terminal with the host's port open on it, the library (its build with
// the classes visible) loaded and its exports resolved by name, and scripted
// message boxes.

#include "faketa.h"
#include "fresh_root.h"
#include "ptypair.h"
#include "qtprint.h"
#include "modules.h"
#include "quillonexports.h"
#include "serialport.h"
#include "uiservices.h"
#include "windowmessages.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

// Records the window messages the library sends to the host.
class HostWindow : public QWidget {
public:
    QList<quint32> messages;
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == WindowMessageEvent::eventType()) {
            messages.append(static_cast<WindowMessageEvent *>(e)->message());
            return true;
        }
        return QWidget::event(e);
    }
};

struct QuillonExports {
    InitializeQuillonFn initialize = nullptr;
    ShowQuillonFormFn show = nullptr;
    SetLanguageFn language = nullptr;
    SetTopLeftPointFn topLeft = nullptr;
    VoidFn destroy = nullptr;
    IntFn helpId = nullptr;
    EuropeanSwitchStatusFn europeanStatus = nullptr;
    SetHelpIdOverrideFn setOverride = nullptr;
    IntFn getOverride = nullptr;
    TriggerAvailFn triggerAvail = nullptr;
    TModemProgressForm **progressForm = nullptr;

    bool resolve(HMODULE m)
    {
        initialize = reinterpret_cast<InitializeQuillonFn>(GetProcAddress(m, "_InitializeQuillon"));
        show = reinterpret_cast<ShowQuillonFormFn>(GetProcAddress(m, "_ShowQuillonForm"));
        language = reinterpret_cast<SetLanguageFn>(GetProcAddress(m, "_SetQuillonLanguage"));
        topLeft = reinterpret_cast<SetTopLeftPointFn>(GetProcAddress(m, "_SetQuillonTopLeftPoint"));
        destroy = reinterpret_cast<VoidFn>(GetProcAddress(m, "_DestroyQuillonDll"));
        helpId = reinterpret_cast<IntFn>(GetProcAddress(m, "_GetISDNTAHelpID"));
        europeanStatus = reinterpret_cast<EuropeanSwitchStatusFn>(GetProcAddress(m, "_EuropeanSwitchStatus"));
        setOverride = reinterpret_cast<SetHelpIdOverrideFn>(GetProcAddress(m, "_SetQuillonHelpIdOverride"));
        getOverride = reinterpret_cast<IntFn>(GetProcAddress(m, "_GetQuillonHelpIdOverride"));
        triggerAvail = reinterpret_cast<TriggerAvailFn>(GetProcAddress(m, "_QuillonComPort1TriggerAvail"));
        progressForm = reinterpret_cast<TModemProgressForm **>(GetProcAddress(m, "_ModemProgressForm"));
        return initialize && show && language && topLeft && destroy && helpId && europeanStatus &&
               setOverride && getOverride && triggerAvail && progressForm;
    }
};

constexpr quint32 kNotifyMessage = WM_APP + 0x190;

class QuillonFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ta.valid());
        ta.loadStandardReplies(2);
        setUiServices(&ui);
        host = std::make_unique<HostWindow>();
        host->resize(600, 400);
        host->show();
        port = ta.openPort(7, host.get());
        module = LoadLibrary(QStringLiteral(QUILLON_TESTABLE_LIBRARY));
        ASSERT_NE(module, nullptr) << lastModuleError().toStdString();
        ASSERT_TRUE(q.resolve(module));
        // As the host does: every data-available event goes to the library.
        QObject::connect(port, &TApdComPort::triggerAvail, host.get(), [this](int count) {
            q.triggerAvail(port, static_cast<uint16_t>(count));
            port->flushInBuffer();
        });
    }

    void TearDown() override
    {
        if (q.destroy)
            q.destroy();
        host.reset();
        setUiServices(nullptr);
        if (module)
            FreeLibrary(module);
    }

    void initialize(const char *variant = "Domestic")
    {
        q.initialize(host.get(), port, "12345", variant, host.get(), kNotifyMessage);
        q.topLeft(0, 0);
        q.language(0x409, 0x409);
    }

    QWidget *form() const { return host->findChild<QWidget *>(QStringLiteral("QuillonForm")); }
    template <typename T> T *widget(const char *name) const
    {
        return host->findChild<T *>(QLatin1String(name));
    }
    QWidget *activePage() const;

    // Shows the form in APPLICATION mode and waits for the read-back to end.
    bool showApplication();
    // Waits until the TA has received `count` lines in all.
    bool waitReceived(int count, int timeoutMs = 8000)
    {
        return waitFor([&] { return ta.received.size() >= count; }, timeoutMs);
    }
    bool progressVisible() const;
    // Waits until the read-back chain ran to its end (ati4 answered, progress hidden).
    bool waitChainEnd(int timeoutMs = 8000);

    FreshRoot root;
    FakeTa ta;
    ScriptedUiServices ui;
    std::unique_ptr<HostWindow> host;
    TApdComPort *port = nullptr;
    HMODULE module = nullptr;
    QuillonExports q;
};

#include "progressform.h"
#include "pagecontrol.h"

inline QWidget *QuillonFormTest::activePage() const
{
    auto *pc = widget<TPageControl>("PageControl1");
    return pc ? pc->activePage() : nullptr;
}

inline bool QuillonFormTest::progressVisible() const
{
    return *q.progressForm && (*q.progressForm)->isVisible();
}

inline bool QuillonFormTest::waitChainEnd(int timeoutMs)
{
    return waitFor([&] {
        return !ta.received.isEmpty() && ta.received.contains(QStringLiteral("ati4\r")) && !progressVisible();
    }, timeoutMs);
}

inline bool QuillonFormTest::showApplication()
{
    q.show(1, 1, "APPLICATION", "US/Canada External");
    return waitChainEnd();
}
