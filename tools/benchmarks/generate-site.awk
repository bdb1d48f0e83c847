# A site of 1 km² with 100 obstacles (one in seven of every height), or a
# schedule of cameras spread over it outside the obstacles (a camera inside
# one is refused), always the same for the same count.
# Or a town of 100,000 buildings of 6 to 12 m, one to each 16 m square of
# a 5 km square, with a role and a height each, for a GeoPackage.
# Usage: awk -v what=site -f generate-site.awk
#        awk -v what=cameras -v count=N -f generate-site.awk
#        awk -v what=buildings -f generate-site.awk
function lon(x) { return 11.5 + x / (111320 * cos(48.1 * 3.141592653589793 / 180)) }
function lat(y) { return 48.1 + y / 111200 }
function corner(x, y) { return sprintf("[%.7f,%.7f]", lon(x), lat(y)) }
function square(x, y, s) {
    return "[[" corner(x, y) "," corner(x + s, y) "," corner(x + s, y + s) "," corner(x, y + s) "," corner(x, y) "]]"
}
function box(x, y, w, h) {
    return "[[" corner(x, y) "," corner(x + w, y) "," corner(x + w, y + h) "," corner(x, y + h) "," corner(x, y) "]]"
}
BEGIN {
    srand(1)
    if (what == "buildings") {
        printf "{\"type\":\"FeatureCollection\",\"features\":[\n"
        for (i = 0; i < 100000; ++i) {
            x = (i % 317) * 16; y = int(i / 317) * 16
            printf "%s{\"type\":\"Feature\",\"properties\":{\"role\":\"obstacle\",\"height\":%.1f},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":%s}}", (i ? ",\n" : ""), 3 + rand() * 20, box(x, y, 6 + rand() * 6, 6 + rand() * 6)
        }
        printf "\n]}\n"
        exit
    }
    if (what == "site") {
        printf "{\"type\":\"FeatureCollection\",\"features\":[\n"
        printf "{\"type\":\"Feature\",\"properties\":{\"role\":\"area\"},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":%s}}", square(0, 0, 1000)
        for (i = 0; i < 100; ++i) {
            x = 40 + (i % 10) * 100 + rand() * 20; y = 40 + int(i / 10) * 100 + rand() * 20
            h = (i % 7 == 0) ? "" : sprintf(",\"height\":%.1f", 3 + rand() * 9)
            printf ",\n{\"type\":\"Feature\",\"properties\":{\"role\":\"obstacle\"%s},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":%s}}", h, square(x, y, 8 + rand() * 10)
        }
        printf "\n]}\n"
        exit
    }
    print "camera,lat,lon,bearing,resolution,hfov,height,tilt"
    for (i = 1; i <= count; ++i) {
        # Each obstacle stands within metres 40 to 78 of its 100 m cell.
        do { x = rand() * 1000; y = rand() * 1000 } while (x % 100 > 39 && x % 100 < 79 && y % 100 > 39 && y % 100 < 79)
        printf "cam-%d,%.7f,%.7f,%.1f,1920x1080,%.1f,%.1f,%.1f\n", i, lat(y), lon(x), rand() * 360, 40 + rand() * 50, 4 + rand() * 6, 15 + rand() * 20
    }
}
