#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

void WindowFixture::init()
{
    m_debug = std::make_unique<DebugCapture>();
    openWindow();
}

void WindowFixture::cleanup()
{
    m_window.reset();
    m_debug.reset();
    QLocale::setDefault(QLocale::c());
}

void WindowFixture::openWindow(const QLocale &locale)
{
    m_window.reset();
    QLocale::setDefault(locale);
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    // Active, not just exposed: focus and the focus frame depend on it.
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_debug->takeLines();
}

QWidget *WindowFixture::window() const
{
    return m_window.get();
}

void WindowFixture::showTab(int index) const
{
    field<QTabWidget>("tabWidget")->setCurrentIndex(index);
}

void WindowFixture::type(const char *name, const QString &text) const
{
    retype(field<QLineEdit>(name), text);
}

void WindowFixture::choosePreset(const QString &text) const
{
    auto *presets = field<QComboBox>("resolutionComboBox");
    const int index = presets->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    presets->setCurrentIndex(index);
}

QVector<CaughtBox> WindowFixture::click(const char *button) const
{
    return clickAndCatchBoxes(field<QPushButton>(button));
}

QStringList WindowFixture::labelTexts(const QStringList &names) const
{
    QStringList texts;
    for (const QString &name : names)
        texts << field<QLabel>(qPrintable(name))->text();
    return texts;
}

QStringList WindowFixture::tabChain(const char *start, int steps) const
{
    field<QWidget>(start)->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < steps; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    return visited;
}

QStringList WindowFixture::distanceInputs()
{
    return {"hFOVLineText", "hResLineText", "personX", "personY", "carX", "carY", "boatX", "boatY"};
}

QStringList WindowFixture::distanceResults()
{
    QStringList names;
    for (const char *target : {"person", "car", "boat"}) {
        for (int level = 1; level <= 4; ++level)
            names << QStringLiteral("%1Result%2").arg(QLatin1String(target)).arg(level);
    }
    return names;
}

void WindowFixture::setFields(const QStringList &names, const QStringList &texts) const
{
    for (int index = 0; index < texts.size(); ++index)
        field<QLineEdit>(qPrintable(names.at(index)))->setText(texts.at(index));
}
