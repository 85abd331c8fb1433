// The decoder as a process of its own: the one place that knows how a
// process is started, limited, talked to and ended on each system
// (decoder_process.cpp). In a browser, which has no processes to start, the
// decoding runs in the page's own process behind the same class
// (decoder_in_page.cpp).
#pragma once

#include "files/wire.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane::files {

using Clock = std::chrono::steady_clock;

// The decoder executable installed beside the running program.
std::string decoderBesideThisProgram();

// The viewer's end. Requests go out whole; replies come in as the decoder
// writes them, read under a deadline while the window keeps answering.
class DecoderProcess : public wire::ByteSource {
public:
    // Starts the decoder with at most memoryBytes of memory; running() tells
    // whether it started.
    DecoderProcess(const std::string& executable, std::uint64_t memoryBytes);
    // Ends the decoder at once, whatever it is doing, and waits until it has.
    ~DecoderProcess() override;
    DecoderProcess(const DecoderProcess&) = delete;
    DecoderProcess& operator=(const DecoderProcess&) = delete;

    bool running() const;
    bool send(const std::vector<unsigned char>& request);
    // Waits for bytes until the deadline, calling answer at least every tenth
    // of a second meanwhile; 0 once the decoder has ended, the deadline has
    // passed or answer returned false.
    std::size_t readSome(void* into, std::size_t most) override;
    void waitUntil(Clock::time_point until, const std::function<bool()>& answerWith) {
        deadline = until;
        answer = answerWith;
        stopped = false;
    }
    // Whether the last wait ended because answer returned false.
    bool gaveUp() const { return stopped; }

private:
    struct Channel;
    std::unique_ptr<Channel> channel;
    Clock::time_point deadline;
    std::function<bool()> answer;
    bool stopped = false;
};

// The decoder's own end: its requests in, its replies out. Whatever a library
// in the decoder would print to standard output goes to standard error.
class DecoderEnd : public wire::ByteSource, public wire::ByteSink {
public:
    DecoderEnd();
    ~DecoderEnd() override;
    DecoderEnd(const DecoderEnd&) = delete;
    DecoderEnd& operator=(const DecoderEnd&) = delete;

    std::size_t readSome(void* into, std::size_t most) override;
    bool writeAll(const void* from, std::size_t bytes) override;

private:
    struct Channel;
    std::unique_ptr<Channel> channel;
};

} // namespace orvane::files
