#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

QStringList debugLines;

void collectDebugLines(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

} // namespace

void WindowFixture::init()
{
    qInstallMessageHandler(collectDebugLines);
    openWindow();
}

void WindowFixture::cleanup()
{
    m_window.reset();
    qInstallMessageHandler(nullptr);
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
    debugLines.clear();
}

void WindowFixture::showTab(int index) const
{
    field<QTabWidget>("tabWidget")->setCurrentIndex(index);
}

void WindowFixture::type(const char *name, const QString &text) const
{
    auto *edit = field<QLineEdit>(name);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void WindowFixture::setFields(const QStringList &names, const QStringList &texts) const
{
    for (int index = 0; index < texts.size(); ++index)
        field<QLineEdit>(qPrintable(names.at(index)))->setText(texts.at(index));
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
    QVector<CaughtBox> boxes;
    // The box's own event loop runs this timer while the click is blocked.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&boxes] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box)
            boxes.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        else
            boxes.append({modal->windowTitle(), modal->metaObject()->className(), {}, {}});
        modal->close();
    });
    poll.start();
    QTest::mouseClick(field<QPushButton>(button), Qt::LeftButton);
    return boxes;
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

QStringList WindowFixture::takeDebugLines()
{
    QStringList lines;
    lines.swap(debugLines);
    return lines;
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
