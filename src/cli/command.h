#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

struct InputError;
class QCommandLineOption;
class RecordWriter;
enum class OutputFormat;

// One input of a calculation: an option on the command line and, in a
// batch, the column of the same name.
struct InputSpec
{
    QString name;
    QString valueName;
    QString description;
    bool required = false;
    QString defaultValue = {}; // null: not given unless the user gives it
};

// One result: its CSV column and JSON key, the label a person reads, and how
// its value is shown.
struct ResultSpec
{
    QString key;
    QString label;
    int decimals;
    QString unit;
};

// Inputs that several commands take, named and described alike in each.
InputSpec pixelSizeInput(bool required);
InputSpec focalLengthInput(bool required);
InputSpec horizontalResolutionInput(bool required);
InputSpec horizontalFovInput(bool required);
InputSpec distanceInput();

// A calculation's results in column order. An empty one does not apply
// (the scene width when no distance was given).
using Results = QVector<std::optional<double>>;

enum ExitStatus { exitSuccess = 0, exitBadInput = 1, exitUsage = 2 };

// A subcommand of kavrelo-cli. It declares its inputs and results and
// computes one calculation from the inputs' texts; this base reads the
// command line or the batch file and writes the results in the chosen
// format.
class Command
{
public:
    virtual ~Command();

    QString name() const { return m_name; }
    QString summary() const { return m_summary; }

    // The arguments after the command's name.
    int execute(const QStringList &arguments);

protected:
    Command(QString name, QString summary, QString details);

    void addInput(InputSpec input) { m_inputs.append(std::move(input)); }
    void addResult(ResultSpec result) { m_results.append(std::move(result)); }

    // Called once, before any calculation, with which inputs the command line
    // or the batch's columns give and the command line's texts (null where
    // absent). Returns a usage error, or an empty string when the inputs fit.
    virtual QString prepare(const QVector<bool> &given, const QStringList &commandLine);

    // One calculation from the inputs' texts, in the order they were added.
    // Returns the message for the first input that is unusable, or an empty
    // string after filling in the results.
    virtual QString calculate(const QStringList &values, Results &results) const = 0;

private:
    int runOnce(const QStringList &values, OutputFormat format);
    int runBatch(const QString &path, const QStringList &commandLine, QVector<bool> given,
                 OutputFormat format);
    int finishOutput(RecordWriter &writer, int status) const;
    int reportUsage(const QString &message) const;
    // "kavrelo-cli fov: message"
    void printMessage(const QString &message) const;
    QString helpText(const QList<QCommandLineOption> &options) const;

    QString m_name;
    QString m_summary;
    QString m_details;
    QVector<InputSpec> m_inputs;
    QVector<ResultSpec> m_results;
};

// "Focal length: "4mm" is not a number": the field's word, as the window
// names it, its text and what is wrong with it.
QString fieldError(const QString &fieldWord, const QString &text, const QString &problem);

// The window's parse failure in the command line's words.
QString notANumber(const InputError &error);

// Splits "1920x1080" (or "1920*1080") at the first x or *; false when there
// is neither.
bool splitPair(const QString &text, QString &first, QString &second);

// Parses fields in turn and keeps the first failure, so a calculation can
// read all it needs and check once. Numbers take the window's
// locale-independent syntax; what is not finite and above zero is refused.
class FieldParser
{
public:
    double positive(const QString &fieldWord, const QString &text);
    // An angle of view, strictly between 0 and 180 degrees.
    double fieldOfView(const QString &text);
    void fail(const QString &message);
    const QString &error() const { return m_error; }

private:
    QString m_error;
};

void printError(const QString &message);
