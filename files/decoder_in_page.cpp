// The decoder in a browser, which starts no processes and is a sandbox of
// its own: each request is answered in the page as it is sent, its reply
// kept until read. A file that breaks a library can end the run, never the
// tab. (On the desktop, decoder_process.cpp.)
#include "files/decode.h"
#include "files/decoder_process.h"

#include <algorithm>
#include <cstring>

namespace orvane::files {

namespace {

class MemoryBytes : public wire::ByteSource, public wire::ByteSink {
public:
    std::size_t readSome(void* into, std::size_t most) override {
        const std::size_t count = std::min(most, bytes.size() - at);
        if (count == 0) {
            return 0;
        }
        std::memcpy(into, bytes.data() + at, count);
        at += count;
        if (at == bytes.size()) {
            bytes.clear();
            at = 0;
        }
        return count;
    }

    bool writeAll(const void* from, std::size_t count) override {
        const auto* first = static_cast<const unsigned char*>(from);
        bytes.insert(bytes.end(), first, first + count);
        return true;
    }

private:
    std::vector<unsigned char> bytes;
    std::size_t at = 0;
};

} // namespace

struct DecoderProcess::Channel {
    MemoryBytes requests;
    MemoryBytes replies;
    wire::Reader requestReader{requests};
};

std::string decoderBesideThisProgram() {
    return "";
}

DecoderProcess::DecoderProcess(const std::string&, std::uint64_t)
    : channel(std::make_unique<Channel>()) {}

DecoderProcess::~DecoderProcess() = default;

bool DecoderProcess::running() const {
    return true;
}

bool DecoderProcess::send(const std::vector<unsigned char>& request) {
    channel->requests.writeAll(request.data(), request.size());
    return answerRequest(channel->requestReader, channel->replies);
}

std::size_t DecoderProcess::readSome(void* into, std::size_t most) {
    return channel->replies.readSome(into, most);
}

// The decoder's own end exists only where the decoder is a process.

} // namespace orvane::files
