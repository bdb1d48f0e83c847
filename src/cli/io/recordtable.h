#pragma once

#include "recordsource.h"

#include <string>
#include <vector>

// Records held whole: a header, then rows, each numbered as the line it
// would have in a CSV file, the header being line 1.
class RecordTable final : public RecordSource
{
public:
    RecordTable(std::vector<std::string> header, std::vector<std::vector<std::string>> rows);

    bool readRecord(Record &record) override;
    const std::optional<QString> &readError() const override { return m_readError; }
    std::optional<qint64> cutShortAt() const override { return std::nullopt; }
    void beforeWait(std::function<void()> /*hook*/) override { }

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
    std::size_t m_next = 0; // 0 for the header
    std::optional<QString> m_readError; // never: it is all read
};
