#include "windowfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// The FOV tab as a person uses it: typing into the real fields, choosing
// presets, clicking "Calulate" and reading the labels and the "Info" box.
// The arithmetic's worked examples live in its own test; these rows prove
// that the page hands over the right fields and shows what comes back.
class FovPageTest : public WindowFixture
{
    Q_OBJECT

private slots:
    void click_data();
    void click();
    void firstReport_data();
    void firstReport();
    void typing_data();
    void typing();
    void debugLines();
    void customFieldsFollowTheSelection();
    void tabChain();

private:
    void fill(const QString &preset, const QString &x, const QString &y, const QString &focal,
              const QString &pixel) const;
    QStringList results() const { return labelTexts({"resultH", "resultV", "resultD"}); }
};

namespace {

const QLocale c = QLocale::c();
const QLocale german(QLocale::German, QLocale::Germany);

// What the user leaves in the page, and what a click then shows: the three
// angles, or the report's text.
void addRow(const char *name, const QLocale &locale, const char *preset, const char *x,
            const char *y, const char *focal, const char *pixel, const char *outcome)
{
    QTest::addRow("%s", name) << locale << preset << x << y << focal << pixel << outcome;
}

void addColumns()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("focal");
    QTest::addColumn<QString>("pixel");
    QTest::addColumn<QString>("outcome");
}

void addTyping(const char *name, const char *field, const char *typed, const char *kept)
{
    QTest::addRow("%s", name) << field << typed << kept;
}

} // namespace

void FovPageTest::fill(const QString &preset, const QString &x, const QString &y,
                       const QString &focal, const QString &pixel) const
{
    // Custom fields first, while "Other" shows them; the preset then decides.
    choosePreset(QStringLiteral("Other"));
    type("resolutionX", x);
    type("resolutionY", y);
    choosePreset(preset);
    type("focalLineText", focal);
    type("pixelSizeLineEdit", pixel);
}

void FovPageTest::click_data()
{
    addColumns();
    const char *fullHd = "69.6758° 42.7607° 77.2185°";
    addRow("1920*1080, 2.9 um, 4 mm", c, "1920*1080", "", "", "4", "2.9", fullHd);
    // Every preset, by what it gives.
    addRow("3840*2160, 2 um, 8 mm", c, "3840*2160", "", "", "8", "2", "51.2820° 30.2192° 57.6855°");
    addRow("2688*1520, 2.9 um, 6 mm", c, "2688*1520", "", "", "6", "2.9",
           "66.0155° 40.3399° 73.4655°");
    addRow("1080*720", c, "1080*720", "", "", "4", "2.9", "42.7607° 29.2557° 50.3963°");
    addRow("640*512, zero focal length", c, "640*512", "", "", "0", "2.9",
           "180.0000° 180.0000° 180.0000°");
    addRow("Other 1081x721", c, "Other", "1081", "721", "4", "2.9", "42.7607° 29.2557° 50.4434°");
    // A German user may type a point, and reads the angles with a point.
    addRow("de_DE, 2.9 typed", german, "1920*1080", "", "", "4", "2.9", fullHd);
}

void FovPageTest::click()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, preset);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, focal);
    QFETCH(QString, pixel);

    openWindow(locale);
    fill(preset, x, y, focal, pixel);
    const auto boxes = WindowFixture::click("caluPushButton");

    QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
    QTEST(results().join(QLatin1Char(' ')), "outcome");
}

void FovPageTest::firstReport_data()
{
    addColumns();
    addRow("empty focal and pixel", c, "3840*2160", "", "", "", "", "Focal length is error");
    addRow("empty pixel", c, "3840*2160", "", "", "4", "", "Pixel size is error");
    addRow("Other, empty x", c, "Other", "", "", "", "", "Resolution is error");
    addRow("Other, x 12a", c, "Other", "12a", "720", "4", "2.9", "Resolution12a is error");
    addRow("Other, y 7b", c, "Other", "1080", "7b", "", "", "Resolution7b is error");
    // The German validator takes the comma; the parse does not.
    addRow("de_DE, 2,9 typed", german, "1920*1080", "", "", "4", "2,9", "Pixel size2,9 is error");
}

void FovPageTest::firstReport()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, preset);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, focal);
    QFETCH(QString, pixel);

    // A report must leave the previous results standing.
    openWindow(locale);
    fill(QStringLiteral("1920*1080"), {}, {}, QStringLiteral("4"), QStringLiteral("2.9"));
    QVERIFY(WindowFixture::click("caluPushButton").isEmpty());
    const QStringList previous = results();

    fill(preset, x, y, focal, pixel);
    takeDebugLines();
    const auto boxes = WindowFixture::click("caluPushButton");

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Info"));
    QTEST(boxes[0].text, "outcome");
    QCOMPARE(boxes[0].icon, QMessageBox::Information);
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(results(), previous);
    QCOMPARE(takeDebugLines(), QStringList{"caluPushButtonClicked"});
}

void FovPageTest::typing_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    // Pixel size: 0 to 20 with two decimals.
    addTyping("pixel: not the next decade", "pixelSizeLineEdit", "200", "20");
    addTyping("pixel: no third decimal", "pixelSizeLineEdit", "3.755", "3.75");
    addTyping("pixel: no sign", "pixelSizeLineEdit", "-2.9", "2.9");
    addTyping("pixel: no exponent", "pixelSizeLineEdit", "2e1", "21");
    // Focal length: 0 to 2000 with one decimal.
    addTyping("focal: not the next decade", "focalLineText", "20000", "2000");
    addTyping("focal: no sixth digit", "focalLineText", "1999.95", "1999.9");
    addTyping("focal: no sign", "focalLineText", "-8", "8");
    addTyping("focal: no exponent", "focalLineText", "1e3", "13");
}

void FovPageTest::typing()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, typed);

    auto *edit = field<QLineEdit>(qPrintable(fieldName));
    QTest::keyClicks(edit, typed);

    QTEST(edit->text(), "kept");
}

void FovPageTest::debugLines()
{
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(takeDebugLines(), QStringList{"r.x=  -1"});
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(takeDebugLines(), QStringList());
    choosePreset(QStringLiteral("640*512"));
    QCOMPARE(takeDebugLines(), QStringList{"r.x=  640"});

    fill(QStringLiteral("1920*1080"), {}, {}, QStringLiteral("4"), QStringLiteral("2.9"));
    takeDebugLines();
    QVERIFY(WindowFixture::click("caluPushButton").isEmpty());
    QCOMPARE(takeDebugLines(),
             QStringList({"caluPushButtonClicked", "69.6758", "42.7607", "77.2185"}));
}

void FovPageTest::customFieldsFollowTheSelection()
{
    auto *strip = field<QWidget>("resolutionXYWidget");
    choosePreset(QStringLiteral("Other"));
    QVERIFY(strip->isVisible());
    type("resolutionX", QStringLiteral("1081"));
    choosePreset(QStringLiteral("1080*720"));
    QVERIFY(strip->isHidden());
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(field<QLineEdit>("resolutionX")->text(), QStringLiteral("1081"));
}

void FovPageTest::tabChain()
{
    choosePreset(QStringLiteral("Other"));
    QCOMPARE(WindowFixture::tabChain("resolutionX", 5),
             QStringList({"resolutionX", "resolutionY", "pixelSizeLineEdit", "focalLineText",
                          "resolutionComboBox", "caluPushButton"}));
}

QTEST_MAIN(FovPageTest)
#include "tst_fovpage.moc"
