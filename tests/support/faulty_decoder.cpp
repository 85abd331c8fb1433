// A decoder that fails as a decoder process can, chosen by the name of the
// file it is asked for: it dies part way through its reply, never answers,
// lies about what its reply holds, or reads past a buffer (which
// AddressSanitizer reports). Any other file it decodes as the real one does.
#include "files/decode.h"
#include "files/decoder_process.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using namespace orvane::files;

class Memory : public wire::ByteSink {
public:
    bool writeAll(const void* from, std::size_t count) override {
        bytes.insert(bytes.end(), static_cast<const unsigned char*>(from),
                     static_cast<const unsigned char*>(from) + count);
        return true;
    }
    std::vector<unsigned char> bytes;
};

bool named(const wire::Request& request, const char* fault) {
    return request.path.find(fault) != std::string::npos;
}

// The first index of the first mesh made one past every vertex, or an
// image's width made 0.
void lie(const wire::Request& request, std::vector<unsigned char>& reply) {
    std::uint32_t vertices = 0;
    std::memcpy(&vertices, reply.data() + 18, 4);
    const std::uint32_t pastThem = request.kind == wire::Kind::Model ? vertices : 0;
    std::memcpy(reply.data() + (request.kind == wire::Kind::Model ? 26 + 32 * vertices : 6),
                &pastThem, 4);
}

} // namespace

int main() {
    DecoderEnd end;
    wire::Reader requests(end);
    while (const std::optional<wire::Request> request = wire::readRequest(requests)) {
        Memory reply;
        if (request->kind == wire::Kind::Model) {
            wire::writeReply(reply, *request, decodeModel(request->path));
        } else {
            wire::writeReply(reply, *request, decodeImage(request->path));
        }
        while (named(*request, "never-answers")) {
            std::this_thread::sleep_for(std::chrono::hours(1));
        }
        if (named(*request, "dies-mid-reply")) {
            end.writeAll(reply.bytes.data(), reply.bytes.size() / 2);
            std::_Exit(3);
        }
        if (named(*request, "lies-about-counts")) {
            lie(*request, reply.bytes);
        }
        if (named(*request, "reads-past-a-buffer")) {
            const auto* buffer = new unsigned char[8]();
            const volatile std::size_t beyond = 9; // out of the compiler's sight
            std::memcpy(reply.bytes.data(), buffer, beyond);
            delete[] buffer;
        }
        end.writeAll(reply.bytes.data(), reply.bytes.size());
    }
    std::_Exit(0);
}
