// Writes the viewer's own model: a small rocket on a plinth, Z-up, as
// Collada through Assimp's exporter, with its two textures as PNG through
// DevIL. The same rocket can be tessellated to a requested triangle count.
//
//   make_model [out.dae] [--triangles N]
//
// Without out.dae it writes Models/Untitled/models/Untitled.dae. The
// textures go beside the model ("paint.png") and into a folder next to it
// ("textures/hull.png"); the plinth names no texture. The output is the
// same on every run.
#include <IL/il.h>
#include <algorithm>
#include <array>
#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// ---- The shape, in model units (z up, the plinth standing on z = 0) ----

constexpr double plinthHalfWidth = 4.0;
constexpr double plinthHeight = 3.0;
constexpr double bodyRadius = 2.4;
constexpr double bodyBottom = 4.0;
constexpr double bodyTop = 14.0;
constexpr double noseTip = 20.0;
constexpr double finRoot = 2.3;
constexpr double finTip = 3.8;
constexpr double finTop = 10.0;
constexpr double finThickness = 0.35;
constexpr int finCount = 3;

// A smooth piece of the outline of a body of revolution: radius and
// height for t from 0 (its lower end) to 1.
struct ProfileSection {
    std::function<double(double)> radius;
    std::function<double(double)> height;
    int baseRings;
};

// The engine bell, the base plate and the tank.
std::vector<ProfileSection> hullProfile() {
    return {
        {[](double t) { return 1.0 + 0.7 * (1.0 - t) * (1.0 - t); },
         [](double t) { return plinthHeight + t * (bodyBottom - plinthHeight); }, 6},
        {[](double t) { return 1.0 + t * (bodyRadius - 1.0); }, [](double) { return bodyBottom; },
         2},
        {[](double) { return bodyRadius; },
         [](double t) { return bodyBottom + t * (bodyTop - bodyBottom); }, 12},
    };
}

// A tangent ogive from the tank's rim to a point.
std::vector<ProfileSection> noseProfile() {
    return {{[](double t) {
                 const double length = noseTip - bodyTop;
                 const double rho = (bodyRadius * bodyRadius + length * length) / (2 * bodyRadius);
                 const double fromTip = (1.0 - t) * length;
                 const double r = std::sqrt(rho * rho - (length - fromTip) * (length - fromTip)) +
                                  bodyRadius - rho;
                 return std::max(r, 0.0);
             },
             [](double t) { return bodyTop + t * (noseTip - bodyTop); }, 16}};
}

double sectionLength(const ProfileSection& section) {
    double length = 0.0;
    constexpr int steps = 256;
    for (int k = 0; k < steps; ++k) {
        const double t0 = double(k) / steps;
        const double t1 = double(k + 1) / steps;
        length += std::hypot(section.radius(t1) - section.radius(t0),
                             section.height(t1) - section.height(t0));
    }
    return length;
}

// ---- Mesh building ----

struct MeshData {
    std::string name;
    unsigned int material = 0;
    std::vector<aiVector3D> positions;
    std::vector<aiVector3D> normals;
    std::vector<aiVector3D> uvs;
    std::vector<std::array<unsigned int, 3>> triangles;

    unsigned int add(const aiVector3D& position, aiVector3D normal, double u, double v) {
        positions.push_back(position);
        normals.push_back(normal.Normalize());
        uvs.emplace_back(static_cast<float>(u), static_cast<float>(v), 0.0f);
        return static_cast<unsigned int>(positions.size() - 1);
    }
    void quad(unsigned int a, unsigned int b, unsigned int c, unsigned int d) {
        triangles.push_back({a, b, c});
        triangles.push_back({a, c, d});
    }
};

aiVector3D point(double x, double y, double z) {
    return aiVector3D(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

// One section turned about z: segments + 1 vertices per ring (the seam is
// doubled for its texture coordinate), v running from vStart to vEnd.
void revolveSection(MeshData& mesh, const ProfileSection& section, int rings, int segments,
                    double vStart, double vEnd) {
    const auto first = static_cast<unsigned int>(mesh.positions.size());
    constexpr double h = 1e-4;
    for (int i = 0; i <= rings; ++i) {
        const double t = double(i) / rings;
        const double r = section.radius(t);
        const double z = section.height(t);
        const double t0 = std::max(t - h, 0.0);
        const double t1 = std::min(t + h, 1.0);
        // Outward normal of the outline: its tangent turned a quarter.
        const double dr = section.radius(t1) - section.radius(t0);
        const double dz = section.height(t1) - section.height(t0);
        for (int j = 0; j <= segments; ++j) {
            const double angle = 2 * pi * j / segments;
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            mesh.add(point(r * c, r * s, z), point(dz * c, dz * s, -dr), double(j) / segments,
                     vStart + t * (vEnd - vStart));
        }
    }
    const auto row = static_cast<unsigned int>(segments + 1);
    const bool pointedTop = section.radius(1.0) < 1e-9;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            const unsigned int a = first + i * row + j;
            mesh.triangles.push_back({a, a + 1, a + row + 1});
            // At a point the upper triangle would have no area.
            if (!(pointedTop && i == rings - 1)) {
                mesh.triangles.push_back({a, a + row + 1, a + row});
            }
        }
    }
}

// Sections share no vertices, so each join is a sharp edge. v runs along
// the outline by length, so the texture is not stretched.
MeshData revolve(const std::string& name, unsigned int material,
                 const std::vector<ProfileSection>& profile, double detail, int segments) {
    MeshData mesh{name, material, {}, {}, {}, {}};
    double total = 0.0;
    for (const auto& section : profile) {
        total += sectionLength(section);
    }
    double done = 0.0;
    for (const auto& section : profile) {
        const double length = sectionLength(section);
        const int rings = std::max(1, static_cast<int>(std::lround(section.baseRings * detail)));
        revolveSection(mesh, section, rings, segments, done / total, (done + length) / total);
        done += length;
    }
    return mesh;
}

// A box under the rocket. Each face shows the whole image of its texture,
// upright on the sides: the viewer puts an image's first row at v = 0, so
// v runs from 1 at the foot of a face to 0 at its head.
MeshData plinth(unsigned int material) {
    MeshData mesh{"plinth", material, {}, {}, {}, {}};
    const float w = static_cast<float>(plinthHalfWidth);
    const float h = static_cast<float>(plinthHeight);
    struct Face {
        aiVector3D normal;
        aiVector3D centre;
        aiVector3D halfAcross; // toward u = 1
        aiVector3D halfUp;     // toward v = 0
    };
    const std::array<Face, 6> faces = {{
        {point(1, 0, 0), point(w, 0, h / 2), point(0, w, 0), point(0, 0, h / 2)},
        {point(-1, 0, 0), point(-w, 0, h / 2), point(0, -w, 0), point(0, 0, h / 2)},
        {point(0, 1, 0), point(0, w, h / 2), point(-w, 0, 0), point(0, 0, h / 2)},
        {point(0, -1, 0), point(0, -w, h / 2), point(w, 0, 0), point(0, 0, h / 2)},
        {point(0, 0, 1), point(0, 0, h), point(w, 0, 0), point(0, w, 0)},
        {point(0, 0, -1), point(0, 0, 0), point(-w, 0, 0), point(0, w, 0)},
    }};
    for (const Face& face : faces) {
        const aiVector3D& c = face.centre;
        const unsigned int a = mesh.add(c - face.halfAcross - face.halfUp, face.normal, 0, 1);
        const unsigned int b = mesh.add(c + face.halfAcross - face.halfUp, face.normal, 1, 1);
        const unsigned int d = mesh.add(c + face.halfAcross + face.halfUp, face.normal, 1, 0);
        const unsigned int e = mesh.add(c - face.halfAcross + face.halfUp, face.normal, 0, 0);
        mesh.quad(a, b, d, e);
    }
    return mesh;
}

// One flat quad of a fin, given by its corners in fin coordinates (radius,
// height, side) and its normal in the same frame.
void finQuad(MeshData& mesh, double angle, const std::array<std::array<double, 3>, 4>& corners,
             const std::array<double, 3>& normal) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const auto toModel = [&](const std::array<double, 3>& p) {
        return point(p[0] * c - p[2] * s, p[0] * s + p[2] * c, p[1]);
    };
    std::array<unsigned int, 4> index{};
    for (int k = 0; k < 4; ++k) {
        const auto& p = corners[k];
        const double u = (p[0] - finRoot) / (finTip - finRoot);
        const double v = (p[1] - plinthHeight) / (finTop - plinthHeight);
        index[k] = mesh.add(toModel(p), toModel(normal), u, v);
    }
    mesh.quad(index[0], index[1], index[2], index[3]);
}

// Fins are thin slabs. The outline runs counter-clockwise in (radius,
// height), which seen from the slab's +side face is clockwise, so that face
// takes the outline backwards; every quad winds counter-clockwise outside.
MeshData fins(unsigned int material) {
    MeshData mesh{"fins", material, {}, {}, {}, {}};
    const std::array<std::array<double, 2>, 4> outline = {
        {{finRoot, bodyBottom}, {finTip, plinthHeight}, {finTip, 6.0}, {finRoot, finTop}}};
    const double half = finThickness / 2;
    for (int f = 0; f < finCount; ++f) {
        const double angle = 2 * pi * (f + 0.5) / finCount;
        std::array<std::array<double, 3>, 4> front{};
        std::array<std::array<double, 3>, 4> back{};
        for (int k = 0; k < 4; ++k) {
            front[3 - k] = {outline[k][0], outline[k][1], half};
            back[k] = {outline[k][0], outline[k][1], -half};
        }
        finQuad(mesh, angle, front, {0, 0, 1});
        finQuad(mesh, angle, back, {0, 0, -1});
        for (int k = 0; k < 4; ++k) {
            const auto& p = outline[k];
            const auto& q = outline[(k + 1) % 4];
            const std::array<double, 3> normal = {q[1] - p[1], -(q[0] - p[0]), 0};
            finQuad(mesh, angle,
                    {{{p[0], p[1], half},
                      {q[0], q[1], half},
                      {q[0], q[1], -half},
                      {p[0], p[1], -half}}},
                    normal);
        }
    }
    return mesh;
}

// ---- Textures ----

struct Rgb {
    double r, g, b;
};

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A 5 x 7 capital for each letter of the name painted down the tank.
const char* glyph(char letter) {
    switch (letter) {
    case 'O':
        return ".###.#...##...##...##...##...#.###.";
    case 'R':
        return "####.#...##...#####.#.#..#..#.#...#";
    case 'V':
        return "#...##...##...##...##...#.#.#...#..";
    case 'A':
        return ".###.#...##...#######...##...##...#";
    case 'N':
        return "#...###..##.#.##..###...##...##...#";
    case 'E':
        return "######....#....####.#....#....#####";
    default:
        return "...................................";
    }
}

// Whether (across, up), in model units from the lower left of the lettering,
// falls on a letter of the word stacked from the top down.
bool onLettering(double across, double up, const std::string& word) {
    constexpr double cell = 0.12;
    constexpr double letterHeight = 7 * cell;
    constexpr double gap = 0.25;
    const double height = word.size() * letterHeight + (word.size() - 1) * gap;
    if (across < 0 || across >= 5 * cell || up < 0 || up >= height) {
        return false;
    }
    const double fromTop = height - up;
    const auto letter = static_cast<std::size_t>(fromTop / (letterHeight + gap));
    const double inLetter = fromTop - letter * (letterHeight + gap);
    if (letter >= word.size() || inLetter >= letterHeight) {
        return false;
    }
    const int row = static_cast<int>(inLetter / cell);
    const int column = static_cast<int>(across / cell);
    return glyph(word[letter])[row * 5 + column] == '#';
}

struct HullLayout {
    double bellEnd;  // v where the bell meets the base plate
    double plateEnd; // v where the plate meets the tank
    double length;   // the whole outline, model units
};

HullLayout hullLayout() {
    const auto profile = hullProfile();
    const double bell = sectionLength(profile[0]);
    const double plate = sectionLength(profile[1]);
    const double length = bell + plate + sectionLength(profile[2]);
    return {bell / length, (bell + plate) / length, length};
}

// The tank: red bands at both ends, a black-and-white roll pattern, a
// porthole on one side and the name down the other.
Rgb tankColour(double u, double height) {
    const Rgb white{0.93, 0.93, 0.90};
    const Rgb red{0.78, 0.12, 0.10};
    const Rgb black{0.08, 0.08, 0.10};
    const double around = u * 2 * pi * bodyRadius;
    if (height < 0.5 || height > 9.6) {
        return red;
    }
    if (height < 2.5) {
        const int quarter = static_cast<int>(u * 4) % 4;
        const int band = height < 1.5 ? 0 : 1;
        return (quarter + band) % 2 == 0 ? black : white;
    }
    const double portholeAround = 0.125 * 2 * pi * bodyRadius;
    const double distance = std::hypot(around - portholeAround, height - 7.6);
    if (distance < 0.75) {
        const double shine =
            std::max(0.0, 1.0 - std::hypot(around - portholeAround + 0.25, height - 7.85) / 0.35);
        return mix(Rgb{0.16, 0.36, 0.66}, Rgb{0.75, 0.88, 1.0}, shine);
    }
    if (distance < 0.95) {
        return Rgb{0.35, 0.36, 0.40};
    }
    const double letteringAround = 0.625 * 2 * pi * bodyRadius - 2.5 * 0.12;
    if (onLettering(around - letteringAround, height - 2.95, "ORVANE")) {
        return black;
    }
    // Faint panel seams every eighth of the way round.
    const double seam = std::fabs(u * 8 - std::round(u * 8));
    return seam < 0.012 ? Rgb{0.72, 0.72, 0.70} : white;
}

Rgb hullColour(double u, double v) {
    static const HullLayout layout = hullLayout();
    if (v < layout.bellEnd) {
        const double t = v / layout.bellEnd;
        const double ring = 0.5 + 0.5 * std::cos(t * 2 * pi * 4);
        return mix(Rgb{0.22, 0.22, 0.25}, Rgb{0.45, 0.45, 0.48}, 0.6 * t + 0.2 * ring);
    }
    if (v < layout.plateEnd) {
        return Rgb{0.40, 0.40, 0.43};
    }
    return tankColour(u, (v - layout.plateEnd) * layout.length);
}

// Red paint with a white stripe near the lower end and a darker tip.
Rgb paintColour(double u, double v) {
    const Rgb red{0.80, 0.14, 0.11};
    const Rgb white{0.95, 0.95, 0.92};
    if (v > 0.08 && v < 0.15) {
        return white;
    }
    const double streak = 0.04 * std::sin(u * 2 * pi * 24);
    const Rgb base{red.r + streak, red.g, red.b};
    return v > 0.85 ? mix(base, Rgb{0.30, 0.05, 0.05}, (v - 0.85) / 0.15) : base;
}

// Row 0 is written first in the file, and the viewer puts it at v = 0.
// Each texel averages 4 x 4 samples so that edges are not jagged.
std::vector<ILubyte> paint(int width, int height, const std::function<Rgb(double, double)>& at) {
    std::vector<ILubyte> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * 3);
    constexpr int samples = 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum{0, 0, 0};
            for (int k = 0; k < samples * samples; ++k) {
                const double u = (x + (k % samples + 0.5) / samples) / width;
                const double v = (y + (k / samples + 0.5) / samples) / height;
                const Rgb c = at(u, v);
                sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
            }
            for (double channel : {sum.r, sum.g, sum.b}) {
                const double value = std::clamp(channel / (samples * samples), 0.0, 1.0);
                pixels.push_back(static_cast<ILubyte>(std::lround(value * 255)));
            }
        }
    }
    return pixels;
}

bool savePng(const std::filesystem::path& path, int width, int height,
             std::vector<ILubyte> pixels) {
    std::filesystem::create_directories(path.parent_path());
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data()) != 0;
    // The rows are in file order already; DevIL must not flip them.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    saved = saved && ilSaveImage(path.string().c_str()) != 0;
    ilDeleteImages(1, &image);
    return saved;
}

// ---- The scene and its file ----

struct MaterialData {
    const char* name;
    const char* diffuseTexture; // null: the material names none
};

const std::array<MaterialData, 3> materials = {{
    {"hull", "textures/hull.png"},
    {"paint", "paint.png"},
    {"plinth", nullptr},
}};

aiMaterial* makeMaterial(const MaterialData& data) {
    auto* material = new aiMaterial;
    const aiString name(data.name);
    material->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor3D white(1.0f, 1.0f, 1.0f);
    material->AddProperty(&white, 1, AI_MATKEY_COLOR_DIFFUSE);
    if (data.diffuseTexture != nullptr) {
        const aiString texture(data.diffuseTexture);
        material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material;
}

template <typename T> T* copyArray(const std::vector<T>& from) {
    T* to = new T[from.size()];
    std::copy(from.begin(), from.end(), to);
    return to;
}

aiMesh* makeMesh(const MeshData& data) {
    auto* mesh = new aiMesh;
    mesh->mName = aiString(data.name);
    mesh->mMaterialIndex = data.material;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned int>(data.positions.size());
    mesh->mVertices = copyArray(data.positions);
    mesh->mNormals = copyArray(data.normals);
    mesh->mTextureCoords[0] = copyArray(data.uvs);
    mesh->mNumUVComponents[0] = 2;
    mesh->mNumFaces = static_cast<unsigned int>(data.triangles.size());
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f].mIndices = copyArray(
            std::vector<unsigned int>(data.triangles[f].begin(), data.triangles[f].end()));
    }
    return mesh;
}

// Owns everything it points to; aiScene's destructor frees it.
std::unique_ptr<aiScene> makeScene(const std::vector<MeshData>& meshes) {
    auto scene = std::make_unique<aiScene>();
    scene->mFlags = AI_SCENE_FLAGS_NON_VERBOSE_FORMAT;
    scene->mRootNode = new aiNode("Untitled");
    scene->mNumMaterials = static_cast<unsigned int>(materials.size());
    scene->mMaterials = new aiMaterial*[materials.size()];
    for (std::size_t m = 0; m < materials.size(); ++m) {
        scene->mMaterials[m] = makeMaterial(materials[m]);
    }
    scene->mNumMeshes = static_cast<unsigned int>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    scene->mRootNode->mNumMeshes = scene->mNumMeshes;
    scene->mRootNode->mMeshes = new unsigned int[meshes.size()];
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        scene->mMeshes[i] = makeMesh(meshes[i]);
        scene->mRootNode->mMeshes[i] = static_cast<unsigned int>(i);
    }
    return scene;
}

void replaceElement(std::string& text, const std::string& tag, const std::string& value) {
    const std::string open = "<" + tag + ">";
    const std::string close = "</" + tag + ">";
    const auto start = text.find(open);
    const auto end = text.find(close, start);
    if (start != std::string::npos && end != std::string::npos) {
        text.replace(start + open.size(), end - start - open.size(), value);
    }
}

// The exporter stamps the clock into the file and declares Y up; the file
// is to be the same on every run, and the rocket stands along z.
bool writeCollada(const aiScene& scene, const std::filesystem::path& path) {
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(&scene, "collada");
    if (blob == nullptr) {
        std::printf("export failed: %s\n", exporter.GetErrorString());
        return false;
    }
    std::string text(static_cast<const char*>(blob->data), blob->size);
    replaceElement(text, "created", "2024-01-01T00:00:00");
    replaceElement(text, "modified", "2024-01-01T00:00:00");
    replaceElement(text, "up_axis", "Z_UP");
    replaceElement(text, "authoring_tool", "Orvane make_model");
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

// ---- Checking the result the way the viewer reads it ----

bool verify(const std::filesystem::path& path, std::size_t meshCount) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), 0x800B);
    if (scene == nullptr) {
        std::printf("the written model does not load: %s\n", importer.GetErrorString());
        return false;
    }
    std::size_t triangles = 0;
    std::size_t vertices = 0;
    for (unsigned int i = 0; i < scene->mNumMeshes; ++i) {
        triangles += scene->mMeshes[i]->mNumFaces;
        vertices += scene->mMeshes[i]->mNumVertices;
    }
    std::printf("%s: %u meshes, %u materials, %zu triangles, %zu vertices\n", path.string().c_str(),
                scene->mNumMeshes, scene->mNumMaterials, triangles, vertices);
    bool good = scene->mNumMeshes == meshCount && scene->mNumMaterials == materials.size();
    const std::filesystem::path directory = path.parent_path();
    for (unsigned int m = 0; m < scene->mNumMaterials; ++m) {
        aiString texture;
        if (aiGetMaterialTexture(scene->mMaterials[m], aiTextureType_DIFFUSE, 0, &texture) ==
            aiReturn_SUCCESS) {
            const std::filesystem::path full = directory / texture.C_Str();
            const bool found = std::filesystem::exists(full);
            std::printf("  material %u: %s%s\n", m, full.string().c_str(),
                        found ? "" : " (missing)");
            good = good && found;
        } else {
            std::printf("  material %u: no texture\n", m);
        }
    }
    return good;
}

// ---- Entry ----

struct Options {
    std::filesystem::path output = "Models/Untitled/models/Untitled.dae";
    long triangles = 0; // 0: the shipped tessellation
};

bool parseOptions(int argc, char** argv, Options& options) {
    bool outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--triangles" && i + 1 < argc) {
            char* end = nullptr;
            options.triangles = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || options.triangles < 100) {
                return false;
            }
        } else if (!argument.empty() && argument[0] != '-' && !outputGiven) {
            options.output = argument;
            outputGiven = true;
        } else {
            return false;
        }
    }
    return true;
}

// The shipped rocket has about 4,650 triangles, nearly all in the two bodies
// of revolution, whose count grows with the square of the detail.
constexpr double shippedTriangles = 4650.0;
constexpr int shippedSegments = 64;

std::vector<MeshData> buildRocket(long triangles) {
    const double detail = triangles > 0 ? std::sqrt(triangles / shippedTriangles) : 1.0;
    const int segments = std::max(8, static_cast<int>(std::lround(shippedSegments * detail)));
    return {plinth(2), revolve("hull", 0, hullProfile(), detail, segments),
            revolve("nose", 1, noseProfile(), detail, segments), fins(1)};
}

bool writeTextures(const std::filesystem::path& directory) {
    return savePng(directory / "textures/hull.png", 512, 512, paint(512, 512, hullColour)) &&
           savePng(directory / "paint.png", 256, 256, paint(256, 256, paintColour));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::printf("usage: make_model [out.dae] [--triangles N (at least 100)]\n");
        return 2;
    }
    ilInit();
    const std::vector<MeshData> rocket = buildRocket(options.triangles);
    const std::unique_ptr<aiScene> scene = makeScene(rocket);
    std::filesystem::path directory = options.output.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    if (!writeCollada(*scene, options.output) || !writeTextures(directory)) {
        std::printf("could not write %s\n", options.output.string().c_str());
        return 1;
    }
    return verify(options.output, rocket.size()) ? 0 : 1;
}
