#pragma once

#include <ogr_spatialref.h>

#include <memory>

// WGS 84 with longitude first, as the rest of the program has its points,
// whatever axis order EPSG gives it.
inline OGRSpatialReference longitudeFirstWgs84()
{
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return wgs84;
}

// From a layer's own coordinate system, in its declared axis order, to
// that; nothing when PROJ has no way.
inline std::unique_ptr<OGRCoordinateTransformation> toEarthFrom(const OGRSpatialReference &system)
{
    const OGRSpatialReference wgs84 = longitudeFirstWgs84();
    return std::unique_ptr<OGRCoordinateTransformation>(
            OGRCreateCoordinateTransformation(&system, &wgs84));
}
