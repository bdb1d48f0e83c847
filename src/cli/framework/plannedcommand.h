#pragma once

#include "command.h"

// What a command's calculation makes beside its results when it publishes
// nothing.
struct NoProduct
{
};

// What a command that keeps nothing across its records keeps.
struct NoRun
{
};

// A command in its own types: prepare() turns what is given into a Plan,
// once (the constants of a batch, which way the camera is given);
// calculate() receives that plan with each set of values and fills in the
// results, and may leave a Product (mount's survey) that publish() then
// draws and write() then writes, so nothing is computed twice. A command
// that answers for the whole run collects its records in a Run, through
// write(), and answers in endRun().
template <typename Plan, typename Product = NoProduct, typename Run = NoRun>
class PlannedCommand : public Command
{
protected:
    using Command::Command;

    virtual std::variant<UsageError, Plan> prepare(const GivenInputs &given) const = 0;
    virtual std::optional<QString> calculate(const Plan &plan, const InputValues &values,
                                             Results &results, Product &product) const = 0;
    // Records calculated at once; calculate() must then be safe to call
    // from several threads.
    virtual int jobs(const Plan & /*plan*/) const { return 1; }
    virtual bool publishes(const Plan & /*plan*/) const { return false; }
    virtual std::optional<QString> refusesOutput(const Plan & /*plan*/) const
    {
        return std::nullopt;
    }
    virtual QStringList outputFiles(const Plan & /*plan*/) const { return {}; }
    virtual QStringList warnings(const Plan & /*plan*/) const { return {}; }
    virtual std::optional<PublishFailure> publish(const Plan & /*plan*/,
                                                  const Product & /*product*/,
                                                  const QString & /*recordName*/) const
    {
        return std::nullopt;
    }
    // The results of a run: those declared, unless the plan has its own,
    // such as levels of the user's.
    virtual const ResultTable &results(const Plan & /*plan*/) const { return resultTable(); }
    virtual std::unique_ptr<RecordSink> makeSink(const Plan &plan, Run & /*run*/,
                                                 const OutputFormat &format,
                                                 const QStringList &passThroughNames,
                                                 const Streams &streams) const
    {
        return recordSink(results(plan), format, passThroughNames, streams);
    }
    // A record's results into the sink, unless the command writes or keeps
    // more of it (the product is the calculation's, to be taken); why it is
    // a record in error after all, if it is.
    virtual std::optional<QString> write(const Plan & /*plan*/, Run & /*run*/,
                                         Product && /*product*/, RecordSink &sink,
                                         const Results &results, const RecordAnswer &answer) const
    {
        sink.record(answer.passThrough, results);
        return std::nullopt;
    }
    virtual void writeError(const Plan & /*plan*/, Run & /*run*/, RecordSink &sink,
                            const QString &message, const RecordAnswer &answer,
                            const Streams & /*streams*/) const
    {
        sink.error(answer.passThrough, message);
    }
    virtual RunEnd endRun(const Plan & /*plan*/, Run && /*run*/, RecordSink & /*sink*/,
                          const Streams & /*streams*/) const
    {
        return {};
    }
    virtual bool answersAtEnd(const Plan & /*plan*/) const { return false; }

private:
    class Bound final : public Calculation
    {
    public:
        Bound(const PlannedCommand &command, Plan plan)
            : m_command(command), m_plan(std::move(plan))
        {
        }
        int jobs() const override { return m_command.jobs(m_plan); }
        void setSlots(std::size_t count) override { m_products.resize(count); }
        std::optional<QString> calculate(std::size_t slot, const InputValues &values,
                                         Results &results) override
        {
            return m_command.calculate(m_plan, values, results, m_products[slot]);
        }
        bool publishes() const override { return m_command.publishes(m_plan); }
        std::optional<QString> refusesOutput() const override
        {
            return m_command.refusesOutput(m_plan);
        }
        QStringList outputFiles() const override { return m_command.outputFiles(m_plan); }
        QStringList warnings() const override { return m_command.warnings(m_plan); }
        std::optional<PublishFailure> publish(std::size_t slot,
                                              const QString &recordName) const override
        {
            return m_command.publish(m_plan, m_products[slot], recordName);
        }
        const ResultTable &results() const override { return m_command.results(m_plan); }
        std::unique_ptr<RecordSink> makeSink(const OutputFormat &format,
                                             const QStringList &passThroughNames,
                                             const Streams &streams) override
        {
            return m_command.makeSink(m_plan, m_run, format, passThroughNames, streams);
        }
        std::optional<QString> write(std::size_t slot, RecordSink &sink, const Results &results,
                                     const RecordAnswer &answer) override
        {
            return m_command.write(m_plan, m_run, std::move(m_products[slot]), sink, results,
                                   answer);
        }
        void writeError(RecordSink &sink, const QString &message, const RecordAnswer &answer,
                        const Streams &streams) override
        {
            m_command.writeError(m_plan, m_run, sink, message, answer, streams);
        }
        RunEnd endRun(RecordSink &sink, const Streams &streams) override
        {
            return m_command.endRun(m_plan, std::move(m_run), sink, streams);
        }
        bool answersAtEnd() const override { return m_command.answersAtEnd(m_plan); }

    private:
        const PlannedCommand &m_command;
        Plan m_plan;
        std::vector<Product> m_products = std::vector<Product>(1);
        Run m_run{};
    };

    std::variant<UsageError, std::unique_ptr<Calculation>>
    makeCalculation(const GivenInputs &given) const final
    {
        auto plan = prepare(given);
        if (auto *error = std::get_if<UsageError>(&plan))
            return *error;
        return std::unique_ptr<Calculation>(
                std::make_unique<Bound>(*this, std::move(std::get<Plan>(plan))));
    }
};

// The plan of a command that needs none.
struct NoPlan
{
};
