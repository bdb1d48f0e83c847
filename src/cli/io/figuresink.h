#pragma once

#include "recordsink.h"

#include <optional>
#include <utility>
#include <vector>

// Records kept as the text a person reads, for a page to lay out rather
// than a stream: each result as the text table shows it.
class FigureSink final : public RecordSink
{
public:
    explicit FigureSink(const ResultTable &results, const QStringList &passThroughNames = {});

    struct Record
    {
        QStringList passThrough;
        std::vector<std::optional<QString>> values; // with their units; none where unset
        QString error;
    };
    const std::vector<Record> &records() const { return m_records; }
    // A record's results that apply, each with its label.
    std::vector<std::pair<QString, QString>> figures(std::size_t record) const;
    const QVector<ResultSpec> &specs() const { return m_results; }

private:
    void write(const FieldList &passThrough, const Results *results, const QString &error) override;

    std::vector<Record> m_records;
};
