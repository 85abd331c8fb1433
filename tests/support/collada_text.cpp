// Writing the Collada text of a few meshes and their materials.
#include "support/collada_text.h"

#include <cstring>
#include <sstream>

namespace orvane::test {
namespace {

template <typename Number>
void writeList(std::ostringstream& out, const std::vector<Number>& list) {
    for (Number value : list) {
        out << value << ' ';
    }
}

// A float source with one named parameter per letter of params.
void writeSource(std::ostringstream& out, const std::string& id, const std::vector<float>& values,
                 const char* params) {
    const std::size_t stride = std::strlen(params);
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-a\" count=\""
        << values.size() << "\">";
    writeList(out, values);
    out << "</float_array><technique_common><accessor source=\"#" << id << "-a\" count=\""
        << values.size() / stride << "\" stride=\"" << stride << "\">";
    for (const char* param = params; *param != '\0'; ++param) {
        out << "<param name=\"" << *param << "\" type=\"float\"/>";
    }
    out << "</accessor></technique_common></source>\n";
}

void writeGeometry(std::ostringstream& out, const ColladaMesh& mesh, const std::string& id) {
    std::vector<float> normals;
    std::vector<float> uvs;
    for (std::size_t v = 0; v + 2 < mesh.positions.size(); v += 3) {
        normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
        uvs.insert(uvs.end(), {mesh.positions[v], mesh.positions[v + 1]});
    }
    out << "<geometry id=\"" << id << "\"><mesh>\n";
    writeSource(out, id + "-p", mesh.positions, "XYZ");
    writeSource(out, id + "-n", normals, "XYZ");
    writeSource(out, id + "-t", uvs, "ST");
    out << "<vertices id=\"" << id << "-v\"><input semantic=\"POSITION\" source=\"#" << id
        << "-p\"/></vertices>\n<polylist material=\"bound\" count=\"" << mesh.cornerCounts.size()
        << "\"><input semantic=\"VERTEX\" source=\"#" << id << "-v\" offset=\"0\"/>";
    if (!mesh.bare) {
        out << "<input semantic=\"NORMAL\" source=\"#" << id << "-n\" offset=\"0\"/>"
            << "<input semantic=\"TEXCOORD\" source=\"#" << id << "-t\" offset=\"0\" set=\"0\"/>";
    }
    out << "<vcount>";
    writeList(out, mesh.cornerCounts);
    out << "</vcount><p>";
    writeList(out, mesh.indices);
    out << "</p></polylist>\n</mesh></geometry>\n";
}

} // namespace

std::string colladaText(const std::vector<ColladaMesh>& meshes,
                        const std::vector<std::string>& textures) {
    std::ostringstream images;
    std::ostringstream effects;
    std::ostringstream materials;
    for (std::size_t m = 0; m < textures.size(); ++m) {
        const std::string id = "material" + std::to_string(m);
        if (!textures[m].empty()) {
            images << "<image id=\"" << id << "-image\"><init_from>" << textures[m]
                   << "</init_from></image>\n";
        }
        effects << "<effect id=\"" << id << "-effect\"><profile_COMMON><technique sid=\"common\">"
                << "<phong><diffuse>"
                << (textures[m].empty()
                        ? "<color>0.8 0.8 0.8 1</color>"
                        : "<texture texture=\"" + id + "-image\" texcoord=\"UVSET\"/>")
                << "</diffuse></phong></technique></profile_COMMON></effect>\n";
        materials << "<material id=\"" << id << "\"><instance_effect url=\"#" << id
                  << "-effect\"/></material>\n";
    }
    std::ostringstream geometries;
    std::ostringstream nodes;
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        const std::string id = "mesh" + std::to_string(i);
        writeGeometry(geometries, meshes[i], id);
        nodes << "<instance_geometry url=\"#" << id << "\"><bind_material><technique_common>"
              << "<instance_material symbol=\"bound\" target=\"#material" << meshes[i].material
              << "\"><bind_vertex_input semantic=\"UVSET\" input_semantic=\"TEXCOORD\" "
                 "input_set=\"0\"/></instance_material></technique_common></bind_material>"
                 "</instance_geometry>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA "
           "xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit meter=\"1\"/><up_axis>Z_UP</up_axis></asset>\n<library_images>\n" +
           images.str() + "</library_images>\n<library_effects>\n" + effects.str() +
           "</library_effects>\n<library_materials>\n" + materials.str() +
           "</library_materials>\n<library_geometries>\n" + geometries.str() +
           "</library_geometries>\n<library_visual_scenes><visual_scene id=\"scene\">"
           "<node id=\"root\">\n" +
           nodes.str() +
           "</node></visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#scene\"/></scene>\n</COLLADA>\n";
}

ColladaMesh quad(float x0, float y0, float x1, float y1, unsigned material) {
    ColladaMesh mesh;
    mesh.positions = {x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0};
    mesh.cornerCounts = {3, 3};
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.material = material;
    return mesh;
}

} // namespace orvane::test
