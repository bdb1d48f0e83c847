#include "numbertext.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

// The batch's own number texts against Qt's, which they must match to the
// byte: every value they take gives Qt's digits or Qt's parse, and what
// they decline goes to Qt itself.
class NumberTextTest : public QObject
{
    Q_OBJECT

private slots:
    void fixedDigits_data();
    void fixedDigits();
    void plainParse_data();
    void plainParse();
};

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Values a family draws, each shown with 0 to 4 decimals.
using Draw = double (*)(QRandomGenerator &random, int decimals);

double below1e15(QRandomGenerator &random, int)
{
    return std::ldexp(double(random.generate64() >> 11), random.bounded(-90, -4));
}

// Odd multiples of half the last shown place: exact ties.
double tie(QRandomGenerator &random, int decimals)
{
    return std::ldexp(double(2 * random.bounded(1 << 30) + 1), -(decimals + 1));
}

} // namespace

Q_DECLARE_METATYPE(Draw)

void NumberTextTest::fixedDigits_data()
{
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<bool>("direct"); // whether the fast path must take them
    QTest::addRow("random, 0 to 1e15") << Draw(below1e15) << true;
    QTest::addRow("exact ties") << Draw(tie) << true;
    QTest::addRow("tiny and subnormal") << Draw([](QRandomGenerator &random, int) {
        return std::ldexp(double(random.generate64() >> 11), random.bounded(-1127, -60));
    }) << true;
    QTest::addRow("just below 1e15") << Draw([](QRandomGenerator &random, int) {
        return 1e15 - double(random.bounded(1, 1000)) / 8;
    }) << true;
    QTest::addRow("negative") << Draw([](QRandomGenerator &random, int decimals) {
        return -below1e15(random, decimals);
    }) << false;
    QTest::addRow("huge") << Draw([](QRandomGenerator &random, int) {
        return std::ldexp(double(random.generate64() >> 11), random.bounded(0, 970)) + 1e15;
    }) << false;
    QTest::addRow("inf, -inf, nan") << Draw([](QRandomGenerator &random, int) {
        const double values[] = {infinity, -infinity, std::nan("")};
        return values[random.bounded(3)];
    }) << false;
}

void NumberTextTest::fixedDigits()
{
    QFETCH(Draw, draw);
    QFETCH(bool, direct);
    QRandomGenerator random(20261207);
    for (int decimals = 0; decimals <= 4; ++decimals) {
        for (int round = 0; round < 20000; ++round) {
            const double value = draw(random, decimals);
            char text[fixedDirectlyMaximumLength];
            const char *end = writeFixedDirectly(text, value, decimals);
            QVERIFY2((end != nullptr) == direct, qPrintable(QString::number(value, 'g', 17)));
            if (end)
                QCOMPARE(QByteArray(text, int(end - text)),
                         QString::number(value, 'f', decimals).toLatin1());
        }
    }
    char text[fixedDirectlyMaximumLength];
    QVERIFY(!writeFixedDirectly(text, 1.0, 5)); // more decimals than it takes
}

void NumberTextTest::plainParse_data()
{
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("maximumLength");
    QTest::addRow("digits and points") << QByteArray("0123456789..") << 12;
    QTest::addRow("long decimals") << QByteArray("000123456789.") << 60;
    QTest::addRow("signs, blanks, exponents, letters") << QByteArray("0123456789.+- eExX,") << 8;
}

// Random texts: whatever the plain parse takes, Qt reads to the same value.
void NumberTextTest::plainParse()
{
    QFETCH(QByteArray, alphabet);
    QFETCH(int, maximumLength);
    QRandomGenerator random(20261207);
    int taken = 0;
    for (int round = 0; round < 200000; ++round) {
        QByteArray text(random.bounded(maximumLength + 1), '\0');
        for (char &c : text)
            c = alphabet.at(random.bounded(alphabet.size()));
        const std::string_view bytes(text.constData(), std::size_t(text.size()));
        bool ok = false;
        if (const auto value = plainFloat(bytes)) {
            const float qt = QString::fromLatin1(text).toFloat(&ok);
            QVERIFY2(ok && std::memcmp(&qt, &*value, sizeof qt) == 0, text.constData());
            ++taken;
        }
        if (const auto value = plainInt(bytes)) {
            QCOMPARE(QString::fromLatin1(text).toInt(&ok, 10), *value);
            QVERIFY(ok);
        }
    }
    QVERIFY(taken > 1000);
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
