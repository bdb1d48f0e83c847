#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One record's fields as UTF-8 bytes, in storage that the next record
// reuses: read a batch of any length without allocating per record.
class Record
{
public:
    qint64 line = 0; // where the record starts, from 1
    std::optional<QString> error; // why the record is malformed
    bool lineEnded = true; // false for a last record that the input's end closed

    int size() const { return static_cast<int>(m_ends.size()); }
    std::string_view field(int index) const
    {
        const std::size_t start = index == 0 ? 0 : m_ends[static_cast<std::size_t>(index) - 1];
        return std::string_view(m_bytes).substr(start,
                                                m_ends[static_cast<std::size_t>(index)] - start);
    }
    QStringList texts() const;
    // The record of these fields, for a source that holds them whole.
    void assign(const std::vector<std::string> &fields);

private:
    friend class CsvReader; // which fills it byte by byte
    std::string m_bytes; // the fields one after another
    std::vector<std::size_t> m_ends; // where each field ends in m_bytes
};
