// The pure steps of reading an imported model; no OpenGL here.
#include "scene/model_loading.h"

#include <algorithm>
#include <array>
#include <assimp/mesh.h>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <pugixml.hpp>
#include <unordered_map>

namespace orvane::scene {

std::string modelDirectory(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isOneOf(const char* name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [name](const char* other) { return std::strcmp(name, other) == 0; });
}

// The digits at text, which is moved past them; none when there are none or
// they are more than the unsigned int Assimp reads them into holds.
std::optional<std::uint64_t> readDigits(const char*& text) {
    if (!isDigit(*text)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (; isDigit(*text); ++text) {
        value = value * 10 + static_cast<std::uint64_t>(*text - '0');
        if (value > std::numeric_limits<unsigned int>::max()) {
            return std::nullopt;
        }
    }
    return value;
}

const char* skipBlanks(const char* text) {
    while (isBlank(*text)) {
        ++text;
    }
    return text;
}

// A number as the schema writes one: digits, perhaps a '+', blanks around.
std::optional<std::uint64_t> plainNumber(const char* text) {
    text = skipBlanks(text);
    text += *text == '+' ? 1 : 0;
    const std::optional<std::uint64_t> value = readDigits(text);
    return *skipBlanks(text) == '\0' ? value : std::nullopt;
}

std::optional<std::uint64_t> numberAttribute(const pugi::xml_node& node, const char* name,
                                             std::uint64_t otherwise) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute ? plainNumber(attribute.value()) : otherwise;
}

// The blank-separated values of a list. The source arrays are most of a
// model, so eight bytes are looked at at once: a byte above ' ' starts a
// value when the byte before it is not.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the bytes of a word are in text order");
std::uint64_t countValues(const char* text) {
    constexpr std::uint64_t lows = 0x7f7f7f7f7f7f7f7f;
    constexpr std::uint64_t aboveSpace = 0x5f5f5f5f5f5f5f5f; // 0x21 + 0x5f sets the top bit
    constexpr std::uint64_t tops = 0x8080808080808080;
    const std::size_t length = std::strlen(text);
    std::uint64_t count = 0;
    std::uint64_t before = 0; // the top bit of the byte before, in the lowest byte
    std::size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text + at, 8);
        const std::uint64_t inValue = (((word & lows) + aboveSpace) | word) & tops;
        count +=
            static_cast<std::uint64_t>(__builtin_popcountll(inValue & ~(inValue << 8 | before)));
        before = inValue >> 56;
    }
    for (bool previous = before != 0; at < length; ++at) {
        const bool current = static_cast<unsigned char>(text[at]) > ' ';
        count += current && !previous ? 1 : 0;
        previous = current;
    }
    return count;
}

enum class Character : unsigned char { Other, Blank, Digit, Sign };

// What each byte is in an index list, looked up: they are a third of a model.
const std::array<Character, 256> characters = [] {
    std::array<Character, 256> table{};
    for (const char c : {' ', '\t', '\r', '\n'}) {
        table[static_cast<unsigned char>(c)] = Character::Blank;
    }
    for (char c = '0'; c <= '9'; ++c) {
        table[static_cast<unsigned char>(c)] = Character::Digit;
    }
    table['+'] = table['-'] = Character::Sign;
    return table;
}();

// The values of an index list; none when one of them is not an optional
// sign and digits, which is all Assimp steps over.
std::optional<std::uint64_t> countWholeNumbers(const char* text) {
    std::uint64_t count = 0;
    Character previous = Character::Blank;
    for (; *text != '\0'; ++text) {
        const Character current = characters[static_cast<unsigned char>(*text)];
        count += previous == Character::Blank && current != Character::Blank ? 1 : 0;
        // A sign only at the start of a value, and digits after it.
        if (current == Character::Other ||
            (current == Character::Sign && previous != Character::Blank) ||
            (previous == Character::Sign && current != Character::Digit)) {
            return std::nullopt;
        }
        previous = current;
    }
    return previous == Character::Sign ? std::nullopt : std::optional(count);
}

// The sum of a list of plain numbers; none when one is not.
std::optional<std::uint64_t> sumOfNumbers(const char* text) {
    std::uint64_t sum = 0;
    for (text = skipBlanks(text); *text != '\0'; text = skipBlanks(text)) {
        const std::optional<std::uint64_t> value = readDigits(text);
        if (!value || (*text != '\0' && !isBlank(*text))) {
            return std::nullopt;
        }
        sum += *value;
    }
    return sum;
}

// Every element of the document, in document order. Assimp reads an
// element's text as pugixml's text() gives it: its first plain or CDATA
// child, whatever comments come before it.
class ColladaCheck : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (node.type() == pugi::node_element) {
            sound = elementIsSound(node);
        }
        return sound;
    }

    bool accessorsAreSound() const {
        return std::all_of(accessors.begin(), accessors.end(),
                           [this](const pugi::xml_node& node) { return accessorIsSound(node); });
    }

    bool sound = true;

private:
    bool elementIsSound(const pugi::xml_node& node) {
        const char* name = node.name();
        const pugi::xml_node parent = node.parent();
        if (isIndexListOwner(node)) {
            return primitiveIsSound(node);
        }
        if (isOneOf(name,
                    {"float_array", "int_array", "Name_array", "IDREF_array", "bool_array"}) &&
            std::strcmp(parent.name(), "source") == 0) {
            return arrayIsSound(node);
        }
        if (std::strcmp(name, "accessor") == 0) {
            accessors.push_back(node);
        }
        return true;
    }

    static bool isIndexListOwner(const pugi::xml_node& node) {
        return isOneOf(node.name(), {"lines", "linestrips", "polygons", "polylist", "triangles",
                                     "trifans", "tristrips"}) &&
               std::strcmp(node.parent().name(), "mesh") == 0;
    }

    // Assimp sizes its tables by a primitive's count, its polygons' sizes
    // (vcount) and its inputs' offsets before it reads the index lists: none
    // may ask for more indices than the lists hold.
    static bool primitiveIsSound(const pugi::xml_node& primitive) {
        std::uint64_t indices = 0;
        std::optional<std::uint64_t> corners = 0;
        std::optional<std::uint64_t> stride = 1; // indices per corner
        const auto read = [&indices](const pugi::xml_node& list) {
            const std::optional<std::uint64_t> values = countWholeNumbers(list.text().get());
            indices += values.value_or(0);
            return values.has_value();
        };
        for (const pugi::xml_node& child : primitive.children()) {
            const char* name = child.name();
            if (std::strcmp(name, "input") == 0) {
                const std::optional<std::uint64_t> offset = numberAttribute(child, "offset", 0);
                stride =
                    stride && offset ? std::optional(std::max(*stride, *offset + 1)) : std::nullopt;
            } else if (std::strcmp(name, "vcount") == 0) {
                const std::optional<std::uint64_t> sizes = sumOfNumbers(child.text().get());
                corners = corners && sizes ? std::optional(*corners + *sizes) : std::nullopt;
            } else if (std::strcmp(name, "p") == 0 && !read(child)) {
                return false;
            }
            // A polygon's holes sit one level deeper, in <ph>.
            if (std::strcmp(name, "ph") == 0 &&
                !std::all_of(child.children().begin(), child.children().end(),
                             [&read](const pugi::xml_node& list) {
                                 return !isOneOf(list.name(), {"p", "h"}) || read(list);
                             })) {
                return false;
            }
        }
        const std::optional<std::uint64_t> count = numberAttribute(primitive, "count", 0);
        // All three are below 2^32, so nothing here overflows.
        return count && corners && stride && *count * *stride <= indices &&
               *corners * *stride <= indices;
    }

    // An array's size is known only once it is found whole; an accessor is
    // measured against the smallest array of its name.
    bool arrayIsSound(const pugi::xml_node& node) {
        const std::optional<std::uint64_t> stated = numberAttribute(node, "count", 0);
        if (!stated || countValues(node.text().get()) != *stated) {
            return false;
        }
        const std::string id = node.attribute("id").value();
        const auto known = arraySizes.emplace(id, *stated).first;
        known->second = std::min(known->second, *stated);
        return true;
    }

    bool accessorIsSound(const pugi::xml_node& node) const {
        const std::string source = node.attribute("source").value();
        const auto array = source.empty() || source[0] != '#' ? arraySizes.end()
                                                              : arraySizes.find(source.substr(1));
        if (array == arraySizes.end()) {
            return true; // Assimp finds no array to read either
        }
        const std::optional<std::uint64_t> count = numberAttribute(node, "count", 0);
        const std::optional<std::uint64_t> stride = numberAttribute(node, "stride", 1);
        const std::optional<std::uint64_t> offset = numberAttribute(node, "offset", 0);
        const auto params = static_cast<std::uint64_t>(
            std::distance(node.children("param").begin(), node.children("param").end()));
        // All three are below 2^32, so nothing here overflows.
        return count && stride && offset && *stride >= params &&
               *count * *stride + *offset <= array->second;
    }

    std::unordered_map<std::string, std::uint64_t> arraySizes;
    std::vector<pugi::xml_node> accessors;
};

} // namespace

bool colladaIsSafeToRead(std::string document) {
    // Assimp parses the text up to its first NUL, as UTF-8, with every
    // option on, and takes the first element named COLLADA, wherever it is.
    document.resize(std::strlen(document.c_str()));
    pugi::xml_document parsed;
    if (!parsed.load_buffer_inplace(document.data(), document.size(), pugi::parse_full,
                                    pugi::encoding_utf8) ||
        !parsed.find_node(
            [](const pugi::xml_node& node) { return std::strcmp(node.name(), "COLLADA") == 0; })) {
        return true;
    }
    ColladaCheck check;
    parsed.traverse(check);
    return check.sound && check.accessorsAreSound();
}

void collectVertices(const aiMesh& mesh, std::vector<ModelVertex>& vertices) {
    vertices.clear();
    if (mesh.mVertices == nullptr) {
        return;
    }
    vertices.reserve(mesh.mNumVertices);
    const bool hasUv = mesh.HasTextureCoords(0);
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        ModelVertex vertex;
        const aiVector3D& position = mesh.mVertices[v];
        vertex.position = glm::vec3(position.x, position.y, position.z);
        if (hasUv) {
            const aiVector3D& uv = mesh.mTextureCoords[0][v];
            vertex.uv = glm::vec2(uv.x, uv.y);
        }
        if (mesh.mNormals != nullptr) {
            const aiVector3D& normal = mesh.mNormals[v];
            vertex.normal = glm::vec3(normal.x, normal.y, normal.z);
        }
        vertices.push_back(vertex);
    }
}

void collectTriangleIndices(const aiMesh& mesh, std::vector<std::uint32_t>& indices) {
    indices.clear();
    if (mesh.mFaces == nullptr) {
        return;
    }
    indices.reserve(3 * std::size_t{mesh.mNumFaces});
    // Without positions there are no vertices for any index to name.
    const unsigned int vertexCount = mesh.mVertices == nullptr ? 0 : mesh.mNumVertices;
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices < 3 || face.mIndices == nullptr) {
            continue;
        }
        const unsigned int* corner = face.mIndices;
        if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) {
            continue;
        }
        indices.insert(indices.end(), {corner[0], corner[1], corner[2]});
    }
}

} // namespace orvane::scene
