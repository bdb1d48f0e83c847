#include "debugcapture.h"
#include "formhelpers.h"
#include "mainwindow.h"
#include "modalboxcatcher.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace {
const char *const resultNames[]
        = {"personResult1", "personResult2", "personResult3", "personResult4",
           "carResult1",    "carResult2",    "carResult3",    "carResult4",
           "boatResult1",   "boatResult2",   "boatResult3",   "boatResult4"};
const char *const inputNames[]
        = {"hFOVLineText", "hResLineText", "personX", "personY", "carX", "carY", "boatX", "boatY"};
} // namespace

// The Distance tab as a person uses it: typing into the fields, clicking
// "Calulate" and reading the twelve labels and the "Info" box.
class DistancePageTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startState();
    void calculates_data();
    void calculates();
    void reportsTheFirstBadInput_data();
    void reportsTheFirstBadInput();
    void debugLinesOncePerClick();
    void switchingTabsKeepsEverything();
    void fixedWidgetSizes();
    void tabFocusChain();

private:
    template <typename T>
    T *field(const char *name) const
    {
        return formWidget<T>(m_window.get(), name);
    }
    QString results() const; // all twelve, space-separated
    QVector<CaughtBox> clickCalculate() const;

    std::unique_ptr<DebugCapture> m_debug;
    std::unique_ptr<MainWindow> m_window;
};

void DistancePageTest::init()
{
    m_debug = std::make_unique<DebugCapture>();
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    field<QTabWidget>("tabWidget")->setCurrentIndex(1);
}

void DistancePageTest::cleanup()
{
    m_window.reset();
    m_debug.reset();
}

QString DistancePageTest::results() const
{
    QStringList texts;
    for (const char *name : resultNames)
        texts << field<QLabel>(name)->text();
    return texts.join(QLatin1Char(' '));
}

QVector<CaughtBox> DistancePageTest::clickCalculate() const
{
    return clickAndCatchBoxes(field<QPushButton>("caluPushButton1"));
}

void DistancePageTest::startState()
{
    QCOMPARE(results(), QStringLiteral("           ")); // twelve empty texts
    QStringList inputs;
    for (const char *name : inputNames)
        inputs << field<QLineEdit>(name)->text();
    QCOMPARE(inputs, QStringList({"", "", "1.8", "0.5", "4", "1.4", "10", "5"}));
    QVERIFY(field<QLineEdit>("hFOVLineText")->placeholderText().isEmpty());

    // The legend agrees with the columns: identify is the 250-pixel level.
    QCOMPARE(field<QLabel>("label_39")->text(),
             QStringLiteral("Detect:25ppm\nObserve:63ppm\nRecognize:125ppm\nIdentify:250ppm"));
    QStringList captions;
    for (const char *name : {"label_40", "label_65", "label_31", "label_32", "label_41"})
        captions << field<QLabel>(name)->text();
    QCOMPARE(captions, QStringList({"Person:", "Identify:", "Recognize:", "Observe:", "Detect:"}));
    QCOMPARE(field<QPushButton>("caluPushButton1")->text(), QStringLiteral("Calulate"));
    QVERIFY(!field<QPushButton>("caluPushButton1")->font().bold());
}

void DistancePageTest::calculates_data()
{
    QTest::addColumn<QString>("fov");
    QTest::addColumn<QString>("resolution");
    QTest::addColumn<QString>("personX");
    QTest::addColumn<QString>("shown");

    // clang-format off
    // The worked examples live in the arithmetic's own test; these prove the
    // page hands over the right fields and fills the right labels.
    QTest::addRow("60°, 1920 px") << "60" << "1920" << "1.8"
                                  << "3.33m 6.65m 13.30m 33.26m 9.31m 18.62m 37.25m 93.12m "
                                     "33.26m 66.51m 133.02m 332.55m";
    QTest::addRow("person X smaller than Y") << "60" << "1920" << "0.3"
                                             << "2.00m 3.99m 7.98m 19.95m 9.31m 18.62m 37.25m "
                                                "93.12m 33.26m 66.51m 133.02m 332.55m";
    // clang-format on
}

void DistancePageTest::calculates()
{
    QFETCH(QString, fov);
    QFETCH(QString, resolution);
    QFETCH(QString, personX);

    QTest::keyClicks(field<QLineEdit>("hFOVLineText"), fov);
    QTest::keyClicks(field<QLineEdit>("hResLineText"), resolution);
    retype(field<QLineEdit>("personX"), personX);
    const auto boxes = clickCalculate();

    QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
    QTEST(results(), "shown");
}

void DistancePageTest::reportsTheFirstBadInput_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::addRow("field of view") << "hFOVLineText" << "" << "FOV is error";
    QTest::addRow("resolution") << "hResLineText" << "" << "Resolution is error";
    QTest::addRow("person X") << "personX" << "1.8m" << "Person param1.8m is error";
    QTest::addRow("person Y") << "personY" << "abc" << "Person paramabc is error";
    QTest::addRow("car X") << "carX" << "" << "Car param is error";
    QTest::addRow("car Y") << "carY" << "-" << "Car param- is error";
    QTest::addRow("boat X") << "boatX" << "1 0" << "Boat param1 0 is error";
    QTest::addRow("boat Y") << "boatY" << "5,0" << "Boat param5,0 is error";
    // clang-format on
}

void DistancePageTest::reportsTheFirstBadInput()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, text);

    // A fresh window has no field of view: that comes first.
    auto boxes = clickCalculate();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("FOV is error"));

    QTest::keyClicks(field<QLineEdit>("hFOVLineText"), QStringLiteral("60"));
    QTest::keyClicks(field<QLineEdit>("hResLineText"), QStringLiteral("1920"));
    QVERIFY(clickCalculate().isEmpty());
    const QString previous = results();

    // Spoil the field, and every field after it, which must not be reached.
    bool after = false;
    for (const char *name : inputNames) {
        if (fieldName == QLatin1String(name)) {
            retype(field<QLineEdit>(name), text);
            after = true;
        } else if (after) {
            retype(field<QLineEdit>(name), QStringLiteral("later"));
        }
    }
    m_debug->takeLines();
    boxes = clickCalculate();

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Info"));
    QTEST(boxes[0].text, "message");
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(results(), previous);
    QCOMPARE(m_debug->takeLines(), QStringList());
}

void DistancePageTest::debugLinesOncePerClick()
{
    QTest::keyClicks(field<QLineEdit>("hFOVLineText"), QStringLiteral("60"));
    QTest::keyClicks(field<QLineEdit>("hResLineText"), QStringLiteral("1920"));
    m_debug->takeLines();

    QVERIFY(clickCalculate().isEmpty());

    QCOMPARE(m_debug->takeLines(),
             QStringList(
                     {"personDistance1  3.32554", "carDistance1  9.3115", "boatResult4  33.2554"}));
}

void DistancePageTest::switchingTabsKeepsEverything()
{
    QTest::keyClicks(field<QLineEdit>("hFOVLineText"), QStringLiteral("90"));
    QTest::keyClicks(field<QLineEdit>("hResLineText"), QStringLiteral("3840"));
    QVERIFY(clickCalculate().isEmpty());
    const QString shown = results();

    auto *tabs = field<QTabWidget>("tabWidget");
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(1);

    QCOMPARE(results(), shown);
    QCOMPARE(field<QLineEdit>("hFOVLineText")->text(), QStringLiteral("90"));
}

void DistancePageTest::fixedWidgetSizes()
{
    for (const char *name : inputNames)
        QCOMPARE(field<QWidget>(name)->size(), QSize(260, 60));
    QVERIFY(clickCalculate().size() == 1); // long texts must not widen the labels
    for (const char *name : resultNames)
        QCOMPARE(field<QWidget>(name)->width(), 120);
    for (const char *name :
         {"label_65", "label_31", "label_32", "label_41", "label_54", "label_52", "label_50",
          "label_48", "label_64", "label_61", "label_59", "label_57"})
        QCOMPARE(field<QWidget>(name)->width(), 130);

    // Minimum above maximum, kept as set.
    QCOMPARE(field<QWidget>("label_38")->minimumSize(), QSize(300, 80));
    QCOMPARE(field<QWidget>("label_38")->maximumSize(), QSize(250, 80));
    QCOMPARE(field<QWidget>("label_37")->minimumSize(), QSize(80, 80));
    QCOMPARE(field<QWidget>("label_37")->maximumSize(), QSize(8, QWIDGETSIZE_MAX));
}

void DistancePageTest::tabFocusChain()
{
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    field<QWidget>("boatY")->setFocus();

    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }

    QCOMPARE(visited,
             QStringList({"boatY", "hResLineText", "boatX", "personY", "carY", "personX",
                          "hFOVLineText", "carX", "caluPushButton1"}));
}

QTEST_MAIN(DistancePageTest)
#include "tst_distancepage.moc"
