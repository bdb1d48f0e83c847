#pragma once

// model/: what a calculation takes and gives: its inputs by name (here) and
// its results by name (results.h).

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// One input of a calculation: an option on the command line and, in a
// batch, the column of the same name.
// Whether a calculation cannot go without an input.
enum class Need { optional, required };

struct InputSpec
{
    QString name;
    QString valueName;
    QString description;
    Need need = Need::optional;
    std::optional<QString> defaultValue = {}; // used when nothing else gives a value
    bool fromColumns = true; // whether a batch's column of its name feeds it
    QStringList columnAliases = {}; // other names of its column, such as OpenStreetMap's
    // Given more than once on the command line, its values join with this:
    // a comma, or a NUL for values such as file names that may hold one.
    bool repeatable = false;
    QChar joinedBy = QLatin1Char(',');
};

// The values of a repeatable input that joins them with a NUL.
constexpr QChar wholeValuesSeparator = QChar(0);
QStringList wholeValues(const std::optional<QString> &joined);

// Inputs that several commands take, named and described alike in each.
InputSpec pixelSizeInput(Need need);
InputSpec focalLengthInput(Need need);
// "1920", or "1920x1080" of which the width counts.
InputSpec horizontalResolutionInput(Need need);
InputSpec horizontalFovInput(Need need);
InputSpec distanceInput();
// An option that a batch's column of its name does not feed, but passes
// through.
InputSpec commandLineOnly(InputSpec input);

// A handle to a declared input. Only its table makes one, so a calculation
// can reach an input only through what was declared.
class InputId
{
private:
    explicit InputId(int index) : m_index(index) { }
    int m_index;

    friend class InputTable;
    friend class InputValues;
    friend struct GivenInputs;
};

class InputTable
{
public:
    InputId add(InputSpec input);
    const QVector<InputSpec> &specs() const { return m_specs; }
    // The input that a batch column named so feeds, if any: case, blanks
    // around the name and _ for - do not matter.
    std::optional<int> indexOfColumn(const QString &columnName) const;
    // The option for the whole run that a column of this name would seem
    // to give, such as --origin, which no column feeds.
    std::optional<int> indexOfWholeRunOption(const QString &columnName) const;

private:
    QVector<InputSpec> m_specs;
};

// A header name as the batch compares it.
QString normalizedColumnName(const QString &name);

// An input as a calculation reads it: its bytes, or nothing when it is not
// given, and the number they hold, or the numbers on either side of a pair's
// separator, where those were read once for the whole run (a command line's
// value, the same on every row).
struct FieldValue
{
    std::optional<std::string_view> bytes;
    std::optional<double> number = {};
    std::optional<std::pair<double, double>> pair = {};
};

// One calculation's inputs as UTF-8 bytes, in the order of their table,
// viewed where the batch or the command line holds them. An input that
// nothing gives is "not given": std::nullopt.
class InputValues
{
public:
    explicit InputValues(int count)
        : m_fields(static_cast<std::size_t>(count)), m_fromRow(static_cast<std::size_t>(count))
    {
    }

    // The input as text, for the general path and for messages.
    std::optional<QString> operator[](InputId input) const;
    std::optional<std::string_view> bytes(InputId input) const { return at(input.m_index); }
    bool given(InputId input) const { return at(input.m_index).has_value(); }
    const FieldValue &field(InputId input) const { return fieldAt(input.m_index); }
    // Whether a batch row's own cell gives it, rather than the command line.
    bool fromRow(InputId input) const { return m_fromRow[static_cast<std::size_t>(input.m_index)]; }
    // The batch line the values come from, 0 outside a batch.
    qint64 line() const { return m_line; }

private:
    // By position only for the base and the batch, which fill in what a
    // command declared.
    friend class Command;
    friend class BatchRun;
    friend struct BatchRecord;
    FieldValue &fieldAt(int index) { return m_fields[static_cast<std::size_t>(index)]; }
    const FieldValue &fieldAt(int index) const { return m_fields[static_cast<std::size_t>(index)]; }
    const std::optional<std::string_view> &at(int index) const { return fieldAt(index).bytes; }

    void setFromRow(int index, bool fromRow)
    {
        m_fromRow[static_cast<std::size_t>(index)] = fromRow;
    }

    std::vector<FieldValue> m_fields;
    std::vector<bool> m_fromRow;
    qint64 m_line = 0;
};

// What a command knows before its first calculation: which inputs the
// command line or the batch's columns give, and the command line's values.
struct GivenInputs
{
    const InputValues &commandLine;
    const QVector<int> &columnOfInput; // a batch's column for each input, or -1
    bool batch;

    bool given(InputId input) const;
    bool fedByColumn(InputId input) const;
};
