#pragma once

#include "recordsource.h"

#include <string>
#include <vector>

// Records held whole: a header, then rows, each numbered as the line it
// would have in a CSV file, the header being line 1. A row may come with
// why it is no record, for the batch to answer as a row's error.
class RecordTable final : public RecordSource
{
public:
    RecordTable(std::vector<std::string> header, std::vector<std::vector<std::string>> rows,
                std::vector<std::optional<QString>> problems = {});

    bool readRecord(Record &record) override;
    const std::optional<QString> &readError() const override { return m_readError; }
    std::optional<qint64> cutShortAt() const override { return std::nullopt; }
    void beforeWait(std::function<void()> /*hook*/) override { }

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::optional<QString>> m_problems; // none, or one per row
    std::size_t m_next = 0; // 0 for the header
    std::optional<QString> m_readError; // never: it is all read
};
