#include "support/collada_text.h"

#include <sstream>

namespace orvane::test {
namespace {

void writeFloats(std::ostringstream& out, const std::vector<float>& values) {
    for (float value : values) {
        out << ' ' << value;
    }
}

void writeSource(std::ostringstream& out, const std::string& id, const std::vector<float>& values,
                 const std::vector<const char*>& parameters) {
    const std::size_t stride = parameters.size();
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-array\" count=\""
        << values.size() << "\">";
    writeFloats(out, values);
    out << "</float_array><technique_common><accessor source=\"#" << id << "-array\" count=\""
        << values.size() / stride << "\" stride=\"" << stride << "\">";
    for (const char* parameter : parameters) {
        out << "<param name=\"" << parameter << "\" type=\"float\"/>";
    }
    out << "</accessor></technique_common></source>\n";
}

void writeGeometry(std::ostringstream& out, const ColladaMesh& mesh, std::size_t number) {
    const std::string id = "mesh" + std::to_string(number);
    out << "<geometry id=\"" << id << "\"><mesh>\n";
    writeSource(out, id + "-positions", mesh.positions, {"X", "Y", "Z"});
    if (!mesh.normals.empty()) {
        writeSource(out, id + "-normals", mesh.normals, {"X", "Y", "Z"});
    }
    if (!mesh.uvs.empty()) {
        writeSource(out, id + "-uvs", mesh.uvs, {"S", "T"});
    }
    out << "<vertices id=\"" << id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << id
        << "-positions\"/></vertices>\n";
    out << "<polylist material=\"bound\" count=\"" << mesh.cornerCounts.size() << "\">";
    out << "<input semantic=\"VERTEX\" source=\"#" << id << "-vertices\" offset=\"0\"/>";
    if (!mesh.normals.empty()) {
        out << "<input semantic=\"NORMAL\" source=\"#" << id << "-normals\" offset=\"0\"/>";
    }
    if (!mesh.uvs.empty()) {
        out << "<input semantic=\"TEXCOORD\" source=\"#" << id << "-uvs\" offset=\"0\" set=\"0\"/>";
    }
    out << "<vcount>";
    for (unsigned count : mesh.cornerCounts) {
        out << count << ' ';
    }
    out << "</vcount><p>";
    for (unsigned index : mesh.indices) {
        out << index << ' ';
    }
    out << "</p></polylist>\n</mesh></geometry>\n";
}

void writeMaterial(std::ostringstream& out, const ColladaMaterial& material, std::size_t number) {
    const std::string id = "material" + std::to_string(number);
    out << "<effect id=\"" << id << "-effect\"><profile_COMMON>";
    if (material.diffuseTexture.empty()) {
        out << "<technique sid=\"common\"><phong><diffuse><color>0.8 0.8 0.8 1</color>"
               "</diffuse></phong></technique>";
    } else {
        out << "<newparam sid=\"" << id << "-surface\"><surface type=\"2D\"><init_from>" << id
            << "-image</init_from></surface></newparam>"
            << "<newparam sid=\"" << id << "-sampler\"><sampler2D><source>" << id
            << "-surface</source></sampler2D></newparam>"
            << "<technique sid=\"common\"><phong><diffuse><texture texture=\"" << id
            << "-sampler\" texcoord=\"UVSET\"/></diffuse></phong></technique>";
    }
    out << "</profile_COMMON></effect>\n";
}

} // namespace

std::string colladaText(const std::vector<ColladaMesh>& meshes,
                        const std::vector<ColladaMaterial>& materials) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit meter=\"1\"/><up_axis>Z_UP</up_axis></asset>\n<library_images>\n";
    for (std::size_t m = 0; m < materials.size(); ++m) {
        if (!materials[m].diffuseTexture.empty()) {
            out << "<image id=\"material" << m << "-image\"><init_from>"
                << materials[m].diffuseTexture << "</init_from></image>\n";
        }
    }
    out << "</library_images>\n<library_effects>\n";
    for (std::size_t m = 0; m < materials.size(); ++m) {
        writeMaterial(out, materials[m], m);
    }
    out << "</library_effects>\n<library_materials>\n";
    for (std::size_t m = 0; m < materials.size(); ++m) {
        out << "<material id=\"material" << m << "\"><instance_effect url=\"#material" << m
            << "-effect\"/></material>\n";
    }
    out << "</library_materials>\n<library_geometries>\n";
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        writeGeometry(out, meshes[i], i);
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"scene\">"
           "<node id=\"root\">\n";
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        out << "<instance_geometry url=\"#mesh" << i << "\"><bind_material><technique_common>"
            << "<instance_material symbol=\"bound\" target=\"#material" << meshes[i].material
            << "\"><bind_vertex_input semantic=\"UVSET\" input_semantic=\"TEXCOORD\" "
               "input_set=\"0\"/></instance_material>"
            << "</technique_common></bind_material></instance_geometry>\n";
    }
    out << "</node></visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#scene\"/></scene>\n</COLLADA>\n";
    return out.str();
}

ColladaMesh unitQuad(unsigned material) {
    ColladaMesh quad;
    quad.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    quad.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    quad.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    quad.cornerCounts = {3, 3};
    quad.indices = {0, 1, 2, 0, 2, 3};
    quad.material = material;
    return quad;
}

} // namespace orvane::test
