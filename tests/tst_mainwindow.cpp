#include "mainwindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// What a screen reader announces, which no picture of the window shows.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldAndResultIsNamed();
};

void MainWindowTest::everyFieldAndResultIsNamed()
{
    MainWindow window;
    QStringList announced;
    const auto announce = [&announced](QWidget *widget, QAccessible::Text text) {
        const QString said = QAccessible::queryAccessibleInterface(widget)->text(text);
        QVERIFY2(!said.isEmpty(), qPrintable(widget->objectName()));
        announced << said;
    };
    // Fields are named for what they take; the preset list reads out its
    // value, and a description says what it is.
    for (QLineEdit *edit : window.findChildren<QLineEdit *>())
        announce(edit, QAccessible::Name);
    announce(window.findChild<QComboBox *>(), QAccessible::Description);
    // A result label reads out its value, and its description says what it is.
    for (QLabel *label : window.findChildren<QLabel *>()) {
        const QString name = label->objectName();
        if (!name.startsWith(QLatin1String("result")) && !name.contains(QLatin1String("Result")))
            continue;
        label->setText(QStringLiteral("12.34m"));
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());
        announce(label, QAccessible::Description);
    }

    QCOMPARE(announced.size(), 4 + 8 + 1 + 3 + 12); // FOV and Distance fields, presets, results
    announced.removeDuplicates();
    QCOMPARE(announced.size(), 28); // no two alike
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
