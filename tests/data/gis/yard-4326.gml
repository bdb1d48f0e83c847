<?xml version="1.0" encoding="utf-8" ?>
<ogr:FeatureCollection
     xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
     xsi:schemaLocation="http://ogr.maptools.org/ yard-4326.xsd"
     xmlns:ogr="http://ogr.maptools.org/"
     xmlns:gml="http://www.opengis.net/gml">
  <gml:boundedBy><gml:Envelope srsName="urn:ogc:def:crs:EPSG::4326"><gml:lowerCorner>48.1 11.5</gml:lowerCorner><gml:upperCorner>48.1007644 11.5016814</gml:upperCorner></gml:Envelope></gml:boundedBy>
                                                                                                                                                      
  <ogr:featureMember>
    <ogr:yard gml:id="yard.0">
      <gml:boundedBy><gml:Envelope srsName="urn:ogc:def:crs:EPSG::4326"><gml:lowerCorner>48.1 11.5</gml:lowerCorner><gml:upperCorner>48.1007194 11.5016141</gml:upperCorner></gml:Envelope></gml:boundedBy>
      <ogr:geometryProperty><gml:Polygon srsName="urn:ogc:def:crs:EPSG::4326"><gml:exterior><gml:LinearRing><gml:posList>48.1 11.5 48.1 11.5016141 48.1007194 11.5016141 48.1007194 11.5 48.1 11.5</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon></ogr:geometryProperty>
      <ogr:role>area</ogr:role>
      <ogr:name>yard</ogr:name>
    </ogr:yard>
  </ogr:featureMember>
  <ogr:featureMember>
    <ogr:yard gml:id="yard.1">
      <gml:boundedBy><gml:Envelope srsName="urn:ogc:def:crs:EPSG::4326"><gml:lowerCorner>48.1002698 11.5006726</gml:lowerCorner><gml:upperCorner>48.1004496 11.5010088</gml:upperCorner></gml:Envelope></gml:boundedBy>
      <ogr:geometryProperty><gml:Polygon srsName="urn:ogc:def:crs:EPSG::4326"><gml:exterior><gml:LinearRing><gml:posList>48.1002698 11.5006726 48.1002698 11.5010088 48.1004496 11.5010088 48.1004496 11.5006726 48.1002698 11.5006726</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon></ogr:geometryProperty>
      <ogr:role>obstacle</ogr:role>
      <ogr:name>hall</ogr:name>
      <ogr:height>8</ogr:height>
    </ogr:yard>
  </ogr:featureMember>
  <ogr:featureMember>
    <ogr:yard gml:id="yard.2">
      <gml:boundedBy><gml:Envelope srsName="urn:ogc:def:crs:EPSG::4326"><gml:lowerCorner>48.1000899 11.5012106</gml:lowerCorner><gml:upperCorner>48.1004047 11.5012106</gml:upperCorner></gml:Envelope></gml:boundedBy>
      <ogr:geometryProperty><gml:LineString srsName="urn:ogc:def:crs:EPSG::4326"><gml:posList>48.1000899 11.5012106 48.1004047 11.5012106</gml:posList></gml:LineString></ogr:geometryProperty>
      <ogr:role>obstacle</ogr:role>
      <ogr:name>fence</ogr:name>
      <ogr:height>2</ogr:height>
    </ogr:yard>
  </ogr:featureMember>
  <ogr:featureMember>
    <ogr:yard gml:id="yard.3">
      <gml:boundedBy><gml:Envelope srsName="urn:ogc:def:crs:EPSG::4326"><gml:lowerCorner>48.1005396 11.5013451</gml:lowerCorner><gml:upperCorner>48.1007644 11.5016814</gml:upperCorner></gml:Envelope></gml:boundedBy>
      <ogr:geometryProperty><gml:Polygon srsName="urn:ogc:def:crs:EPSG::4326"><gml:exterior><gml:LinearRing><gml:posList>48.1005396 11.5013451 48.1005396 11.5016814 48.1007644 11.5016814 48.1007644 11.5013451 48.1005396 11.5013451</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon></ogr:geometryProperty>
      <ogr:role>privacy</ogr:role>
      <ogr:name>neighbour</ogr:name>
    </ogr:yard>
  </ogr:featureMember>
</ogr:FeatureCollection>
