#include "siterun.h"

#include "interruption.h"

#include <utility>

std::optional<QString> workShare(const SiteInputs &inputs, PlacedRecord &placed)
{
    auto share = inputs.site->coverageShare(placed.camera, inputs.levels);
    if (auto *problem = std::get_if<QString>(&share))
        return std::move(*problem);
    placed.share = std::get<std::optional<CameraShare>>(std::move(share));
    return std::nullopt;
}

CoverageBuilder &SiteRun::builder(const SiteInputs &inputs)
{
    if (!m_builder)
        m_builder = inputs.site->startCoverage(inputs.levels);
    return *m_builder;
}

std::optional<QString> SiteRun::add(const SiteInputs &inputs, Camera camera)
{
    // Its share is the builder's now, and not kept twice.
    if (const auto problem = builder(inputs).add(
                {camera.name, camera.placed.camera, std::exchange(camera.placed.share, {})}))
        return problem;
    m_cameras.push_back(std::move(camera));
    return std::nullopt;
}

std::variant<QString, SiteRun::Ended> SiteRun::finish(const SiteInputs &inputs,
                                                      CoverageWanted wanted) &&
{
    wanted.jobs = inputs.jobs;
    auto covered = std::move(builder(inputs)).finish(wanted, &Interruption::came);
    if (auto *problem = std::get_if<QString>(&covered))
        return std::move(*problem);
    return Ended{std::move(m_cameras), std::move(m_leftOut),
                 std::get<SiteCoverage>(std::move(covered))};
}

std::optional<QString> SiteRun::leftOutNote(const char *what) const
{
    if (m_leftOut.isEmpty())
        return std::nullopt;
    const std::size_t placed = m_cameras.size();
    return QStringLiteral("the %1 is of the %2 %3 that could be placed; %4 could not")
            .arg(QLatin1String(what))
            .arg(placed)
            .arg(placed == 1 ? QStringLiteral("camera") : QStringLiteral("cameras"))
            .arg(m_leftOut.size());
}
