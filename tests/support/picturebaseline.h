#pragma once

#include <QImage>
#include <QString>

// Compares a picture pixel for pixel with the baseline of its name in
// baselineDir. The actual picture goes to actualDir and, on a difference,
// one with the differing pixels in red over a faded baseline beside it.
// With KAVRELO_UPDATE_BASELINES set, the picture becomes the baseline.
// Returns what differs, or nothing.
QString differenceFromBaseline(const QImage &picture, const QString &name,
                               const QString &baselineDir, const QString &actualDir);
