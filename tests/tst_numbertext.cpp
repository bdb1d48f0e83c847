#include "numbertext.h"
#include "shortestdecimal.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <charconv>
#include <cmath>
#include <cstring>

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
    void shortestDigits_data();
    void shortestDigits();
    void shortestEveryBinade_data();
    void shortestEveryBinade();
};

namespace {

// Whether the fast path took the value; if it did, it must have Qt's digits.
bool writtenAsQt(double value, int decimals)
{
    char text[fixedDirectlyMaximumLength];
    const char *end = writeFixedDirectly(text, value, decimals);
    if (end)
        [&] {
            QCOMPARE(QByteArray(text, int(end - text)),
                     QString::number(value, 'f', decimals).toLatin1());
        }();
    return end != nullptr;
}

} // namespace

// Values offset + sign * m * 2^e, for random 53-bit m and e in [lowest,
// highest), and exact ties: odd multiples of half the last shown place.
void NumberTextTest::fixedDigits_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("sign");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::addColumn<bool>("direct"); // whether the fast path must take them
    QTest::addRow("0 to 1e15, and ties") << 0.0 << 1.0 << -90 << -4 << true;
    QTest::addRow("tiny and subnormal") << 0.0 << 1.0 << -1127 << -60 << true;
    QTest::addRow("just below 1e15") << 1e15 - 1 << -1.0 << -60 << -6 << true;
    QTest::addRow("negative") << 0.0 << -1.0 << -90 << -4 << false;
    QTest::addRow("1e15 and above") << 1e15 << 1.0 << 0 << 970 << false;
}

void NumberTextTest::fixedDigits()
{
    QFETCH(double, offset);
    QFETCH(double, sign);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(bool, direct);
    QRandomGenerator random(20261207);
    for (int decimals = 0; decimals <= 4; ++decimals) {
        for (int round = 0; round < 20000; ++round) {
            const double drawn = std::ldexp(double(random.generate64() >> 11),
                                            random.bounded(lowest, highest));
            QCOMPARE(writtenAsQt(offset + sign * drawn, decimals), direct);
            const double tie = std::ldexp(double(2 * random.bounded(1 << 30) + 1), -decimals - 1);
            QCOMPARE(writtenAsQt(offset + sign * tie, decimals), direct);
        }
    }
    for (const double other : {qInf(), -qInf(), qQNaN()})
        QVERIFY(!writtenAsQt(other, 2));
    QVERIFY(!writtenAsQt(1.0, 5)); // more decimals than it takes
}

void NumberTextTest::plainParse_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("maximumLength");
    QTest::addColumn<int>("leastTaken");
    QTest::addColumn<int>("rounds");
    QTest::addRow("digits and points")
            << QByteArray() << QByteArray("0123456789..") << 12 << 1000 << 200000;
    QTest::addRow("long decimals")
            << QByteArray() << QByteArray("000123456789.") << 60 << 1000 << 200000;
    QTest::addRow("signs, blanks, exponents, letters")
            << QByteArray() << QByteArray("0123456789.+- eExX,") << 8 << 1000 << 200000;
    // 309 digits and more are 1e308 and above, beyond float and mostly
    // beyond double; 0. and 307 zeros start below 1e-307, where double turns
    // subnormal and then vanishes. Qt refuses every one of them as a float.
    QTest::addRow("309 to 420 digits")
            << "1" + QByteArray(308, '0') << QByteArray("0123456789") << 111 << 0 << 5000;
    QTest::addRow("tiny, 310 to 420 characters")
            << "0." + QByteArray(307, '0') << QByteArray("0123456789") << 111 << 0 << 5000;
}

// Random texts: whatever the plain parse takes, Qt reads to the same value.
void NumberTextTest::plainParse()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, alphabet);
    QFETCH(int, maximumLength);
    QFETCH(int, rounds);
    QRandomGenerator random(20261207);
    int taken = 0;
    for (int round = 0; round < rounds; ++round) {
        QByteArray text = prefix + QByteArray(random.bounded(maximumLength + 1), '\0');
        for (int at = prefix.size(); at < text.size(); ++at)
            text[at] = alphabet.at(random.bounded(alphabet.size()));
        const std::string_view bytes(text.constData(), std::size_t(text.size()));
        bool ok = false;
        if (const auto value = plainFloat(bytes)) {
            const float qt = QString::fromLatin1(text).toFloat(&ok);
            QVERIFY2(ok && std::memcmp(&qt, &*value, sizeof qt) == 0, text.constData());
            ++taken;
        }
        if (const auto value = plainDouble(bytes)) {
            const double qt = QString::fromLatin1(text).toDouble(&ok);
            QVERIFY2(ok && std::memcmp(&qt, &*value, sizeof qt) == 0, text.constData());
        }
        if (const auto value = plainInt(bytes))
            QVERIFY(QString::fromLatin1(text).toInt(&ok, 10) == *value && ok);
    }
    QFETCH(int, leastTaken);
    QVERIFY(taken >= leastTaken);
}

// Families of doubles: each value's shortest text must be Qt's, byte for
// byte. Values are drawn as sign * m * 2^e with random m of the bits given
// and e in [lowest, highest); the decimal families are integers times powers
// of ten, around the switches between decimal and exponent forms.
void NumberTextTest::shortestDigits_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::addColumn<bool>("decimal"); // m * 10^e instead of m * 2^e
    QTest::addRow("any double") << 53 << -1074 << 971 << false;
    QTest::addRow("subnormal") << 52 << -1074 << -1073 << false;
    QTest::addRow("short binary fractions, ties of decimals") << 12 << -30 << 30 << false;
    QTest::addRow("few digits around 1e-4 and 1e5") << 20 << -12 << 12 << true;
    QTest::addRow("many digits around the switches") << 53 << -22 << 4 << true;
    QTest::addRow("powers of ten") << 1 << -320 << 309 << true;
}

void NumberTextTest::shortestDigits()
{
    QFETCH(int, bits);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(bool, decimal);
    QRandomGenerator random(20261207);
    for (int round = 0; round < KAVRELO_SWEEP_ROUNDS; ++round) {
        const double mantissa = double(bits == 1 ? 1 : random.generate64() >> (64 - bits));
        const int exponent = random.bounded(lowest, highest);
        double value
                = decimal ? mantissa * std::pow(10.0, exponent) : std::ldexp(mantissa, exponent);
        if (random.bounded(2) == 1)
            value = -value;
        if (!std::isfinite(value))
            continue;
        char text[shortestMaximumLength];
        const char *end = writeShortest(text, value);
        QCOMPARE(QByteArray(text, int(end - text)),
                 QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1());
    }
    for (const double zero : {0.0, -0.0}) {
        char text[shortestMaximumLength];
        QCOMPARE(QByteArray(text, int(writeShortest(text, zero) - text)), QByteArray("0"));
    }
}

// Every binade, each with its own power of ten from the table and each
// power of two with its narrower interval below: the decimal must be the one
// std::to_chars finds by another algorithm, and the text Qt's.
void NumberTextTest::shortestEveryBinade_data()
{
    QTest::addColumn<quint64>("firstFraction");
    QTest::addColumn<int>("fractions");
    QTest::addColumn<int>("lastBiasedExponent");
    constexpr quint64 fractionEnd = quint64(1) << 52;
    QTest::addRow("each power of two and the two above") << quint64(0) << 3 << 2046;
    QTest::addRow("the three below each power of two") << fractionEnd - 3 << 3 << 2046;
    QTest::addRow("the middle of each binade") << fractionEnd / 2 - 1 << 3 << 2046;
    QTest::addRow("the least subnormals") << quint64(1) << 2000 << 0;
}

void NumberTextTest::shortestEveryBinade()
{
    QFETCH(quint64, firstFraction);
    QFETCH(int, fractions);
    QFETCH(int, lastBiasedExponent);
    for (quint64 biased = 0; biased <= quint64(lastBiasedExponent); ++biased) {
        for (quint64 fraction = firstFraction; fraction < firstFraction + quint64(fractions);
             ++fraction) {
            const quint64 bits = biased << 52 | fraction;
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (value == 0.0)
                continue;
            // to_chars' "d.ddde±x" as digits and the exponent of the last.
            char scientific[32];
            const char *end = std::to_chars(scientific, scientific + sizeof scientific, value,
                                            std::chars_format::scientific)
                                      .ptr;
            const QByteArray text(scientific, int(end - scientific));
            const int e = text.indexOf('e');
            const QByteArray digits = text.left(e).replace(".", "");
            const int exponent = text.mid(e + 1).toInt() - (digits.size() - 1);
            const ShortestDecimal decimal = shortestDecimal(value);
            QCOMPARE(QByteArray::number(qulonglong(decimal.significand)), digits);
            QCOMPARE(decimal.exponent, exponent);
            char written[shortestMaximumLength];
            QCOMPARE(QByteArray(written, int(writeShortest(written, value) - written)),
                     QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1());
        }
    }
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
