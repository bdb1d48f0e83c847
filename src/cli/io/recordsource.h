#pragma once

#include "record.h"

#include <QString>

#include <functional>
#include <optional>

// Where a batch's records come from, one at a time, so that a batch of any
// length takes the same memory: CSV, or a table held whole (a layer of
// points read by the module of GIS files).
class RecordSource
{
public:
    virtual ~RecordSource();

    // False at the end of the input, or when the source failed.
    virtual bool readRecord(Record &record) = 0;
    // Why the source failed, if it did.
    virtual const std::optional<QString> &readError() const = 0;
    // Where the record that an interruption cut short began, if one did.
    virtual std::optional<qint64> cutShortAt() const = 0;
    // Runs before each wait for more input, so that the caller can hand on
    // its answers first.
    virtual void beforeWait(std::function<void()> hook) = 0;
};
