#include "debugcapture.h"
#include "formhelpers.h"
#include "mainwindow.h"
#include "modalboxcatcher.h"
#include "resolution.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

// The FOV tab as a person uses it: typing into the real fields, choosing
// presets, clicking "Calulate" and reading the labels and the "Info" box.
class FovPageTest : public QObject
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
    void validatorsRefuseWhileTyping_data();
    void validatorsRefuseWhileTyping();
    void decimalCommaPassesTheValidatorButNotTheParse();
    void debugLines();
    void customFieldsFollowTheSelection();
    void fixedWidgetSizes();
    void tabFocusChain();

private:
    template <typename T>
    T *field(const char *name) const
    {
        return formWidget<T>(m_window.get(), name);
    }
    void choosePreset(const QString &text) const;
    void fill(const QString &preset, const QString &x, const QString &y, const QString &focal,
              const QString &pixel) const;
    QStringList results() const;

    std::unique_ptr<DebugCapture> m_debug;
    std::unique_ptr<MainWindow> m_window;
};

void FovPageTest::init()
{
    // The validators take the default locale when the window builds them.
    QLocale::setDefault(QLocale::c());
    m_debug = std::make_unique<DebugCapture>();
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FovPageTest::cleanup()
{
    m_window.reset();
    m_debug.reset();
}

void FovPageTest::choosePreset(const QString &text) const
{
    auto *presets = field<QComboBox>("resolutionComboBox");
    const int index = presets->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    presets->setCurrentIndex(index);
}

void FovPageTest::fill(const QString &preset, const QString &x, const QString &y,
                       const QString &focal, const QString &pixel) const
{
    // Custom fields first, while "Other" shows them; the preset then decides.
    choosePreset(QStringLiteral("Other"));
    retype(field<QLineEdit>("resolutionX"), x);
    retype(field<QLineEdit>("resolutionY"), y);
    choosePreset(preset);
    retype(field<QLineEdit>("focalLineText"), focal);
    retype(field<QLineEdit>("pixelSizeLineEdit"), pixel);
}

QStringList FovPageTest::results() const
{
    return {field<QLabel>("resultH")->text(), field<QLabel>("resultV")->text(),
            field<QLabel>("resultD")->text()};
}

void FovPageTest::startState()
{
    auto *presets = field<QComboBox>("resolutionComboBox");
    const QStringList texts{"3840*2160", "2688*1520", "1920*1080", "1080*720", "640*512", "Other"};
    const QList<QPoint> values{{3840, 2160}, {2688, 1520}, {1920, 1080},
                               {1080, 720},  {640, 512},   {-1, -1}};
    QCOMPARE(presets->count(), texts.size());
    for (int i = 0; i < presets->count(); ++i) {
        QCOMPARE(presets->itemText(i), texts.at(i));
        const auto resolution = presets->itemData(i).value<Resolution>();
        QCOMPARE(QPoint(resolution.x, resolution.y), values.at(i));
    }
    QCOMPARE(presets->currentIndex(), 0);
    QVERIFY(field<QWidget>("resolutionXYWidget")->isHidden());
    QCOMPARE(results(), QStringList({"", "", ""}));
    QCOMPARE(field<QLabel>("label_7")->text(),
             QStringLiteral("IMX385:3.75um\nIMX327:2.90um\nIMX347:2.90um\nIMX464:2.90um\n"
                            "IMX334:2.00um"));
    QCOMPARE(field<QPushButton>("caluPushButton")->text(), QStringLiteral("Calulate"));
}

void FovPageTest::calculates_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("focal");
    QTest::addColumn<QString>("pixel");
    QTest::addColumn<QStringList>("shown");

    // clang-format off
    // The worked examples live in the arithmetic's own test; these prove the
    // page hands over the right fields and shows the angles.
    QTest::addRow("1920*1080, 2.9um, 4mm") << "1920*1080" << "" << "" << "4" << "2.9"
                                           << QStringList{"69.6758°", "42.7607°", "77.2185°"};
    // The hint's first sensor needs two decimals of pixel size.
    QTest::addRow("1920*1080, 3.75um, 6mm") << "1920*1080" << "" << "" << "6" << "3.75"
                                            << QStringList{"61.9275°", "37.2991°", "69.0877°"};
    QTest::addRow("Other 1081x721") << "Other" << "1081" << "721" << "4" << "2.9"
                                    << QStringList{"42.7607°", "29.2557°", "50.4434°"};
    QTest::addRow("Other 50000x50000") << "Other" << "50000" << "50000" << "4" << "2.9"
                                       << QStringList{"173.6841°", "173.6841°", "175.5317°"};
    QTest::addRow("preset ignores bad custom text") << "1920*1080" << "abc" << "" << "4" << "2.9"
                                                    << QStringList{"69.6758°", "42.7607°", "77.2185°"};
    // clang-format on
}

void FovPageTest::calculates()
{
    QFETCH(QString, preset);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, focal);
    QFETCH(QString, pixel);

    fill(preset, x, y, focal, pixel);
    const auto boxes = clickAndCatchBoxes(field<QPushButton>("caluPushButton"));

    QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
    QTEST(results(), "shown");
}

void FovPageTest::reportsTheFirstBadInput_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("focal");
    QTest::addColumn<QString>("pixel");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::addRow("empty focal and pixel") << "3840*2160" << "" << "" << "" << ""
                                           << "Focal length is error";
    QTest::addRow("empty pixel") << "3840*2160" << "" << "" << "4" << "" << "Pixel size is error";
    QTest::addRow("Other, empty x") << "Other" << "" << "" << "" << "" << "Resolution is error";
    QTest::addRow("Other, 12a") << "Other" << "12a" << "720" << "4" << "2.9"
                                << "Resolution12a is error";
    QTest::addRow("Other, y 7b") << "Other" << "1080" << "7b" << "" << "" << "Resolution7b is error";
    // clang-format on
}

void FovPageTest::reportsTheFirstBadInput()
{
    QFETCH(QString, preset);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, focal);
    QFETCH(QString, pixel);
    auto *button = field<QPushButton>("caluPushButton");

    // A report must leave the previous results standing.
    fill(QStringLiteral("1920*1080"), QString(), QString(), QStringLiteral("4"),
         QStringLiteral("2.9"));
    QVERIFY(clickAndCatchBoxes(button).isEmpty());
    const QStringList previous = results();
    QCOMPARE(previous, QStringList({"69.6758°", "42.7607°", "77.2185°"}));

    fill(preset, x, y, focal, pixel);
    m_debug->takeLines();
    const auto boxes = clickAndCatchBoxes(button);

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Info"));
    QTEST(boxes[0].text, "message");
    QCOMPARE(boxes[0].icon, QMessageBox::Information);
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(results(), previous);
    QCOMPARE(m_debug->takeLines(), QStringList{"caluPushButtonClicked"});
}

void FovPageTest::validatorsRefuseWhileTyping_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    // clang-format off
    QTest::addRow("pixel: two decimals") << "pixelSizeLineEdit" << "3.75" << "3.75";
    QTest::addRow("pixel: no third decimal") << "pixelSizeLineEdit" << "3.755" << "3.75";
    QTest::addRow("pixel: no sign") << "pixelSizeLineEdit" << "-2.9" << "2.9";
    QTest::addRow("pixel: no exponent") << "pixelSizeLineEdit" << "2e1" << "21";
    QTest::addRow("focal: one decimal") << "focalLineText" << "4.5" << "4.5";
    QTest::addRow("focal: no second decimal") << "focalLineText" << "4.25" << "4.2";
    QTest::addRow("focal: no sign") << "focalLineText" << "-8" << "8";
    QTest::addRow("focal: no exponent") << "focalLineText" << "1e3" << "13";
    // clang-format on
}

void FovPageTest::validatorsRefuseWhileTyping()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, typed);

    auto *edit = field<QLineEdit>(qPrintable(fieldName));
    QTest::keyClicks(edit, typed);

    QTEST(edit->text(), "kept");
}

void FovPageTest::decimalCommaPassesTheValidatorButNotTheParse()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_window = std::make_unique<MainWindow>();
    m_window->show();

    retype(field<QLineEdit>("focalLineText"), QStringLiteral("4"));
    retype(field<QLineEdit>("pixelSizeLineEdit"), QStringLiteral("2,9"));
    QCOMPARE(field<QLineEdit>("pixelSizeLineEdit")->text(), QStringLiteral("2,9"));
    const auto boxes = clickAndCatchBoxes(field<QPushButton>("caluPushButton"));

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Pixel size2,9 is error"));
}

void FovPageTest::debugLines()
{
    // Filling the preset list at start-up runs no slot.
    QCOMPARE(m_debug->takeLines(), QStringList());

    choosePreset(QStringLiteral("Other"));
    QCOMPARE(m_debug->takeLines(), QStringList{"r.x=  -1"});
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(m_debug->takeLines(), QStringList());
    choosePreset(QStringLiteral("640*512"));
    QCOMPARE(m_debug->takeLines(), QStringList{"r.x=  640"});

    choosePreset(QStringLiteral("1920*1080"));
    retype(field<QLineEdit>("focalLineText"), QStringLiteral("4"));
    retype(field<QLineEdit>("pixelSizeLineEdit"), QStringLiteral("2.9"));
    m_debug->takeLines();
    QVERIFY(clickAndCatchBoxes(field<QPushButton>("caluPushButton")).isEmpty());
    QCOMPARE(m_debug->takeLines(),
             QStringList({"caluPushButtonClicked", "69.6758", "42.7607", "77.2185"}));
}

void FovPageTest::customFieldsFollowTheSelection()
{
    auto *strip = field<QWidget>("resolutionXYWidget");
    auto *presets = field<QComboBox>("resolutionComboBox");
    const QRect presetsBefore = presets->geometry();

    choosePreset(QStringLiteral("Other"));
    QVERIFY(strip->isVisible());
    QCOMPARE(strip->width(), 320);
    QVERIFY(strip->geometry().left() > presets->geometry().right());
    QCOMPARE(field<QLineEdit>("resolutionY")->x() - field<QLineEdit>("resolutionX")->x(),
             130 + 6 + field<QLabel>("label_6")->width() + 6);
    retype(field<QLineEdit>("resolutionX"), QStringLiteral("1081"));

    choosePreset(QStringLiteral("1080*720"));
    QVERIFY(strip->isHidden());
    QCOMPARE(presets->geometry(), presetsBefore);
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(field<QLineEdit>("resolutionX")->text(), QStringLiteral("1081"));
}

void FovPageTest::fixedWidgetSizes()
{
    choosePreset(QStringLiteral("Other"));
    for (const char *name : {"focalLineText", "pixelSizeLineEdit", "resolutionComboBox"})
        QCOMPARE(field<QWidget>(name)->size(), QSize(260, 60));
    for (const char *name : {"resolutionX", "resolutionY"})
        QCOMPARE(field<QWidget>(name)->size(), QSize(130, 60));
    QCOMPARE(field<QWidget>("caluPushButton")->height(), 80);
    QVERIFY(field<QWidget>("caluPushButton")->font().bold());
}

void FovPageTest::tabFocusChain()
{
    choosePreset(QStringLiteral("Other"));
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    field<QWidget>("resolutionX")->setFocus();

    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }

    QCOMPARE(visited,
             QStringList({"resolutionX", "resolutionY", "pixelSizeLineEdit", "focalLineText",
                          "resolutionComboBox", "caluPushButton"}));
}

QTEST_MAIN(FovPageTest)
#include "tst_fovpage.moc"
