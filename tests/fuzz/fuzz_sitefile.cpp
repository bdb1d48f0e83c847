#include "dxfheader.h"
#include "kavrelocli.h"
#include "memorystreams.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Any bytes as a site's file: GeoJSON, which the program reads itself, and
// KML, through GDAL and the module's roles and checks; and as a drawing's
// header, which the program scans itself for $INSUNITS. Besides the
// sanitizers' checks: a site is read, refused with a message or left out
// with a warning, each on a line of the program's own, and a refused site
// writes nothing to standard output. GDAL's own DXF and GML readers are
// not fuzzed here: GDAL 3.6's DXF reader loops for ever on some malformed
// drawings, which only a newer GDAL mends.
namespace {

void require(bool holds, const char *invariant, const QByteArray &errors)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\nstandard error:\n%s\n", invariant,
                 errors.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString folder = [] {
        const QString made = QDir::temp().filePath(
                QStringLiteral("fuzz-sitefile-%1").arg(QCoreApplication::applicationPid()));
        QDir().mkpath(made);
        return made;
    }();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    // The header scan ends at the header's end, or the file's.
    QBuffer header;
    header.setData(bytes);
    if (header.open(QIODevice::ReadOnly)) {
        const auto units = drawingUnits(header);
        (void)units;
    }
    // The format by the first byte, as such files begin.
    const char *extension = size > 0 && data[0] == '<' ? "kml" : "geojson";
    const QString path = QStringLiteral("%1/site.%2").arg(folder, QLatin1String(extension));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size))
                != static_cast<qint64>(size))
        return 0;
    file.close();
    const QStringList arguments{"footprint",
                                "--site",
                                path,
                                "--origin",
                                "48.1,11.5",
                                "--role",
                                "A-WALL*=obstacle",
                                "--role",
                                "*AREA*=area",
                                "--lat",
                                "48.1",
                                "--lon",
                                "11.5",
                                "--bearing",
                                "45",
                                "--resolution",
                                "1920x1080",
                                "--hfov",
                                "60",
                                "--height",
                                "4",
                                "--tilt",
                                "20"};
    MemorySource input(QByteArray(), 1);
    MemorySink output;
    MemorySink errors;
    const ExitStatus status = runKavreloCli(arguments, {input, output, errors});
    const QByteArray said = errors.all();
    for (const QByteArray &line : said.split('\n')) {
        require(line.isEmpty() || line.startsWith("kavrelo-cli footprint: ")
                        || line.startsWith("Try 'kavrelo-cli footprint --help'"),
                "every message is the program's own", said);
    }
    if (status == ExitStatus::usage)
        require(output.all().isEmpty(), "a refused site writes nothing to standard output", said);
    return 0;
}
