#pragma once

#include "recordsink.h"

#include <array>
#include <memory>

// The output formats by name. A new format is a RecordSink of its own and a
// line in the table.
struct OutputFormat
{
    const char *name;
    const char *note; // for the help, or null
    std::unique_ptr<RecordSink> (*make)(const ResultTable &results,
                                        const QStringList &passThroughNames, ByteSink &sink);
};

// The default first.
extern const std::array<OutputFormat, 3> outputFormats;
