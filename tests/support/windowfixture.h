#pragma once

#include "mainwindow.h"

#include <QLocale>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QVector>

#include <memory>

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

// A modal box that came up during a click, as the user would have read it.
struct CaughtBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// A fresh window for every test, and the moves a person makes in it: typing
// into a field, choosing a preset, clicking a button and reading labels.
// Tests of the window derive from it; its init() and cleanup() run around
// each of their test functions, and it collects the debug lines meanwhile.
class WindowFixture : public QObject
{
    Q_OBJECT

protected:
    // The validators take the default locale when the window builds them,
    // so a locale is chosen by opening a new window under it.
    void openWindow(const QLocale &locale = QLocale::c());
    void showTab(int index) const;
    QWidget *window() const { return m_window.get(); }

    template <typename T>
    T *field(const char *name) const
    {
        return formWidget<T>(window(), name);
    }
    // Selects the field's text and types over it.
    void type(const char *name, const QString &text) const;
    // Sets the named fields in turn, without the keyboard and its validators.
    void setFields(const QStringList &names, const QStringList &texts) const;
    void choosePreset(const QString &text) const;
    // Every modal box that came up, each closed, so none is left open.
    QVector<CaughtBox> click(const char *button) const;
    QStringList labelTexts(const QStringList &names) const;
    // The focus path that Tab takes from the named widget.
    QStringList tabChain(const char *start, int steps) const;
    QStringList takeDebugLines();

    // The Distance tab's inputs and results, in the order the slot takes them.
    static QStringList distanceInputs();
    static QStringList distanceResults();

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<MainWindow> m_window;
};
