#include "csvreader.h"
#include "memorystreams.h"

#include <QTest>

#include <algorithm>
#include <cstring>

// The reader's policy, bytes in and records out. Each input is also read in
// pieces of 1, 2, 3 and 7 bytes, so every record, line end and byte order
// mark also arrives split across reads.
class CsvReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void cutShort_data();
    void cutShort();
    void linesPastTwoToThe31();
};

namespace {

// A record as "line:field|field", or "line!error" for a malformed one; and
// "cut short at line" for a record that a signal cut short.
QStringList readAll(const QByteArray &input, int chunkSize,
                    MemorySource::End end = MemorySource::End::endOfInput)
{
    MemorySource source(input, chunkSize, end);
    CsvReader reader(source);
    Record record;
    QStringList records;
    while (reader.readRecord(record)) {
        records << (record.error ? QStringLiteral("%1!%2").arg(record.line).arg(*record.error)
                                 : QStringLiteral("%1:%2")
                                           .arg(record.line)
                                           .arg(record.texts().join(QLatin1Char('|'))));
    }
    if (const auto line = reader.cutShortAt())
        records << QStringLiteral("cut short at %1").arg(*line);
    return records;
}

// The whole array, NUL bytes included.
template <std::size_t size>
void addRow(const char *name, const char (&input)[size], const QStringList &records)
{
    QTest::addRow("%s", name) << QByteArray(input, size - 1) << records;
}

void addRow(const char *name, const QByteArray &input, const QStringList &records)
{
    QTest::addRow("%s", name) << input << records;
}

} // namespace

void CsvReaderTest::records_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("records");

    // Plain records and line ends.
    addRow("LF", "a,b\nc,d\n", {"1:a|b", "2:c|d"});
    addRow("no line end at the end", "a,b\nc,d", {"1:a|b", "2:c|d"});
    addRow("CRLF", "a,b\r\nc,d\r\n", {"1:a|b", "2:c|d"});
    addRow("bare CR", "a,b\rc,d\re", {"1:a|b", "2:c|d", "3:e"});
    addRow("blank lines are no records", "a\n\n\r\n\rb\n", {"1:a", "5:b"});
    addRow("empty fields", ",a,\n", {"1:|a|"});
    addRow("empty input", "", {});
    addRow("a byte order mark",
           "\xEF\xBB\xBF"
           "a,b\n",
           {"1:a|b"});
    addRow("only a byte order mark", "\xEF\xBB\xBF", {});
    addRow("a mark inside is a character",
           "\xEF\xBB\xBF\xEF\xBB\xBF"
           "a\n\xEF\xBB\xBF\n",
           {QStringLiteral("1:\uFEFFa"), QStringLiteral("2:\uFEFF")});
    addRow("UTF-8 kept", "Gr\xC3\xBCn,\xE2\x82\xAC\n", {QStringLiteral("1:Gr\u00FCn|\u20AC")});

    // Quotes.
    addRow("quoted comma", "\"gate, north\",4\n", {"1:gate, north|4"});
    addRow("doubled quote", "\"say \"\"hi\"\"\",x\n", {"1:say \"hi\"|x"});
    addRow("empty quoted field", "\"\",a\n", {"1:|a"});
    addRow("line breaks inside quotes count as lines", "\"a\r\nb\",\"c\rd\ne\"\nz\n",
           {"1:a\r\nb|c\rd\ne", "5:z"});
    addRow("a quote inside a field is a character", "lobby 1/2.8\" sensor,4\nb,5\n",
           {"1:lobby 1/2.8\" sensor|4", "2:b|5"});
    addRow("a lone quote mid-field", "a\"b,\"c\"\n", {"1:a\"b|c"});

    // Malformed records: each is one record with its error, and the next
    // record is read as usual.
    addRow("text after a closing quote", "x,1\n\"ab\"cd,2\ny,3\n",
           {"1:x|1", "2!has text after a closing quote", "3:y|3"});
    addRow("a NUL byte", "x,1\na\0b,2\ny,3\n", {"1:x|1", "2!holds a NUL byte", "3:y|3"});
    addRow("a quote open at the end takes the rest", "x,1\n\"y,2\nz,3\n",
           {"1:x|1", "2!a quoted field is not closed"});
    addRow("a quote after a NUL opens nothing", "\0\"a\nb\n", {"1!holds a NUL byte", "2:b"});
    addRow("a quote after a NUL pairs with nothing", "\"a\"\0\"\nb\n",
           {"1!holds a NUL byte", "2:b"});
    addRow("the first error counts", "\"a\"b\0\n", {"1!has text after a closing quote"});

    // A record longer than the reader's 64 KiB block.
    const QByteArray longField(70000, 'x');
    addRow("a record across the block boundary", longField + ",y\nz\n",
           {QStringLiteral("1:%1|y").arg(QString::fromLatin1(longField)), "2:z"});
}

void CsvReaderTest::records()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, records);
    for (const int chunkSize : {1 << 20, 1, 2, 3, 7})
        QCOMPARE(readAll(input, chunkSize), records);
}

// Input that a signal ended while the reader waited: what has no line end yet
// may be the start of a longer record, so it is never returned as one.
void CsvReaderTest::cutShort_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("records");
    addRow("between records", "a,b\nc,d\n", {"1:a|b", "2:c|d"});
    addRow("after a CR", "a,b\r", {"1:a|b"});
    addRow("inside a number", "1920x1080,2.9,12\n1920x1080,2.9,1",
           {"1:1920x1080|2.9|12", "cut short at 2"});
    addRow("after a comma", "a,b\nc,", {"1:a|b", "cut short at 2"});
    addRow("inside quotes, over lines", "a\n\"b\nc", {"1:a", "cut short at 2"});
    addRow("after a closing quote", "\"a\"", {"cut short at 1"});
    addRow("a malformed record cut short", "\"a\"b", {"cut short at 1"});
    addRow("blank lines only", "\n\n\n", {});
}

void CsvReaderTest::cutShort()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, records);
    for (const int chunkSize : {1 << 20, 1, 2, 3, 7})
        QCOMPARE(readAll(input, chunkSize, MemorySource::End::signal), records);
}

// 2^31 + 7 blank lines, then a record: its line is past any 32-bit count.
void CsvReaderTest::linesPastTwoToThe31()
{
    class BlankLines : public ByteSource
    {
    public:
        qint64 read(char *data, qint64 size) override
        {
            if (m_left == 0)
                return 0;
            const qint64 count = std::min(size, m_left);
            std::memset(data, '\n', static_cast<std::size_t>(count));
            m_left -= count;
            if (m_left == 0)
                data[count - 1] = 'x';
            return count;
        }
        QString errorString() const override { return {}; }

    private:
        qint64 m_left = (qint64(1) << 31) + 8;
    } source;
    CsvReader reader(source);
    Record record;
    QVERIFY(reader.readRecord(record));
    QCOMPARE(record.line, (qint64(1) << 31) + 8);
    QCOMPARE(record.texts(), QStringList{"x"});
}

QTEST_GUILESS_MAIN(CsvReaderTest)
#include "tst_csvreader.moc"
