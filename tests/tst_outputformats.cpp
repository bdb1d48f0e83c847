#include "memorystreams.h"
#include "outputformats.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

// Records in, bytes out: the three formats with their quoting, escaping and
// digits, and output that reaches the sink only in whole records.
class OutputFormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void wholeRecordsOnly();
};

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// One record: pass-through fields as read, then an angle and a width, or an
// error.
struct Record
{
    QList<QByteArray> passThrough;
    std::optional<double> angle;
    std::optional<double> width;
    QString error = {};
};

} // namespace

Q_DECLARE_METATYPE(QList<Record>)

namespace {

const OutputFormat &named(const char *name)
{
    return *std::find_if(
            outputFormats.cbegin(), outputFormats.cend(),
            [&](const OutputFormat &format) { return qstrcmp(format.name, name) == 0; });
}

QByteArray written(const char *format, const QStringList &names, const QList<Record> &records)
{
    ResultTable table;
    const ResultId angle = table.add({"angle_deg", "Angle", 4, QStringLiteral("\u00B0")});
    const ResultId width = table.add({"width_m", "Scene width", 2, "m"});
    MemorySink sink;
    const auto writer = named(format).make(table, names, sink);
    writer->begin();
    Results results(table);
    for (const Record &record : records) {
        FieldList passThrough;
        for (const QByteArray &field : record.passThrough)
            passThrough.emplace_back(field.constData(), field.size());
        if (!record.error.isEmpty()) {
            writer->error(passThrough, record.error);
            continue;
        }
        results.clear();
        if (record.angle)
            results.set(angle, *record.angle);
        if (record.width)
            results.set(width, *record.width);
        writer->record(passThrough, results);
    }
    writer->finish();
    writer->flush();
    return sink.all();
}

void addRow(const char *name, const char *format, const QStringList &names,
            const QList<Record> &records, const QByteArray &output)
{
    QTest::addRow("%s", name) << QByteArray(format) << names << QVariant::fromValue(records)
                              << output;
}

} // namespace

void OutputFormatsTest::formats_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariant>("records");
    QTest::addColumn<QByteArray>("output");

    // CSV: fixed decimals as the window shows them, exact ties rounded up.
    addRow("csv, digits", "csv", {}, {{{}, 69.67583465576172, 0.03125}},
           "angle_deg,width_m,error\n69.6758,0.03,\n");
    addRow("csv, a tie rounds up", "csv", {}, {{{}, 0.03125, 2.675}},
           "angle_deg,width_m,error\n0.0313,2.67,\n");
    addRow("csv, past the direct digits", "csv", {},
           {{{}, -0.00001, std::ldexp(1.0, 100)}, {{}, -0.0, 1e15}},
           "angle_deg,width_m,error\n-0.0000,1267650600228229401496703205376.00,\n"
           "0.0000,1000000000000000.00,\n");
    // Bytes that are not UTF-8 pass through as U+FFFD; a byte order mark
    // that starts a field stays.
    addRow("csv, fields as text", "csv", {"name"},
           {{{"\xEF\xBB\xBF"
              "a\xFF"},
             {},
             {}}},
           "name,angle_deg,width_m,error\n\xEF\xBB\xBF"
           "a\xEF\xBF\xBD,,,\n");
    addRow("csv, inf, -inf, nan and unset", "csv", {},
           {{{}, infinity, -infinity}, {{}, notANumber, std::nullopt}},
           "angle_deg,width_m,error\ninf,-inf,\nnan,,\n");
    addRow("csv, quoting", "csv", {"name", "site, row"},
           {{{"gate, north", "say \"hi\""}, 1, 2}, {{"two\nlines", "cr\r"}, {}, {}, "bad \"x\""}},
           "name,\"site, row\",angle_deg,width_m,error\n"
           "\"gate, north\",\"say \"\"hi\"\"\",1.0000,2.00,\n"
           "\"two\nlines\",\"cr\r\",,,\"bad \"\"x\"\"\"\n");

    // JSON Lines: the shortest text that reads back, null for what has no
    // number, escapes for what JSON cannot hold raw.
    addRow("json, numbers", "json", {}, {{{}, 0.1, 1e21}},
           "{\"angle_deg\":0.1,\"width_m\":1e+21,\"error\":null}\n");
    addRow("json, inf, nan and unset are null", "json", {},
           {{{}, -infinity, notANumber}, {{}, std::nullopt, 3}},
           "{\"angle_deg\":null,\"width_m\":null,\"error\":null}\n"
           "{\"angle_deg\":null,\"width_m\":3,\"error\":null}\n");
    addRow("json, escapes", "json", {"na\"me"},
           {{{"a\\b\tc\nd\re\x01"
              "f \u00E9"},
             {},
             {},
             "line 2: \"x\""}},
           "{\"na\\\"me\":\"a\\\\b\\tc\\nd\\re\\u0001f \xC3\xA9\",\"angle_deg\":null,"
           "\"width_m\":null,\"error\":\"line 2: \\\"x\\\"\"}\n");

    // Text: labels padded to the longest, numbers right-aligned, no blank
    // before the degree sign, a blank line between blocks.
    addRow("text, one block", "text", {}, {{{}, 5.5, 123.456}},
           "Angle        5.5000\xC2\xB0\nScene width  123.46 m\n");
    addRow("text, blocks, pass-through and an error", "text", {"camera"},
           {{{"lobby"}, std::nullopt, 1}, {{"yard"}, {}, {}, "line 3: bad"}},
           "camera       lobby\nScene width  1.00 m\n\n"
           "camera       yard\nError        line 3: bad\n");
    // Qt's own texts, aligned like the others: a long one pushes the short
    // far right, a short negative one stands beside the direct digits.
    addRow("text, numbers past the direct digits", "text", {},
           {{{}, 5.5, std::ldexp(1.0, 100)}, {{}, -0.00001, 1}},
           "Angle        " + QByteArray(28, ' ')
                   + "5.5000\xC2\xB0\n"
                     "Scene width  1267650600228229401496703205376.00 m\n\n"
                     "Angle        -0.0000\xC2\xB0\nScene width     1.00 m\n");
}

void OutputFormatsTest::formats()
{
    QFETCH(QByteArray, format);
    QFETCH(QStringList, names);
    QFETCH(QVariant, records);
    QTEST(written(format.constData(), names, records.value<QList<Record>>()), "output");
}

// A batch of any length reaches the sink in blocks that each end where a
// record ends, so an interrupted run never leaves half a row.
void OutputFormatsTest::wholeRecordsOnly()
{
    const QByteArray camera = QStringLiteral("caf\u00E9 \u20AC").toUtf8();
    ResultTable table;
    MemorySink sink;
    const auto writer = named("csv").make(table, {"camera"}, sink);
    for (int row = 0; row < 20000; ++row)
        writer->record({std::string_view(camera.constData(), camera.size())}, Results(table));
    writer->flush();
    QVERIFY(sink.writes.size() > 1);
    const QByteArray row = camera + ",\n";
    for (const QByteArray &block : sink.writes)
        QCOMPARE(block, row.repeated(block.size() / row.size()));
    QCOMPARE(sink.all(), row.repeated(20000));
}

QTEST_GUILESS_MAIN(OutputFormatsTest)
#include "tst_outputformats.moc"
