#include "figuresink.h"

#include "streams.h"
#include "textappend.h"

namespace {

// The records stay in memory; nothing is written.
class NoBytes final : public ByteSink
{
public:
    bool write(const char * /*data*/, qint64 /*size*/) override { return true; }
    QString errorString() const override { return {}; }
};

NoBytes noBytes;

} // namespace

FigureSink::FigureSink(const ResultTable &results, const QStringList &passThroughNames)
    : RecordSink(results, passThroughNames, noBytes)
{
}

void FigureSink::write(const FieldList &passThrough, const Results *results, const QString &error)
{
    Record record;
    for (const auto &field : passThrough)
        record.passThrough << fieldText(field);
    record.error = error;
    if (results) {
        for (int column = 0; column < m_results.size(); ++column) {
            const auto &value = resultValue(*results, column);
            const ResultSpec &result = m_results.at(column);
            record.values.push_back(value ? std::optional<QString>(
                                            shownWithUnit(*value, result.decimals, result.unit))
                                          : std::nullopt);
        }
    }
    m_records.push_back(std::move(record));
}

std::vector<std::pair<QString, QString>> FigureSink::figures(std::size_t record) const
{
    std::vector<std::pair<QString, QString>> shown;
    const Record &kept = m_records.at(record);
    for (std::size_t column = 0; column < kept.values.size(); ++column) {
        if (kept.values[column])
            shown.emplace_back(m_results.at(static_cast<int>(column)).label, *kept.values[column]);
    }
    return shown;
}
