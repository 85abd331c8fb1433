// The byte layout of requests and replies, in the machine's own byte order
// (both ends are one build on one machine):
//   request: kind (1 byte), sequence (4), path length (4), path
//   reply:   sequence (4), kind (1), decoded (1), [data], end marker (4)
//   model:   mesh count, material count (4 each); per mesh its material,
//            vertex count and index count (4 each), its vertices (32 bytes
//            each) and indices (4 each); per material whether it names a
//            texture (1), and if so the path's length (4) and the path
//   image:   width, height, format, type (4 each), the pixels
#include "files/wire.h"

#include <algorithm>
#include <cstring>

namespace orvane::files::wire {
namespace {

constexpr std::uint32_t endMarker = 0x2e444e45; // "END."
constexpr std::size_t bufferBytes = 64 * 1024;

class Writer {
public:
    explicit Writer(ByteSink& sink) : sink(sink) { buffer.reserve(bufferBytes); }

    void write(const void* from, std::size_t bytes) {
        const auto* bytesFrom = static_cast<const unsigned char*>(from);
        if (buffer.size() + bytes > bufferBytes) {
            flush();
        }
        if (bytes >= bufferBytes) {
            ok = ok && sink.writeAll(bytesFrom, bytes);
        } else {
            buffer.insert(buffer.end(), bytesFrom, bytesFrom + bytes);
        }
    }

    template <typename Field> void field(const Field& value) { write(&value, sizeof value); }

    template <typename Item> void items(const std::vector<Item>& from) {
        write(from.data(), sizeof(Item) * from.size());
    }

    bool flush() {
        ok = ok && sink.writeAll(buffer.data(), buffer.size());
        buffer.clear();
        return ok;
    }

private:
    ByteSink& sink;
    std::vector<unsigned char> buffer;
    bool ok = true;
};

std::uint32_t count32(std::size_t count) {
    return static_cast<std::uint32_t>(count);
}

void writeHeader(Writer& out, const Request& request, bool decoded) {
    out.field(request.sequence);
    out.field(request.kind);
    out.field(static_cast<std::uint8_t>(decoded ? 1 : 0));
}

void writeData(Writer& out, const ModelData& model) {
    out.field(count32(model.meshes.size()));
    out.field(count32(model.diffuseTextures.size()));
    for (const MeshData& mesh : model.meshes) {
        out.field(mesh.materialIndex);
        out.field(count32(mesh.vertices.size()));
        out.field(count32(mesh.indices.size()));
        out.items(mesh.vertices);
        out.items(mesh.indices);
    }
    for (const std::optional<std::string>& texture : model.diffuseTextures) {
        out.field(static_cast<std::uint8_t>(texture ? 1 : 0));
        if (texture) {
            out.field(count32(texture->size()));
            out.write(texture->data(), texture->size());
        }
    }
}

void writeData(Writer& out, const ImageData& image) {
    out.field(image.width);
    out.field(image.height);
    out.field(image.format);
    out.field(image.type);
    out.items(image.pixels);
}

template <typename Data>
bool writeAnyReply(ByteSink& sink, const Request& request, const std::optional<Data>& data) {
    Writer out(sink);
    writeHeader(out, request, data.has_value());
    if (data) {
        writeData(out, *data);
    }
    out.field(endMarker);
    return out.flush();
}

// The reply to this request, and whether it holds data.
bool readHeader(Reader& in, Kind kind, std::uint32_t sequence, bool& decoded) {
    std::uint32_t echoed = 0;
    Kind echoedKind{};
    std::uint8_t flag = 0;
    if (!in.field(echoed) || !in.field(echoedKind) || !in.field(flag)) {
        return false;
    }
    decoded = flag == 1;
    return echoed == sequence && echoedKind == kind && flag <= 1;
}

bool readEnd(Reader& in) {
    std::uint32_t marker = 0;
    return in.field(marker) && marker == endMarker;
}

bool readMesh(Reader& in, MeshData& mesh) {
    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    if (!in.field(mesh.materialIndex) || !in.field(vertexCount) || !in.field(indexCount) ||
        indexCount % 3 != 0 || !in.items(mesh.vertices, vertexCount) ||
        !in.items(mesh.indices, indexCount)) {
        return false;
    }
    return std::all_of(mesh.indices.begin(), mesh.indices.end(),
                       [vertexCount](std::uint32_t index) { return index < vertexCount; });
}

bool readTexture(Reader& in, std::optional<std::string>& texture) {
    std::uint8_t named = 0;
    std::uint32_t length = 0;
    if (!in.charge(1, sizeof texture) || !in.field(named) || named > 1) {
        return false;
    }
    if (named == 0) {
        return true;
    }
    if (!in.field(length) || length > longestPath || !in.charge(length, 1)) {
        return false;
    }
    texture.emplace(length, '\0');
    return in.read(texture->data(), length);
}

bool readData(Reader& in, ModelData& model, const Limits&) {
    std::uint32_t meshCount = 0;
    std::uint32_t materialCount = 0;
    if (!in.field(meshCount) || !in.field(materialCount)) {
        return false;
    }
    for (std::uint32_t i = 0; i < meshCount; ++i) {
        if (!in.charge(1, sizeof(MeshData))) {
            return false;
        }
        model.meshes.emplace_back();
        if (!readMesh(in, model.meshes.back())) {
            return false;
        }
    }
    for (std::uint32_t m = 0; m < materialCount; ++m) {
        model.diffuseTextures.emplace_back();
        if (!readTexture(in, model.diffuseTextures.back())) {
            return false;
        }
    }
    return true;
}

bool readData(Reader& in, ImageData& image, const Limits& limits) {
    if (!in.field(image.width) || !in.field(image.height) || !in.field(image.format) ||
        !in.field(image.type)) {
        return false;
    }
    const std::uint32_t pixelBytes = bytesPerPixel(image.format, image.type);
    const auto fits = [&limits](std::uint32_t side) {
        return side > 0 && side <= limits.imageSide;
    };
    if (!fits(image.width) || !fits(image.height) || pixelBytes == 0 ||
        !in.charge(std::uint64_t{image.width} * image.height, pixelBytes)) {
        return false;
    }
    image.pixels.resize(std::size_t{image.width} * image.height * pixelBytes);
    return in.read(image.pixels.data(), image.pixels.size());
}

template <typename Data>
Reply<Data> readAnyReply(Reader& in, Kind kind, std::uint32_t sequence, const Limits& limits) {
    in.setBudget(limits.replyBytes);
    Reply<Data> reply;
    bool decoded = false;
    if (!readHeader(in, kind, sequence, decoded)) {
        return reply;
    }
    if (decoded && !readData(in, reply.data.emplace(), limits)) {
        reply.data.reset();
        return reply;
    }
    reply.sound = readEnd(in);
    if (!reply.sound) {
        reply.data.reset();
    }
    return reply;
}

} // namespace

Reader::Reader(ByteSource& source) : source(source), buffer(bufferBytes) {}

bool Reader::read(void* into, std::size_t bytes) {
    auto* to = static_cast<unsigned char*>(into);
    while (bytes > 0) {
        if (begin == end && bytes >= buffer.size()) {
            const std::size_t got = source.readSome(to, bytes);
            if (got == 0) {
                return false;
            }
            to += got;
            bytes -= got;
        } else if (begin == end) {
            begin = 0;
            end = source.readSome(buffer.data(), buffer.size());
            if (end == 0) {
                return false;
            }
        } else {
            const std::size_t taken = std::min(bytes, end - begin);
            std::memcpy(to, buffer.data() + begin, taken);
            begin += taken;
            to += taken;
            bytes -= taken;
        }
    }
    return true;
}

bool Reader::charge(std::uint64_t count, std::uint64_t size) {
    if (size != 0 && count > budget / size) {
        return false;
    }
    budget -= count * size;
    return true;
}

std::vector<unsigned char> requestBytes(const Request& request) {
    std::vector<unsigned char> bytes;
    const auto append = [&bytes](const void* from, std::size_t count) {
        const auto* first = static_cast<const unsigned char*>(from);
        bytes.insert(bytes.end(), first, first + count);
    };
    const std::uint32_t length = count32(request.path.size());
    append(&request.kind, sizeof request.kind);
    append(&request.sequence, sizeof request.sequence);
    append(&length, sizeof length);
    append(request.path.data(), request.path.size());
    return bytes;
}

std::optional<Request> readRequest(Reader& in) {
    in.setBudget(longestPath);
    Request request;
    std::uint32_t length = 0;
    if (!in.field(request.kind) || !in.field(request.sequence) || !in.field(length) ||
        (request.kind != Kind::Model && request.kind != Kind::Image) || !in.charge(length, 1)) {
        return std::nullopt;
    }
    request.path.resize(length);
    return in.read(request.path.data(), length) ? std::optional(request) : std::nullopt;
}

bool writeReply(ByteSink& sink, const Request& request, const std::optional<ModelData>& model) {
    return writeAnyReply(sink, request, model);
}

bool writeReply(ByteSink& sink, const Request& request, const std::optional<ImageData>& image) {
    return writeAnyReply(sink, request, image);
}

Reply<ModelData> readModelReply(Reader& in, std::uint32_t sequence, const Limits& limits) {
    return readAnyReply<ModelData>(in, Kind::Model, sequence, limits);
}

Reply<ImageData> readImageReply(Reader& in, std::uint32_t sequence, const Limits& limits) {
    return readAnyReply<ImageData>(in, Kind::Image, sequence, limits);
}

} // namespace orvane::files::wire
