#include "recordtable.h"

RecordTable::RecordTable(std::vector<std::string> header,
                         std::vector<std::vector<std::string>> rows)
    : m_header(std::move(header)), m_rows(std::move(rows))
{
}

bool RecordTable::readRecord(Record &record)
{
    if (m_next > m_rows.size())
        return false;
    record.assign(m_next == 0 ? m_header : m_rows[m_next - 1]);
    record.line = static_cast<qint64>(m_next) + 1;
    record.error.reset();
    record.lineEnded = true;
    ++m_next;
    return true;
}
