#include "fuzzsupport.h"
#include "kavrelocli.h"
#include "memorystreams.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdint>
#include <iterator>

// Any bytes as a batch file. Besides the sanitizers' checks: a batch whose
// header is accepted answers every record with exactly one record, in
// order; a malformed record's error names the line it starts on; and every
// passed-through field of a well-formed record comes back unchanged.
namespace {

// The records as the reader's written policy defines them, worked out here
// on its own: the bytes, the line each record starts on, and whether it is
// malformed.
struct Expected
{
    QList<QByteArray> fields;
    int line;
    bool malformed;
};

QList<Expected> expectedRecords(QByteArray data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    int at = 0;
    int line = 1;
    const auto has = [&](char c) { return at < data.size() && data[at] == c; };
    const auto atLineEnd = [&] { return has('\n') || has('\r'); };
    // Past one line end, CRLF being one, and what it was.
    const auto passLineEnd = [&] {
        const int from = at++;
        if (data[from] == '\r' && has('\n'))
            ++at;
        ++line;
        return data.mid(from, at - from);
    };
    QList<Expected> records;
    while (at < data.size()) {
        if (atLineEnd()) {
            passLineEnd();
            continue;
        }
        Expected record{{}, line, false};
        do {
            QByteArray field;
            const bool quoted = has('"');
            for (at += quoted; quoted;) {
                if (at >= data.size()) {
                    record.malformed = true;
                    break;
                }
                if (has('"') && ++at && !has('"'))
                    break;
                if (atLineEnd()) {
                    field += passLineEnd();
                    continue;
                }
                record.malformed |= has('\0');
                field += has('\0') ? QByteArray() : QByteArray(1, data[at]);
                ++at;
            }
            for (; at < data.size() && !has(',') && !atLineEnd(); ++at) {
                record.malformed |= quoted || has('\0');
                field += has('\0') ? QByteArray() : QByteArray(1, data[at]);
            }
            record.fields << field;
        } while (has(',') && ++at);
        if (at < data.size())
            passLineEnd();
        records << record;
    }
    return records;
}

// The fields' texts that the shared check prints do not apply here.
void require(bool holds, const char *invariant)
{
    require(holds, invariant, QStringList());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<int>(size));
    // Every input given on the command line, so any header is usable; the
    // length picks the command and how the input arrives in pieces.
    const QStringList commands[] = {
            {"fov", "--resolution=1920x1080", "--pixel-size=2.9", "--focal-length=4"},
            {"distance", "--hfov=60", "--resolution=1920"},
            {"density", "--resolution=1920", "--hfov=60", "--distance=20"},
            {"lens", "--pixel-size=2.9", "--level=identify", "--distance=20"},
            {"mount", "--resolution=1920x1080", "--hfov=60", "--height=4", "--tilt=20"},
            {"footprint", "--lat=52.52", "--lon=13.405", "--bearing=90", "--resolution=1920x1080",
             "--hfov=60", "--height=4", "--tilt=20"},
    };
    const QStringList &command = commands[size % std::size(commands)];
    const bool map = command.first() == QLatin1String("footprint");
    const QStringList arguments
            = command + QStringList{map ? "--format=geojson" : "--format=json", "--batch=-"};
    MemorySource input(file, 1 + static_cast<int>(size % 7));
    MemorySink output;
    MemorySink errors;
    const ExitStatus status = runKavreloCli(arguments, {input, output, errors});
    if (status == ExitStatus::usage) {
        require(output.all().isEmpty(), "a usage error writes nothing to standard output");
        return 0;
    }
    const QList<Expected> records = expectedRecords(file);
    if (map) {
        // One document; each record is a camera on the map or a line on
        // standard error, never both and never neither.
        const QJsonObject document = QJsonDocument::fromJson(output.all()).object();
        require(document.value("type").toString() == QLatin1String("FeatureCollection"),
                "footprint writes one FeatureCollection");
        int cameras = 0;
        for (const QJsonValue &feature : document.value("features").toArray())
            cameras += feature.toObject().value("properties").toObject().value("kind").toString()
                    == QLatin1String("camera");
        int rowErrors = 0;
        for (const QByteArray &line : errors.all().split('\n'))
            rowErrors += line.startsWith("kavrelo-cli footprint: line ");
        require(cameras + rowErrors == records.size() - 1,
                "each record is one camera or one error");
        return 0;
    }
    QList<QByteArray> lines = output.all().split('\n');
    require(lines.takeLast().isEmpty(), "the output ends with a whole line");
    require(lines.size() == records.size() - 1, "one output record per input record");

    const QList<QByteArray> &header = records.first().fields;
    // Invalid UTF-8 comes back with replacement characters, as documented.
    // Qt's JSON parser drops a U+FEFF here and there, even from names, so
    // the reader's own test holds those.
    const auto marked = [](const QByteArray &text) { return text.contains("\xEF\xBB\xBF"); };
    const bool namesIntact = std::none_of(header.cbegin(), header.cend(), marked);
    for (int index = 0; index < lines.size(); ++index) {
        const Expected &record = records.at(index + 1);
        const QJsonObject answer = QJsonDocument::fromJson(lines.at(index)).object();
        require(!answer.isEmpty(), "each output record is a JSON object");
        const QString error = answer.value("error").toString();
        if (record.malformed || record.fields.size() != header.size()) {
            require(error.startsWith(QStringLiteral("line %1: ").arg(record.line)),
                    "a malformed record's error names its first line");
            continue;
        }
        for (int column = 0; column < header.size(); ++column) {
            const QString name = QString::fromUtf8(header.at(column));
            const QByteArray &field = record.fields.at(column);
            const QString text = QString::fromUtf8(field);
            if (namesIntact && answer.contains(name) && text.toUtf8() == field && !marked(field))
                require(answer.value(name).toString() == text,
                        "a passed-through field comes back unchanged");
        }
    }
    return 0;
}
