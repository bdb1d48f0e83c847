#include "kavrelocli.h"
#include "pixeldensity.h"

#include <QProcess>
#include <QSet>
#include <QTest>

#include <algorithm>

using Names = QSet<QString>;

// The command line's installed manual page and bash completion do their
// jobs: the page documents exactly the options each command's help lists,
// and the completion completes the commands, their options and the values
// that have names. Both are compared with the commands themselves.
class CliFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void manual_data();
    void manual();
    void completion_data();
    void completion();

private:
    QString m_prefix;
    QString m_manual; // rendered as plain text
};

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

Names names(const QStringList &list)
{
    return Names(list.begin(), list.end());
}

Names longOptions(const Command &command)
{
    Names options;
    for (const QCommandLineOption &option : command.options()) {
        if (option.names().constLast().size() > 1) // -x and -y are short only
            options << QStringLiteral("--") + option.names().constLast();
    }
    return options;
}

// No regular expressions here: valgrind takes their JIT code for bad reads.
Names optionsIn(const QString &text)
{
    Names options;
    for (int at = text.indexOf("--"); at >= 0; at = text.indexOf("--", at + 2)) {
        int end = at + 2;
        while (end < text.size() && (text.at(end).isLower() || text.at(end) == '-'))
            ++end;
        const QString option = text.mid(at, end - at);
        if (option.size() > 3 && option.at(2).isLower() && !option.endsWith('-'))
            options << option;
    }
    return options;
}

// From a heading line to the next line indented no deeper.
QString section(const QString &text, const QString &heading, int indent)
{
    const QStringList lines = text.split('\n');
    QString body;
    for (int line = lines.indexOf(QString(indent, ' ') + heading) + 1;
         line > 0 && line < lines.size(); ++line) {
        const QString &next = lines.at(line);
        const auto first
                = std::find_if(next.begin(), next.end(), [](QChar c) { return !c.isSpace(); });
        if (first != next.end() && first - next.begin() <= indent)
            break;
        body += next + '\n';
    }
    return body;
}

} // namespace

void CliFilesTest::initTestCase()
{
    m_prefix = qEnvironmentVariable("KAVRELO_CLI_PREFIX");
    // Wide lines and no hyphenation, so an option never breaks in two.
    m_manual = output("sh",
                      {"-c", R"(zcat "$1" | groff -man -Tascii -P-c -P-b -P-u -rLL=300n -rHY=0)",
                       "sh", m_prefix + "/share/man/man1/kavrelo-cli.1.gz"});
    QVERIFY2(m_manual.contains("COMMANDS"), "KAVRELO_CLI_PREFIX holds no rendered manual");
}

void CliFilesTest::manual_data()
{
    QTest::addColumn<int>("index");
    const auto commands = makeCommands();
    for (std::size_t index = 0; index < commands.size(); ++index)
        QTest::addRow("%s", qPrintable(commands[index]->name())) << int(index);
}

// Each command's subsection with the options all commands share gives the
// options of its help, no more and no fewer.
void CliFilesTest::manual()
{
    QFETCH(int, index);
    const auto commands = makeCommands();
    const Command &command = *commands.at(static_cast<std::size_t>(index));
    const QString own = section(section(m_manual, "COMMANDS", 0), command.name(), 3);
    QCOMPARE(optionsIn(own) + optionsIn(section(m_manual, "OPTIONS", 0)), longOptions(command));
    QCOMPARE(optionsIn(command.helpText()), longOptions(command));
    // Every level with its density, where the levels are named.
    if (command.name() == QLatin1String("density")) {
        for (const DensityLevel &level : densityLevels) {
            const QString named = QStringLiteral("%1 %2").arg(level.name).arg(level.pixelsPerMetre);
            QVERIFY2(own.simplified().contains(named), qPrintable(named));
        }
    }
}

void CliFilesTest::completion_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<Names>("completions");

    const auto commands = makeCommands();
    Names commandNames{"-h", "--help", "-v", "--version"};
    for (const auto &command : commands) {
        commandNames << command->name();
        const QByteArray name = command->name().toUtf8();
        QTest::addRow("%s options", name.constData())
                << QStringList{command->name(), "--"} << longOptions(*command);
        QTest::addRow("%s options after a value", name.constData())
                << QStringList{command->name(), "--format", "csv", "--"} << longOptions(*command);
    }
    QTest::newRow("commands") << QStringList{""} << commandNames;
    for (const QCommandLineOption &option : commands.front()->options()) {
        if (!option.names().contains("format"))
            continue;
        const Names formats = names(option.valueName().split(QLatin1Char('|')));
        QTest::newRow("formats") << QStringList{"fov", "--format", ""} << formats;
        // Bash splits --format=c at the = unless told otherwise.
        QTest::newRow("formats after =") << QStringList{"fov", "--format", "=", ""} << formats;
        QTest::newRow("formats right after =") << QStringList{"fov", "--format", "="} << formats;
        QTest::newRow("formats, one word")
                << QStringList{"fov", "--format=c"} << Names{"--format=csv"};
        QTest::newRow("formats after =, begun")
                << QStringList{"fov", "--format", "=", "j"} << Names{"json"};
    }
    // Every value that has names offers them: the formats of a command
    // with its own, and such choices as the paper.
    for (const auto &command : commands) {
        for (const QCommandLineOption &option : command->options()) {
            const QString &choices = option.valueName();
            if (!choices.contains(QLatin1Char('|'))
                || (option.names().contains("format") && command->name() == "fov"))
                continue;
            QTest::addRow("%s --%s", qPrintable(command->name()),
                          qPrintable(option.names().constLast()))
                    << QStringList{command->name(), "--" + option.names().constLast(), ""}
                    << names(choices.split(QLatin1Char('|')));
        }
    }
    Names levels;
    for (const DensityLevel &level : densityLevels)
        levels << level.name;
    QTest::newRow("levels") << QStringList{"lens", "--level", ""} << levels;
    QTest::newRow("a prefix") << QStringList{"lens", "--leve"} << Names{"--level", "--levels"};
    QTest::newRow("a value to type") << QStringList{"density", "--hfov", ""} << Names{};
}

// The completion as bash calls it: sourced, then its function called with
// the words typed so far, the last one being completed.
void CliFilesTest::completion()
{
    QFETCH(QStringList, words);
    const QString script = R"(source "$1" && shift &&
        function=$(complete -p kavrelo-cli | sed -n 's/.* -F \([^ ]*\) .*/\1/p') &&
        COMP_WORDS=(kavrelo-cli "$@") && COMP_CWORD=$# && "$function" 2>/dev/null;
        printf '%s\n' "${COMPREPLY[@]}")";
    const QString completion = m_prefix + "/share/bash-completion/completions/kavrelo-cli";
    const QString completed = output("bash", QStringList{"-c", script, "bash", completion} + words);
    QTEST(names(completed.split(QLatin1Char('\n'), Qt::SkipEmptyParts)), "completions");
}

QTEST_GUILESS_MAIN(CliFilesTest)
#include "tst_clifiles.moc"
