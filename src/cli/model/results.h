#pragma once

#include <QString>
#include <QVector>

#include <optional>
#include <vector>

// What a calculation gives: its results, declared by name, and one
// calculation's values of them. The writer shows them in the declared order.

// One result: its CSV column and JSON key, the label a person reads, and how
// its value is shown.
struct ResultSpec
{
    QString key;
    QString label;
    int decimals;
    QString unit;
};

// A handle to a declared result. Only its table makes one, so a calculation
// can reach a result only through what was declared.
class ResultId
{
private:
    explicit ResultId(int column) : m_column(column) { }
    int m_column;

    friend class ResultTable;
    friend class Results;
};

// A command's results in column order.
class ResultTable
{
public:
    ResultId add(ResultSpec result);
    const QVector<ResultSpec> &specs() const { return m_specs; }
    const ResultSpec &declared(ResultId result) const { return m_specs.at(result.m_column); }

private:
    QVector<ResultSpec> m_specs;
};

// One calculation's values. A result left unset does not apply (the scene
// width when no distance was given).
class Results
{
public:
    explicit Results(const ResultTable &table);

    void set(ResultId result, double value)
    {
        m_values[static_cast<std::size_t>(result.m_column)] = value;
    }
    void clear();
    // The label of the first result that is set but not finite, if any;
    // infinity is a value of the results listed.
    std::optional<QString> firstNonFinite(const std::vector<ResultId> &infinite) const;

private:
    // By column only for the writer, which shows them all in order.
    friend class RecordSink;
    const std::optional<double> &at(int column) const
    {
        return m_values[static_cast<std::size_t>(column)];
    }

    const ResultTable &m_table;
    std::vector<std::optional<double>> m_values;
};
