#pragma once
// Small helpers for driving the library forms by their widgets' names.

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

template <class T = QWidget>
T *child(const QWidget *root, const char *name)
{
    return root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
}

// The form a library placed in the host's sheet.
inline QWidget *formIn(const QWidget *sheet, const char *formName) { return child<QWidget>(sheet, formName); }

inline QString labelText(const QWidget *root, const char *name)
{
    const QLabel *label = child<QLabel>(root, name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Clicks an enabled button; fails the test when it is missing or disabled.
inline void clickButton(const QWidget *root, const char *name)
{
    QPushButton *b = child<QPushButton>(root, name);
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isEnabled()) << name << " is disabled";
    QTest::mouseClick(b, Qt::LeftButton);
}

// Waits (processing events) for a condition, real milliseconds.
template <class F>
bool eventually(F cond, int ms = 5000)
{
    return QTest::qWaitFor(cond, ms);
}

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']'; }
