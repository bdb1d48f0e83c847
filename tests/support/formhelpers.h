#pragma once

#include <QLineEdit>
#include <QTest>
#include <QWidget>

// The form's widgets by object name, the way the tests meet them. A missing
// name is a broken form, not a failed expectation, so it stops the run.
template <typename T>
T *formWidget(const QWidget *window, const char *objectName)
{
    auto *widget = window->findChild<T *>(QString::fromLatin1(objectName));
    if (!widget)
        qFatal("the form has no %s named %s", T::staticMetaObject.className(), objectName);
    return widget;
}

// Replaces a field's text by selecting it all and typing over it.
inline void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}
