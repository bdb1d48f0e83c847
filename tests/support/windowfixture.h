#pragma once

#include "debugcapture.h"
#include "formhelpers.h"
#include "mainwindow.h"
#include "modalboxcatcher.h"

#include <QLocale>
#include <QObject>
#include <QStringList>

#include <memory>

// A fresh window for every test, and the moves a person makes in it: typing
// into a field, choosing a preset, clicking a button and reading labels.
// Tests of a page derive from it; its init() and cleanup() run around each
// of their test functions.
class WindowFixture : public QObject
{
    Q_OBJECT

protected:
    // The validators take the default locale when the window builds them,
    // so a locale is chosen by opening a new window under it.
    void openWindow(const QLocale &locale = QLocale::c());
    void showTab(int index) const;

    template <typename T>
    T *field(const char *name) const
    {
        return formWidget<T>(window(), name);
    }
    void type(const char *name, const QString &text) const;
    void choosePreset(const QString &text) const;
    // Every modal box that came up, each closed; none is left open.
    QVector<CaughtBox> click(const char *button) const;
    QStringList labelTexts(const QStringList &names) const;
    // The focus path that Tab takes from the named widget.
    QStringList tabChain(const char *start, int steps) const;

    // The Distance tab's inputs and results, in the order the slot takes them.
    static QStringList distanceInputs();
    static QStringList distanceResults();
    // Sets the named fields in turn, as a program would, without the
    // keyboard and so without the validators.
    void setFields(const QStringList &names, const QStringList &texts) const;

    QWidget *window() const;
    QStringList takeDebugLines() { return m_debug->takeLines(); }

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<DebugCapture> m_debug;
    std::unique_ptr<MainWindow> m_window;
};
