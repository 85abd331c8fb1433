// What goes between the viewer and its decoder: requests one way, replies
// the other, as bytes. The decoder writes what it decoded; the viewer reads
// it trusting nothing: every count is held against the bytes that really
// come and against limits of its own, every index against its mesh.
#pragma once

#include "files/file_data.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::files::wire {

// Bytes as a channel delivers them: some at a time, 0 once it has ended (or
// failed, or its reader gave up).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t readSome(void* into, std::size_t most) = 0;
};

// False once the other end is gone.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool writeAll(const void* from, std::size_t bytes) = 0;
};

// The reading end of a channel: exact reads through a buffer, which may
// already hold the start of what follows, so one reader serves a channel for
// its whole life. Reads as large as the buffer go straight to their
// destination. What the viewer holds for one reply is charged to a budget
// before it is taken, so that no count can make it hold more.
class Reader {
public:
    explicit Reader(ByteSource& source);
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool read(void* into, std::size_t bytes);
    template <typename Field> bool field(Field& value) { return read(&value, sizeof value); }
    void setBudget(std::uint64_t bytes) { budget = bytes; }
    // Charges count items of size bytes, or refuses when they would not fit.
    bool charge(std::uint64_t count, std::uint64_t size);
    // A vector of count items, charged, then read whole.
    template <typename Item> bool items(std::vector<Item>& into, std::uint32_t count) {
        if (!charge(count, sizeof(Item))) {
            return false;
        }
        into.resize(count);
        return read(into.data(), sizeof(Item) * into.size());
    }

private:
    ByteSource& source;
    std::uint64_t budget = 0;
    std::vector<unsigned char> buffer;
    std::size_t begin = 0;
    std::size_t end = 0;
};

enum class Kind : std::uint8_t { Model = 'M', Image = 'I' };

// The longest path a request carries, as the longest a system takes.
constexpr std::size_t longestPath = 4096;

struct Request {
    Kind kind = Kind::Model;
    // Echoed by the reply, so that a reply can never be taken for another's.
    std::uint32_t sequence = 0;
    std::string path;
};

// What the viewer will take in one reply.
struct Limits {
    std::uint64_t replyBytes = 0;
    std::uint32_t imageSide = 0;
};

// A reply as read: sound when it added up whole, and then it holds the
// decoded data or says the file did not decode. After a reply that is not
// sound, nothing more may be read from the channel.
template <typename Data> struct Reply {
    bool sound = false;
    std::optional<Data> data;
};

// The request's bytes, on the viewer's side.
std::vector<unsigned char> requestBytes(const Request& request);

// The decoder's side. A reply goes out through a buffer, so that small
// fields do not each cost a write.
std::optional<Request> readRequest(Reader& in);
bool writeReply(ByteSink& sink, const Request& request, const std::optional<ModelData>& model);
bool writeReply(ByteSink& sink, const Request& request, const std::optional<ImageData>& image);

// The viewer's side: the reply to the request of this sequence number.
Reply<ModelData> readModelReply(Reader& in, std::uint32_t sequence, const Limits& limits);
Reply<ImageData> readImageReply(Reader& in, std::uint32_t sequence, const Limits& limits);

} // namespace orvane::files::wire
