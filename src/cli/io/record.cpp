#include "record.h"

#include "fieldtext.h"
#include "recordsource.h"

QStringList Record::texts() const
{
    QStringList texts;
    for (int index = 0; index < size(); ++index)
        texts << fieldText(field(index));
    return texts;
}

RecordSource::~RecordSource() = default;

void Record::assign(const std::vector<std::string> &fields)
{
    m_bytes.clear();
    m_ends.clear();
    for (const std::string &field : fields) {
        m_bytes += field;
        m_ends.push_back(m_bytes.size());
    }
}
