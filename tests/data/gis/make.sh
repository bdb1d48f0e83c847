#!/bin/sh
# Makes the yard of ../yard.geojson over again as GIS programs hand sites
# over: a GeoPackage in UTM with no roles, a layer per kind named as
# people name them, and a background layer; a pair of Shapefiles in
# ETRS89 / UTM 32N whose ROLE and HEIGHT are upper-case text fields; and a
# GML whose EPSG:4326 has latitude first; and the cameras of ../yard.csv as
# a GeoPackage of points in UTM, their fields typed as GIS programs type them. Run from anywhere, with gdal-bin;
# the files are committed, so the tests do not need it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
yard=$here/../yard.geojson
cd "$here"
rm -f yard-utm.gpkg yard-polygons.* yard-lines.* yard-4326.gml yard-4326.xsd yard-cameras.gpkg

utm() {
    ogr2ogr -f GPKG -t_srs EPSG:32632 -update -nln "$1" yard-utm.gpkg "$yard" -sql "$2"
}
ogr2ogr -f GPKG -t_srs EPSG:32632 -nln Site_Area yard-utm.gpkg "$yard" \
    -sql "SELECT name FROM yard WHERE role = 'area'"
utm "Gebäude" "SELECT name, height FROM yard WHERE name = 'hall'"
utm "zaun" "SELECT name, height FROM yard WHERE name = 'fence'"
utm "privacy_neighbour" "SELECT name FROM yard WHERE role = 'privacy'"
# The hall again, as the plan's outline of it: drawn, never counted.
utm "Outline" "SELECT name FROM yard WHERE name = 'hall'"

ogr2ogr -f "ESRI Shapefile" -t_srs EPSG:25832 yard-polygons.shp "$yard" \
    -sql "SELECT role AS ROLE, name AS NAME, CAST(height AS character(8)) AS HEIGHT
          FROM yard WHERE OGR_GEOMETRY = 'POLYGON'"
ogr2ogr -f "ESRI Shapefile" -t_srs EPSG:25832 yard-lines.shp "$yard" \
    -sql "SELECT role AS ROLE, name AS NAME, CAST(height AS character(8)) AS HEIGHT
          FROM yard WHERE OGR_GEOMETRY = 'LINESTRING'"

ogr2ogr -f GML -dsco FORMAT=GML3 -a_srs EPSG:4326 yard-4326.gml "$yard"

ogr2ogr -f GPKG -s_srs EPSG:4326 -t_srs EPSG:32632 -nln cameras yard-cameras.gpkg "$here/../yard.csv" \
    -oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -oo AUTODETECT_TYPE=YES \
    -sql "SELECT camera, bearing, resolution, hfov, height, tilt FROM yard"
