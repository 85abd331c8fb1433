// Requests in the order they were sent, replies read in the same order: a
// reply that comes before the one wanted is kept until its file is read.
#include "files/decoder.h"

#include "files/decoder_process.h"
#include "files/wire.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <limits>
#include <list>
#include <memory>

namespace orvane::files {
namespace {

// A valid model of a million triangles decodes here in 4 s and 1 GB of
// address space, or in 12 s and 2 GB when no two triangles share a vertex:
// room for a machine five times slower, and for models larger still.
constexpr std::chrono::seconds decodingDeadline{60};
constexpr std::uint64_t decoderMemory = std::uint64_t{4} << 30;
// The most the viewer holds of one reply: the largest texture a driver
// commonly takes (16384 x 16384, RGBA), or about 30 million triangles.
constexpr std::uint64_t replyBudget = std::uint64_t{1} << 30;
// Requests sent ahead, at most: a model naming thousands of textures must
// not fill the channel while the decoder waits for its replies to be read.
constexpr std::size_t mostAhead = 8;

// The decoder keeps the working folder it was started in, and the viewer's
// may change in between: it is sent whole paths, as the viewer means them.
std::string wholePath(const std::string& path) {
    std::error_code unknown;
    const std::filesystem::path whole =
        std::filesystem::absolute(std::filesystem::u8path(path), unknown);
    return unknown ? path : whole.u8string();
}

struct Pending {
    wire::Request request;
    Clock::time_point sent;
    bool answered = false;
    std::optional<ModelData> model;
    std::optional<ImageData> image;
};

class Decoder {
public:
    void prefetch(wire::Kind kind, const std::string& given) {
        const std::string path = wholePath(given);
        const auto ahead = std::count_if(pending.begin(), pending.end(),
                                         [](const Pending& entry) { return !entry.answered; });
        if (!givenUp && path.size() <= wire::longestPath &&
            static_cast<std::size_t>(ahead) < mostAhead && find(kind, path) == pending.end()) {
            request(kind, path);
        }
    }

    // The answer to the first request for the file, sent now if it was not
    // sent ahead.
    Pending take(wire::Kind kind, const std::string& given) {
        const std::string path = wholePath(given);
        if (givenUp || path.size() > wire::longestPath) {
            return {};
        }
        auto entry = find(kind, path);
        if (entry == pending.end()) {
            entry = request(kind, path);
        }
        while (!entry->answered) {
            readNextReply();
        }
        Pending taken = std::move(*entry);
        pending.erase(entry);
        return taken;
    }

    void finish() {
        startFailed = false;
        pending.clear();
        reader.reset();
        process.reset();
    }

    DecoderSettings settings{decoderBesideThisProgram(), decoderMemory, decodingDeadline};
    std::uint32_t imageSide = std::numeric_limits<std::uint32_t>::max();
    std::function<bool()> answer;

private:
    std::list<Pending>::iterator find(wire::Kind kind, const std::string& path) {
        return std::find_if(pending.begin(), pending.end(), [&](const Pending& entry) {
            return entry.request.kind == kind && entry.request.path == path;
        });
    }

    std::list<Pending>::iterator request(wire::Kind kind, const std::string& path) {
        pending.push_back({{kind, 0, path}, {}, false, {}, {}});
        send(pending.back());
        return std::prev(pending.end());
    }

    // A decoder that does not start answers every request with nothing.
    void send(Pending& entry) {
        if (!process && !start()) {
            entry.answered = true;
            return;
        }
        entry.request.sequence = nextSequence++;
        entry.sent = Clock::now();
        process->waitUntil(entry.sent + settings.deadline, answer);
        // A decoder that cannot take it has ended or hangs; reading its reply tells.
        process->send(wire::requestBytes(entry.request));
    }

    bool start() {
        process = std::make_unique<DecoderProcess>(settings.executable, settings.memoryBytes);
        if (!process->running()) {
            process.reset();
            // Once: every file after it fails the same way.
            if (!startFailed) {
                std::cout << "Cannot start the file decoder: " << settings.executable << std::endl;
            }
            startFailed = true;
            return false;
        }
        reader = std::make_unique<wire::Reader>(*process);
        lastReply = Clock::now();
        return true;
    }

    // The deadline runs from when the decoder can have begun on the file.
    void readNextReply() {
        Pending& head = *std::find_if(pending.begin(), pending.end(),
                                      [](const Pending& entry) { return !entry.answered; });
        process->waitUntil(std::max(head.sent, lastReply) + settings.deadline, answer);
        const wire::Limits limits{replyBudget, imageSide};
        bool sound = false;
        if (head.request.kind == wire::Kind::Model) {
            wire::Reply<ModelData> reply =
                wire::readModelReply(*reader, head.request.sequence, limits);
            sound = reply.sound;
            head.model = std::move(reply.data);
        } else {
            wire::Reply<ImageData> reply =
                wire::readImageReply(*reader, head.request.sequence, limits);
            sound = reply.sound;
            head.image = std::move(reply.data);
        }
        head.answered = true;
        lastReply = Clock::now();
        if (!sound) {
            endAfterBrokenReply();
        }
    }

    // Whatever the decoder was doing, it is ended. The files asked for after
    // the one that broke it go to a new decoder, unless the run is ending.
    void endAfterBrokenReply() {
        givenUp = process->gaveUp();
        reader.reset();
        process.reset();
        for (Pending& entry : pending) {
            if (!entry.answered && givenUp) {
                entry.answered = true;
            } else if (!entry.answered) {
                send(entry);
            }
        }
    }

    std::list<Pending> pending;
    std::unique_ptr<DecoderProcess> process;
    std::unique_ptr<wire::Reader> reader;
    std::uint32_t nextSequence = 0;
    Clock::time_point lastReply;
    bool givenUp = false;
    bool startFailed = false;
};

Decoder& decoder() {
    static Decoder instance;
    return instance;
}

} // namespace

void prefetchModel(const std::string& path) {
    decoder().prefetch(wire::Kind::Model, path);
}

void prefetchImage(const std::string& path) {
    decoder().prefetch(wire::Kind::Image, path);
}

std::optional<ModelData> readModel(const std::string& path) {
    return decoder().take(wire::Kind::Model, path).model;
}

std::optional<ImageData> readImage(const std::string& path) {
    return decoder().take(wire::Kind::Image, path).image;
}

void limitImageSide(std::uint32_t pixels) {
    decoder().imageSide = pixels;
}

void whileWaiting(std::function<bool()> answer) {
    decoder().answer = std::move(answer);
}

void finishReading() {
    decoder().finish();
}

DecoderSettings& decoderSettings() {
    return decoder().settings;
}

} // namespace orvane::files
