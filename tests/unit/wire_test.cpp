// Replies between the decoder and the viewer, in memory: what the decoder
// writes reads back whole, and a reply that does not add up is never taken.
#include "files/wire.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using namespace orvane::files;
using Bytes = std::vector<unsigned char>;

// Hands its bytes out a few at a time, as a channel does.
class Memory : public wire::ByteSource, public wire::ByteSink {
public:
    std::size_t readSome(void* into, std::size_t most) override {
        const std::size_t count = std::min({most, bytes.size() - at, std::size_t{7}});
        if (count > 0) {
            std::memcpy(into, bytes.data() + at, count);
        }
        at += count;
        return count;
    }
    bool writeAll(const void* from, std::size_t count) override {
        bytes.insert(bytes.end(), static_cast<const unsigned char*>(from),
                     static_cast<const unsigned char*>(from) + count);
        return true;
    }
    Bytes bytes;
    std::size_t at = 0;
};

const wire::Request modelRequest{wire::Kind::Model, 7, "/models/ship.dae"};
const wire::Request imageRequest{wire::Kind::Image, 8, "/textures/hull.png"};
const wire::Limits limits{1 << 20, 4};

ModelData twoMeshes() {
    ModelData model;
    model.meshes.resize(2);
    model.meshes[0].vertices = {{{1, 2, 3}, {0.5f, 1}, {0, 0, 1}}, {}, {{7, 8, 9}, {}, {}}};
    model.meshes[0].indices = {0, 1, 2, 2, 1, 0};
    model.meshes[0].materialIndex = 1;
    model.meshes[1].materialIndex = 99; // outside the table, as a file may say
    model.diffuseTextures = {std::nullopt, "textures/hull.png"};
    return model;
}

ImageData twoByOne() {
    return {2, 1, 0x1907 /* RGB */, 0x1401 /* UNSIGNED_BYTE */, {1, 2, 3, 4, 5, 6}};
}

Bytes replyTo(const wire::Request& request, const std::optional<ModelData>& model) {
    Memory out;
    EXPECT_TRUE(wire::writeReply(out, request, model));
    return out.bytes;
}

Bytes replyTo(const wire::Request& request, const std::optional<ImageData>& image) {
    Memory out;
    EXPECT_TRUE(wire::writeReply(out, request, image));
    return out.bytes;
}

wire::Reply<ModelData> readModel(const Bytes& bytes, std::uint32_t sequence = 7,
                                 const wire::Limits& with = limits) {
    Memory in;
    in.bytes = bytes;
    wire::Reader reader(in);
    return wire::readModelReply(reader, sequence, with);
}

wire::Reply<ImageData> readImage(const Bytes& bytes, const wire::Limits& with = limits) {
    Memory in;
    in.bytes = bytes;
    wire::Reader reader(in);
    return wire::readImageReply(reader, 8, with);
}

// Sound data comes back byte for byte: written again, it is the same reply.
TEST(Wire, ModelsImagesAndFailuresReadBackAsTheDecoderWroteThem) {
    const Bytes model = replyTo(modelRequest, twoMeshes());
    const wire::Reply<ModelData> readModelBack = readModel(model);
    ASSERT_TRUE(readModelBack.sound && readModelBack.data);
    EXPECT_EQ(replyTo(modelRequest, readModelBack.data), model);

    const Bytes image = replyTo(imageRequest, twoByOne());
    const wire::Reply<ImageData> readImageBack = readImage(image);
    ASSERT_TRUE(readImageBack.sound && readImageBack.data);
    EXPECT_EQ(replyTo(imageRequest, readImageBack.data), image);

    const wire::Reply<ModelData> failed =
        readModel(replyTo(modelRequest, std::optional<ModelData>()));
    EXPECT_TRUE(failed.sound);
    EXPECT_FALSE(failed.data);
}

// Replies follow one another on one channel: reading one takes none of the next.
TEST(Wire, RepliesOneAfterAnotherAreReadEachWhole) {
    Memory channel;
    wire::writeReply(channel, modelRequest, std::optional(twoMeshes()));
    wire::writeReply(channel, imageRequest, std::optional(twoByOne()));
    wire::writeReply(channel, wire::Request{wire::Kind::Model, 9, "x"}, std::optional<ModelData>());
    wire::Reader reader(channel);
    EXPECT_TRUE(wire::readModelReply(reader, 7, limits).data);
    EXPECT_TRUE(wire::readImageReply(reader, 8, limits).data);
    EXPECT_TRUE(wire::readModelReply(reader, 9, limits).sound);
}

// A decoder that dies part way: whatever it sent is not taken.
TEST(Wire, EveryReplyCutShortIsRefused) {
    const Bytes model = replyTo(modelRequest, twoMeshes());
    const Bytes image = replyTo(imageRequest, twoByOne());
    for (std::size_t length = 0; length < model.size(); ++length) {
        EXPECT_FALSE(readModel(Bytes(model.begin(), model.begin() + length)).sound) << length;
    }
    for (std::size_t length = 0; length < image.size(); ++length) {
        EXPECT_FALSE(readImage(Bytes(image.begin(), image.begin() + length)).sound) << length;
    }
}

// Field offsets in a reply of twoMeshes(): after the 6-byte header, the
// counts, then the first mesh's material, vertex count and index count.
constexpr std::size_t meshCountAt = 6;
constexpr std::size_t firstVertexCountAt = 18;
constexpr std::size_t firstIndexCountAt = 22;
constexpr std::size_t firstIndicesAt = 26 + 3 * 32;

template <typename Value> Bytes with(Bytes bytes, std::size_t at, Value value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
    return bytes;
}

TEST(Wire, ARepliedModelThatDoesNotAddUpIsRefused) {
    const Bytes model = replyTo(modelRequest, twoMeshes());
    Bytes longer = model;
    longer.insert(longer.end() - 4, 0); // a byte more than its counts say
    const std::pair<const char*, Bytes> lies[] = {
        {"another request's sequence", with(model, 0, std::uint32_t{8})},
        {"an image's kind", with(model, 4, wire::Kind::Image)},
        {"a decoded flag of 2", with(model, 5, std::uint8_t{2})},
        {"more meshes than it holds", with(model, meshCountAt, std::uint32_t{3})},
        {"billions of meshes", with(model, meshCountAt, std::uint32_t{4000000000})},
        {"more vertices than it holds", with(model, firstVertexCountAt, std::uint32_t{4})},
        {"vertices past the budget", with(model, firstVertexCountAt, std::uint32_t{1 << 30})},
        {"an index count not a multiple of 3", with(model, firstIndexCountAt, std::uint32_t{5})},
        {"an index past its mesh's vertices", with(model, firstIndicesAt, std::uint32_t{3})},
        {"a byte more than its counts", longer},
        {"no end marker", Bytes(model.begin(), model.end() - 1)},
    };
    for (const auto& [lie, bytes] : lies) {
        const wire::Reply<ModelData> reply = readModel(bytes);
        EXPECT_FALSE(reply.sound || reply.data) << lie;
    }
    // Within the budget it reads; a byte less and it does not.
    const std::uint64_t held =
        2 * sizeof(MeshData) + 2 * sizeof(std::optional<std::string>) + 3 * 32 + 6 * 4 + 17;
    EXPECT_TRUE(readModel(model, 7, {held, 4}).sound);
    EXPECT_FALSE(readModel(model, 7, {held - 1, 4}).sound);
}

TEST(Wire, ARepliedImageThatDoesNotAddUpOrIsTooLargeIsRefused) {
    const Bytes image = replyTo(imageRequest, twoByOne());
    const std::pair<const char*, Bytes> lies[] = {
        {"a width of 0", with(image, 6, std::uint32_t{0})},
        {"wider than the limit", with(image, 6, std::uint32_t{5})},
        {"taller than the limit", with(image, 10, std::uint32_t{5})},
        {"a format OpenGL's core profile lacks", with(image, 14, std::uint32_t{0x1909})},
        {"a sample type of doubles", with(image, 18, std::uint32_t{0x140A})},
        {"more pixels than it holds", with(image, 10, std::uint32_t{2})},
    };
    for (const auto& [lie, bytes] : lies) {
        const wire::Reply<ImageData> reply = readImage(bytes);
        EXPECT_FALSE(reply.sound || reply.data) << lie;
    }
    EXPECT_FALSE(readImage(image, {5, 4}).sound) << "past the budget";
}

TEST(Wire, RequestsReadBackAndNoPathIsLongerThanASystemTakes) {
    Memory channel;
    for (const wire::Request& request : {modelRequest, imageRequest}) {
        const Bytes bytes = wire::requestBytes(request);
        channel.bytes.insert(channel.bytes.end(), bytes.begin(), bytes.end());
    }
    const Bytes tooLong =
        wire::requestBytes({wire::Kind::Image, 9, std::string(wire::longestPath + 1, 'x')});
    channel.bytes.insert(channel.bytes.end(), tooLong.begin(), tooLong.end());
    wire::Reader reader(channel);
    for (const wire::Request& expected : {modelRequest, imageRequest}) {
        const std::optional<wire::Request> request = wire::readRequest(reader);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->kind, expected.kind);
        EXPECT_EQ(request->sequence, expected.sequence);
        EXPECT_EQ(request->path, expected.path);
    }
    EXPECT_FALSE(wire::readRequest(reader));
}

} // namespace
