#include "windowmessages.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class Window : public QObject {
public:
    struct Got { quint32 msg; qintptr w, l; };
    QList<Got> got;
    bool event(QEvent *e) override
    {
        if (e->type() != WindowMessageEvent::eventType())
            return QObject::event(e);
        auto *m = static_cast<WindowMessageEvent *>(e);
        got.append({m->message(), m->wParam(), m->lParam()});
        m->result = m->wParam() + m->lParam();
        return true;
    }
};

} // namespace

TEST(WindowMessages, PostedMessagesArriveLaterInOrder)
{
    Window w;
    EXPECT_TRUE(PostMessage(&w, WM_APP + 0x190, 1, 2));
    EXPECT_TRUE(PostMessage(&w, WM_APP + 0x191, 3, 4));
    EXPECT_TRUE(w.got.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(w.got.size(), 2);
    EXPECT_EQ(w.got[0].msg, 33168u);
    EXPECT_EQ(w.got[1].msg, 33169u);
    EXPECT_EQ(w.got[1].l, 4);
    EXPECT_FALSE(PostMessage(nullptr, 1, 0, 0));
}

TEST(WindowMessages, SentMessagesAreHandledAtOnceAndReturnTheResult)
{
    Window w;
    EXPECT_EQ(SendMessage(&w, 0x464, 40, 2), 42);
    ASSERT_EQ(w.got.size(), 1);
    EXPECT_EQ(SendMessage(nullptr, 0x464, 1, 1), 0);

    // From another thread the window still handles it on its own thread.
    qintptr fromThread = 0;
    QThread *t = QThread::create([&] { fromThread = SendMessage(&w, 0x464, 5, 6); });
    t->start();
    while (!t->wait(1))
        QCoreApplication::processEvents();
    delete t;
    EXPECT_EQ(fromThread, 11);
}
