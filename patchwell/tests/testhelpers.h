#pragma once
// Small hands of the tests: typing into a field as a user does, and a desktop
// viewer that writes down the files it is asked to open.

#include <QFile>
#include <QLineEdit>
#include <QString>
#include <QTest>

// Replaces the field's text by typing, as a user does.
inline void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Makes the script at scriptPath the desktop's opener for this process: each
// path it is given is appended to recordPath, one per line.
inline bool useRecordingViewer(const QString &scriptPath, const QString &recordPath)
{
    QFile script(scriptPath);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(recordPath).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TALLYLINE_OPENER", QFile::encodeName(scriptPath));
    return true;
}
