# A town as an OpenStreetMap extract (OSM XML, for osmium to make a .pbf):
# blocks of 100 m between streets, each with 80 buildings on a grid of
# 10 m plots, 8 wall, hedge or fence segments along its edges, and cameras
# on the streets' edges looking along them. Heights come by every rule and
# in mappers' forms: height as "12", "12 m" or "40'", building:levels with
# or without roof:height, or nothing. Cameras' directions are degrees, a
# compass point or a list; one in twenty has none and one in forty a
# range, as real extracts have them. Always the same for the same counts.
# Usage: awk -v buildings=N -v cameras=N -f generate-town.awk >town.osm
function lon(x) { return 11.5 + x / (111320 * cos(48.1 * 3.141592653589793 / 180)) }
function lat(y) { return 48.1 + y / 111200 }
function node(x, y, tags) {
    printf "<node id=\"%d\" version=\"1\" lat=\"%.7f\" lon=\"%.7f\"%s\n", ++nodes, lat(y), lon(x), (tags == "" ? "/>" : ">" tags "</node>")
    return nodes
}
function tag(k, v) { return "<tag k=\"" k "\" v=\"" v "\"/>" }
function way(refs, tags) { ways[++wayCount] = "<way id=\"" wayCount "\" version=\"1\">" refs tags "</way>" }
function nd(id) { return "<nd ref=\"" id "\"/>" }
function rect(x, y, w, h, tags,    a) {
    a = node(x, y, ""); node(x + w, y, ""); node(x + w, y + h, ""); node(x, y + h, "")
    way(nd(a) nd(a + 1) nd(a + 2) nd(a + 3) nd(a), tags)
}
function line(x1, y1, x2, y2, tags,    a) {
    a = node(x1, y1, ""); node(x2, y2, "")
    way(nd(a) nd(a + 1), tags)
}
function buildingTags(i,    r) {
    r = i % 9
    if (r == 0) return tag("building", "yes") tag("height", sprintf("%d", 6 + i % 15))
    if (r == 1) return tag("building", "house") tag("height", sprintf("%.1f m", 5 + (i % 40) / 4))
    if (r == 2) return tag("building", "yes") tag("height", sprintf("%d'", 20 + i % 30))
    if (r == 3) return tag("building", "apartments") tag("building:levels", 2 + i % 6)
    if (r == 4) return tag("building", "yes") tag("building:levels", 1 + i % 3) tag("roof:height", "2.5")
    if (r == 5) return tag("building", "retail") tag("building:levels", (1 + i % 4) ";" (2 + i % 4))
    return tag("building", r == 6 ? "garage" : "yes")
}
function barrierTags(i,    r) {
    r = i % 6
    if (r == 0) return tag("barrier", "wall")
    if (r == 1) return tag("barrier", "wall") tag("height", "1.8")
    if (r == 2) return tag("barrier", "hedge")
    if (r == 3) return tag("barrier", "fence")
    if (r == 4) return tag("barrier", "fence") tag("height", "2 m")
    return tag("barrier", "retaining_wall") tag("height", "3'")
}
function directionTag(i,    r) {
    r = i % 40
    if (r == 0 || r == 20) return ""
    if (r == 10) return tag("camera:direction", "180-360")
    if (r % 3 == 0) return tag("camera:direction", sprintf("%d", (i * 37) % 360))
    if (r % 3 == 1) return tag("direction", compass[i % 16])
    return tag("camera:direction", sprintf("%d;%d", (i * 53) % 360, (i * 53 + 180) % 360))
}
BEGIN {
    split("N NNE NE ENE E ESE SE SSE S SSW SW WSW W WNW NW NNW", points, " ")
    for (k = 1; k <= 16; ++k) compass[k - 1] = points[k]
    blocks = int(buildings / 80); side = int(sqrt(blocks) + 0.999999)
    print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    print "<osm version=\"0.6\" generator=\"kavrelo benchmark\">"
    printf "<bounds minlat=\"%.7f\" minlon=\"%.7f\" maxlat=\"%.7f\" maxlon=\"%.7f\"/>\n", lat(-10), lon(-10), lat(side * 100 + 10), lon(side * 100 + 10)
    made = 0; barriers = 0
    for (b = 0; b < blocks; ++b) {
        bx = (b % side) * 100; by = int(b / side) * 100
        for (p = 0; p < 80 && made < buildings; ++p) {
            px = bx + 8 + (p % 9) * 10; py = by + 8 + int(p / 9) * 10
            rect(px, py, 6 + (made % 3), 6 + (made % 4) / 2, buildingTags(made))
            ++made
        }
        for (s = 0; s < 8; ++s) {
            edge = s % 4; off = 10 + int(s / 4) * 45
            if (edge == 0) line(bx + off, by + 5, bx + off + 35, by + 5, barrierTags(barriers))
            if (edge == 1) line(bx + 95, by + off, bx + 95, by + off + 35, barrierTags(barriers))
            if (edge == 2) line(bx + off, by + 95, bx + off + 35, by + 95, barrierTags(barriers))
            if (edge == 3) line(bx + 5, by + off, bx + 5, by + off + 35, barrierTags(barriers))
            ++barriers
        }
    }
    # Streets between the blocks, a way from crossing to crossing; every
    # fifth a wider street with its width mapped.
    for (i = 0; i <= side; ++i) {
        for (j = 0; j < side; ++j) {
            kind = (i % 5 == 0) ? tag("highway", "secondary") tag("width", "10") : tag("highway", "residential")
            line(i * 100, j * 100, i * 100, (j + 1) * 100, kind)
            line(j * 100, i * 100, (j + 1) * 100, i * 100, kind)
        }
    }
    # Cameras at a street's edge, 2 m off its middle, each looking along it.
    for (c = 0; c < cameras; ++c) {
        b = (c * 7919) % (side * side); t = (c * 31) % 97
        x = (b % side) * 100 + 3 + t; y = int(b / side) * 100 + 2
        tags = tag("man_made", "surveillance") directionTag(c)
        if (c % 3 == 0) tags = tags tag("height", sprintf("%d m", 4 + c % 5))
        if (c % 4 == 0) tags = tags tag("ref", "CAM-" c)
        node(x, y, tags)
    }
    for (w = 1; w <= wayCount; ++w) print ways[w]
    print "</osm>"
}
