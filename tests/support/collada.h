// Small Collada documents, written the way exporters write them, to edit
// into the shapes a test needs.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

// One triangle, its index list given.
inline std::string collada(const std::string& list) {
    return R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_geometries><geometry id="g"><mesh>
<source id="s"><float_array id="a" count="9">0 0 0 1 0 0 0 1 0</float_array>
<technique_common><accessor source="#a" count="3" stride="3"><param name="X" type="float"/>
<param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#s"/></vertices>
<triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>)" +
           list + R"(</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="vs"><node id="n" name="a > b"><instance_geometry url="#g"/>
</node></visual_scene></library_visual_scenes><scene><instance_visual_scene url="#vs"/></scene>
</COLLADA>)";
}

// The document with the first of each text after the one before made another.
inline std::string edited(std::string document,
                          const std::vector<std::pair<std::string, std::string>>& edits) {
    std::size_t at = 0;
    for (const auto& [from, to] : edits) {
        at = document.find(from, at);
        document.replace(at, from.size(), to);
    }
    return document;
}

// A convex polygon of as many corners: triangulating it takes Assimp time that
// grows with the square of the corners.
inline std::string polygonOf(int corners) {
    std::string positions;
    std::string list;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2 * 3.14159265358979 * i / corners;
        positions +=
            std::to_string(std::cos(angle)) + " " + std::to_string(std::sin(angle)) + " 0 ";
        list += std::to_string(i) + " ";
    }
    return edited(collada(list), {{"count=\"9\">0 0 0 1 0 0 0 1 0",
                                   "count=\"" + std::to_string(3 * corners) + "\">" + positions},
                                  {"count=\"3\"", "count=\"" + std::to_string(corners) + "\""},
                                  {"<triangles count=\"1\">", "<polygons count=\"1\">"},
                                  {"</triangles>", "</polygons>"}});
}

} // namespace orvane::test
