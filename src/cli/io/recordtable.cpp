#include "recordtable.h"

RecordTable::RecordTable(std::vector<std::string> header,
                         std::vector<std::vector<std::string>> rows,
                         std::vector<std::optional<QString>> problems)
    : m_header(std::move(header)), m_rows(std::move(rows)), m_problems(std::move(problems))
{
}

bool RecordTable::readRecord(Record &record)
{
    if (m_next > m_rows.size())
        return false;
    record.assign(m_next == 0 ? m_header : m_rows[m_next - 1]);
    record.line = static_cast<qint64>(m_next) + 1;
    record.error.reset();
    if (m_next > 0 && m_next <= m_problems.size())
        record.error = m_problems[m_next - 1];
    record.lineEnded = true;
    ++m_next;
    return true;
}
