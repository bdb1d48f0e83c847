#!/usr/bin/python3
"""Makes the office floor plan the tests read, as an architect draws one,
with ezdxf (python3-ezdxf), and the same office on the earth with GDAL's
Python (python3-gdal), through PROJ's azimuthal equidistant projection about
the plan's origin: as GeoJSON in degrees, and as a GeoPackage in UTM 32N.
The files are committed; run this only to change them.

The office, in millimetres ($INSUNITS 4), 20 m by 10 m: the floor on A-AREA
as four loose lines, one corner missing its neighbour by 0.4 mm, and a stray
line that closes nothing; an inner wall at y = 6 m with a door gap from
x = 14 to 15 m (two lines on A-WALL) between the office and the corridor
north of it; outer walls as closed 200 mm polylines outside the floor; a
glass partition on A-GLAZ from (8, 3) to (12, 3) m; a server room on
A-AREA-PRIV (x 16 to 20 m, y 0 to 3 m, a closed polyline); and, drawn only,
a door's swing (A-DOOR), desks as a block (A-FURN), a hatch (A-FLOR-PATT)
and room names (A-ANNO-TEXT).
"""
import json
import os

import ezdxf
from osgeo import ogr, osr

here = os.path.dirname(os.path.abspath(__file__))
ORIGIN = (48.1, 11.5)  # lat, lon of the plan's (0, 0); north along +y


def office_dxf(path):
    doc = ezdxf.new("R2010", setup=False)
    doc.units = ezdxf.units.MM
    for name in ("A-AREA", "A-AREA-PRIV", "A-WALL", "A-GLAZ", "A-DOOR", "A-FURN",
                 "A-FLOR-PATT", "A-ANNO-TEXT"):
        doc.layers.add(name)
    msp = doc.modelspace()
    area = {"layer": "A-AREA"}
    msp.add_line((0, 0), (20000, 0), dxfattribs=area)
    msp.add_line((20000, 0), (20000, 10000.4), dxfattribs=area)  # the slip
    msp.add_line((20000, 10000), (0, 10000), dxfattribs=area)
    msp.add_line((0, 10000), (0, 0), dxfattribs=area)
    msp.add_line((2000, -1000), (8000, -1000), dxfattribs=area)  # closes nothing
    wall = {"layer": "A-WALL"}
    msp.add_line((0, 6000), (14000, 6000), dxfattribs=wall)
    msp.add_line((15000, 6000), (20000, 6000), dxfattribs=wall)
    for box in ((-200, -200, 20200, 0), (-200, 10000, 20200, 10200),
                (-200, 0, 0, 10000), (20000, 0, 20200, 10000)):
        x0, y0, x1, y1 = box
        msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True,
                           dxfattribs=wall)
    msp.add_line((8000, 3000), (12000, 3000), dxfattribs={"layer": "A-GLAZ"})
    msp.add_lwpolyline([(16000, 0), (20000, 0), (20000, 3000), (16000, 3000)], close=True,
                       dxfattribs={"layer": "A-AREA-PRIV"})
    msp.add_arc((14000, 6000), 1000, 0, 90, dxfattribs={"layer": "A-DOOR"})
    msp.add_line((14000, 6000), (14000, 7000), dxfattribs={"layer": "A-DOOR"})
    desk = doc.blocks.new("DESK")
    desk.add_lwpolyline([(0, 0), (1600, 0), (1600, 800), (0, 800)], close=True)
    for at in ((3000, 4500), (9000, 4500)):
        msp.add_blockref("DESK", at, dxfattribs={"layer": "A-FURN"})
    hatch = msp.add_hatch(color=8, dxfattribs={"layer": "A-FLOR-PATT"})
    hatch.paths.add_polyline_path([(500, 500), (1500, 500), (1500, 1500), (500, 1500)])
    msp.add_text("OFFICE", dxfattribs={"layer": "A-ANNO-TEXT", "height": 300}).set_placement(
        (8000, 2000))
    msp.add_text("CORRIDOR", dxfattribs={"layer": "A-ANNO-TEXT", "height": 300}).set_placement(
        (8000, 8000))
    doc.saveas(path)


def plane_to_earth():
    plane = osr.SpatialReference()
    plane.ImportFromProj4("+proj=aeqd +lat_0=%r +lon_0=%r +datum=WGS84 +units=m" % ORIGIN)
    wgs84 = osr.SpatialReference()
    wgs84.ImportFromEPSG(4326)
    wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    return osr.CoordinateTransformation(plane, wgs84)


def ring(points):
    return points + [points[0]]


def office_features():
    """The office in metres, as GeoJSON features in the plane."""
    def box(x0, y0, x1, y1):
        return ring([[x0, y0], [x1, y0], [x1, y1], [x0, y1]])
    return [
        ({"role": "area", "name": "floor"}, {"type": "Polygon", "coordinates": [box(0, 0, 20, 10)]}),
        ({"role": "obstacle", "name": "inner wall"},
         {"type": "MultiLineString", "coordinates": [[[0, 6], [14, 6]], [[15, 6], [20, 6]]]}),
        ({"role": "obstacle", "name": "outer walls"},
         {"type": "MultiPolygon", "coordinates": [[box(-0.2, -0.2, 20.2, 0)],
                                                  [box(-0.2, 10, 20.2, 10.2)],
                                                  [box(-0.2, 0, 0, 10)], [box(20, 0, 20.2, 10)]]}),
        ({"role": "obstacle", "name": "glass", "height": 1.1},
         {"type": "LineString", "coordinates": [[8, 3], [12, 3]]}),
        ({"role": "privacy", "name": "server room"},
         {"type": "Polygon", "coordinates": [box(16, 0, 20, 3)]}),
    ]


def earth_files():
    transform = plane_to_earth()
    features = []
    for properties, geometry in office_features():
        shape = ogr.CreateGeometryFromJson(json.dumps(geometry))
        shape.Transform(transform)
        features.append({"type": "Feature", "properties": properties,
                         "geometry": json.loads(shape.ExportToJson(["COORDINATE_PRECISION=10"]))})
    with open(os.path.join(here, "office.geojson"), "w") as out:
        json.dump({"type": "FeatureCollection", "features": features}, out, indent=1)
        out.write("\n")
    gpkg = os.path.join(here, "office-utm.gpkg")
    if os.path.exists(gpkg):
        os.remove(gpkg)
    utm = osr.SpatialReference()
    utm.ImportFromEPSG(32632)
    options = gdal_options = ["-t_srs", "EPSG:32632", "-nln", "office"]
    from osgeo import gdal
    gdal.VectorTranslate(gpkg, os.path.join(here, "office.geojson"), options=options)
    # The camera of the schedule, on the earth.
    point = ogr.CreateGeometryFromJson('{"type":"Point","coordinates":[10,1]}')
    point.Transform(transform)
    with open(os.path.join(here, "office-camera.csv"), "w") as out:
        out.write("camera,lat,lon\ndoorway,%.10f,%.10f\n" % (point.GetY(), point.GetX()))


office_dxf(os.path.join(here, "office.dxf"))
earth_files()
