#pragma once

#include <QString>
#include <QVector>

#include <optional>

// One input of a calculation: an option on the command line and, in a
// batch, the column of the same name.
struct InputSpec
{
    QString name;
    QString valueName;
    QString description;
    bool required = false;
    std::optional<QString> defaultValue = {}; // used when nothing else gives a value
};

// Inputs that several commands take, named and described alike in each.
InputSpec pixelSizeInput(bool required);
InputSpec focalLengthInput(bool required);
// "1920", or "1920x1080" of which the width counts.
InputSpec horizontalResolutionInput(bool required);
InputSpec horizontalFovInput(bool required);
InputSpec distanceInput();

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

private:
    QVector<InputSpec> m_specs;
};

// A header name as the batch compares it.
QString normalizedColumnName(const QString &name);

// The texts of one calculation's inputs, in the order of their table. An
// input that nothing gives is "not given": std::nullopt.
class InputValues
{
public:
    explicit InputValues(int count) : m_values(count) { }

    const std::optional<QString> &operator[](InputId input) const
    {
        return m_values.at(input.m_index);
    }
    bool given(InputId input) const { return m_values.at(input.m_index).has_value(); }

private:
    // By position only for the base, which fills in what a command declared.
    friend class Command;
    std::optional<QString> &at(int index) { return m_values[index]; }
    const std::optional<QString> &at(int index) const { return m_values.at(index); }

    QVector<std::optional<QString>> m_values;
};

// What a command knows before its first calculation: which inputs the
// command line or the batch's columns give, and the command line's values.
struct GivenInputs
{
    const InputValues &commandLine;
    const QVector<int> &columnOfInput; // a batch's column for each input, or -1

    bool given(InputId input) const;
};
