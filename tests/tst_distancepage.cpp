#include "windowfixture.h"

#include <QLineEdit>
#include <QTest>

// The Distance tab as a person uses it: typing into the fields, clicking
// "Calulate" and reading the twelve labels and the "Info" box. The
// arithmetic's worked examples live in its own test; these rows prove that
// the page hands over the right fields and fills the right labels.
class DistancePageTest : public WindowFixture
{
    Q_OBJECT

private slots:
    void click_data();
    void click();
    void firstReport_data();
    void firstReport();
    void debugLines();
    void tabChain();

private:
    void fill(const QStringList &texts) const;
    QString results() const;
};

namespace {

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

} // namespace

void DistancePageTest::fill(const QStringList &texts) const
{
    for (int index = 0; index < texts.size(); ++index)
        type(qPrintable(distanceInputs().at(index)), texts.at(index));
}

QString DistancePageTest::results() const
{
    return labelTexts(distanceResults()).join(QLatin1Char(' '));
}

void DistancePageTest::click_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("inputs"); // from the field of view on; the rest as they are
    QTest::addColumn<QString>("shown");

    const QString defaults = QStringLiteral("3.33m 6.65m 13.30m 33.26m 9.31m 18.62m 37.25m 93.12m "
                                            "33.26m 66.51m 133.02m 332.55m");
    QTest::addRow("60 deg, 1920 px") << QLocale::c() << words("60 1920") << defaults;
    QTest::addRow("person X smaller than Y")
            << QLocale::c() << words("60 1920 0.3 1.7")
            << "2.00m 3.99m 7.98m 19.95m 9.31m 18.62m 37.25m 93.12m 33.26m 66.51m 133.02m "
               "332.55m";
    // The page has no validators: a German user's point parses, and the
    // distances are written with a point.
    QTest::addRow("de_DE, 60 deg, 1920 px")
            << QLocale(QLocale::German, QLocale::Germany) << words("60.0 1920") << defaults;
}

void DistancePageTest::click()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, inputs);

    openWindow(locale);
    showTab(1);
    fill(inputs);
    const auto boxes = WindowFixture::click("caluPushButton1");

    QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
    QTEST(results(), "shown");
}

void DistancePageTest::firstReport_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const auto addReport = [](const char *field, const char *text, const char *message) {
        QTest::addRow("%s", field) << field << text << message;
    };
    addReport("hFOVLineText", "", "FOV is error");
    addReport("hResLineText", "", "Resolution is error");
    addReport("personX", "1.8m", "Person param1.8m is error");
    addReport("personY", "abc", "Person paramabc is error");
    addReport("carX", "", "Car param is error");
    addReport("carY", "-", "Car param- is error");
    addReport("boatX", "1 0", "Boat param1 0 is error");
    addReport("boatY", "5,0", "Boat param5,0 is error"); // a decimal comma
}

void DistancePageTest::firstReport()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, text);

    showTab(1);
    fill(words("60 1920"));
    QVERIFY(WindowFixture::click("caluPushButton1").isEmpty());
    const QString previous = results();

    // Spoil the field, and every field after it, which must not be reached.
    const QStringList inputs = distanceInputs();
    const int spoilt = inputs.indexOf(fieldName);
    for (int index = spoilt; index < inputs.size(); ++index)
        type(qPrintable(inputs.at(index)), index == spoilt ? text : QStringLiteral("later"));
    takeDebugLines();
    const auto boxes = WindowFixture::click("caluPushButton1");

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Info"));
    QTEST(boxes[0].text, "message");
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(results(), previous);
    QCOMPARE(takeDebugLines(), QStringList());
}

void DistancePageTest::debugLines()
{
    showTab(1);
    fill(words("60 1920"));
    QVERIFY(WindowFixture::click("caluPushButton1").isEmpty());

    QCOMPARE(takeDebugLines(),
             QStringList(
                     {"personDistance1  3.32554", "carDistance1  9.3115", "boatResult4  33.2554"}));
}

void DistancePageTest::tabChain()
{
    showTab(1);
    QCOMPARE(WindowFixture::tabChain("boatY", 8),
             QStringList({"boatY", "hResLineText", "boatX", "personY", "carY", "personX",
                          "hFOVLineText", "carX", "caluPushButton1"}));
}

QTEST_MAIN(DistancePageTest)
#include "tst_distancepage.moc"
