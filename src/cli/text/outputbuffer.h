#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

// Bytes on their way to the sink. Numbers are written in place, since a
// record holds many and appending each costs more than making it.
class OutputBuffer
{
public:
    OutputBuffer &operator+=(std::string_view bytes)
    {
        if (bytes.empty()) // an empty view's data may be null, which memcpy must not see
            return *this;
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        m_size += bytes.size();
        return *this;
    }
    OutputBuffer &operator+=(char byte)
    {
        *room(1) = byte;
        ++m_size;
        return *this;
    }
    // Where to write at most count bytes; commit() then takes them up to end.
    char *room(std::size_t count)
    {
        if (m_bytes.size() - m_size < count)
            m_bytes.resize(std::max(2 * m_bytes.size(), m_size + count));
        return m_bytes.data() + m_size;
    }
    void commit(const char *end) { m_size = static_cast<std::size_t>(end - m_bytes.data()); }

    const char *data() const { return m_bytes.data(); }
    std::size_t size() const { return m_size; }
    void clear() { m_size = 0; }

private:
    std::vector<char> m_bytes;
    std::size_t m_size = 0;
};
