#include "kavrelocli.h"
#include "pixeldensity.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// The command line's installed manual page and bash completion do their
// jobs: the page documents exactly the options each command's help lists,
// and the completion completes the commands, their options and the values
// that have names. Both are compared with the commands themselves.
class CliFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void manualOptions_data();
    void manualOptions();
    void manualLevels();
    void completion_data();
    void completion();

private:
    QString installed(const char *path) const { return m_prefix + QLatin1String(path); }

    QString m_prefix;
    QString m_manual; // rendered as plain text
};

namespace {

using Names = QSet<QString>;

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished() || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

Names longOptions(const Command &command)
{
    Names names;
    for (const QCommandLineOption &option : command.options()) {
        for (const QString &name : option.names()) {
            if (name.size() > 1)
                names << QStringLiteral("--") + name;
        }
    }
    return names;
}

Names optionsIn(const QString &text)
{
    Names names;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*[a-z]"));
    for (auto match = option.globalMatch(text); match.hasNext();)
        names << match.next().captured();
    return names;
}

// The lines of a section (unindented heading) or subsection (three blanks),
// up to the next heading of its level or above.
QString section(const QString &manual, const QString &heading, const QString &indent = {})
{
    const QStringList lines = manual.split(QLatin1Char('\n'));
    const int start = lines.indexOf(indent + heading);
    if (start < 0)
        return {};
    QString text;
    for (int line = start + 1; line < lines.size(); ++line) {
        const QString &next = lines.at(line);
        const bool heading = !next.isEmpty() && !next.at(0).isSpace();
        const bool subheading = next.startsWith(QStringLiteral("   ")) && !next.at(3).isSpace()
                && !indent.isEmpty();
        if (heading || subheading)
            break;
        text += next + QLatin1Char('\n');
    }
    return text;
}

} // namespace

void CliFilesTest::initTestCase()
{
    m_prefix = qEnvironmentVariable("KAVRELO_CLI_PREFIX");
    QVERIFY2(QFileInfo::exists(installed("/bin/kavrelo-cli")), "KAVRELO_CLI_PREFIX has no install");
    // Wide lines and no hyphenation, so an option never breaks in two.
    m_manual = output(QStringLiteral("sh"),
                      {"-c", R"(zcat "$1" | groff -man -Tascii -P-c -P-b -P-u -rLL=300n -rHY=0)",
                       "sh", installed("/share/man/man1/kavrelo-cli.1.gz")});
    QVERIFY(m_manual.contains(QStringLiteral("COMMANDS")));
}

void CliFilesTest::manualOptions_data()
{
    QTest::addColumn<QString>("command");
    for (const auto &command : makeCommands())
        QTest::addRow("%s", qPrintable(command->name())) << command->name();
}

// Each command's subsection and the options all commands share give the
// options of its help, no more and no fewer.
void CliFilesTest::manualOptions()
{
    QFETCH(QString, command);
    for (const auto &known : makeCommands()) {
        if (known->name() != command)
            continue;
        const QString own = section(section(m_manual, QStringLiteral("COMMANDS")), command,
                                    QStringLiteral("   "));
        QVERIFY2(!own.isEmpty(), "the manual has no subsection for the command");
        QCOMPARE(optionsIn(own) + optionsIn(section(m_manual, QStringLiteral("OPTIONS"))),
                 longOptions(*known));
        QVERIFY(optionsIn(known->helpText()) == longOptions(*known));
    }
}

void CliFilesTest::manualLevels()
{
    const QString density = section(section(m_manual, QStringLiteral("COMMANDS")),
                                    QStringLiteral("density"), QStringLiteral("   "))
                                    .simplified();
    for (const DensityLevel &level : densityLevels) {
        const QString named
                = QStringLiteral("%1 %2").arg(QLatin1String(level.name)).arg(level.pixelsPerMetre);
        QVERIFY2(density.contains(named), qPrintable(named));
    }
}

void CliFilesTest::completion_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<Names>("completions");

    const auto commands = makeCommands();
    Names commandNames{"--help", "--version"};
    for (const auto &command : commands)
        commandNames << command->name();
    QTest::newRow("commands") << QStringList{""} << commandNames;
    for (const auto &command : commands) {
        QTest::addRow("%s options", qPrintable(command->name()))
                << QStringList{command->name(), "--"} << longOptions(*command);
        QTest::addRow("%s options after a value", qPrintable(command->name()))
                << QStringList{command->name(), "--format", "csv", "--"} << longOptions(*command);
    }
    Names formats;
    for (const QCommandLineOption &option : commands.front()->options()) {
        if (option.names().contains(QStringLiteral("format")))
            for (const QString &format : option.valueName().split(QLatin1Char('|')))
                formats << format;
    }
    QTest::newRow("formats") << QStringList{"fov", "--format", ""} << formats;
    Names levels;
    for (const DensityLevel &level : densityLevels)
        levels << QLatin1String(level.name);
    QTest::newRow("levels") << QStringList{"lens", "--level", ""} << levels;
    QTest::newRow("a prefix") << QStringList{"lens", "--le"} << Names{"--level"};
    QTest::newRow("a value to type") << QStringList{"density", "--hfov", ""} << Names{};
}

// The completion as bash calls it: sourced, then its function called with
// the words typed so far, the last one being completed.
void CliFilesTest::completion()
{
    QFETCH(QStringList, words);
    const QString script = QStringLiteral(R"(source "$1" && shift &&
        function=$(complete -p kavrelo-cli | sed -n 's/.* -F \([^ ]*\) .*/\1/p') &&
        COMP_WORDS=(kavrelo-cli "$@") && COMP_CWORD=$# && "$function" 2>/dev/null;
        printf '%s\n' "${COMPREPLY[@]}")");
    const QString completed
            = output(QStringLiteral("bash"),
                     QStringList{"-c", script, "bash",
                                 installed("/share/bash-completion/completions/kavrelo-cli")}
                             + words);
    const QStringList lines = completed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QTEST(Names(lines.begin(), lines.end()), "completions");
}

QTEST_GUILESS_MAIN(CliFilesTest)
#include "tst_clifiles.moc"
