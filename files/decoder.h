// The one way the viewer reads a model or an image file. The file is decoded
// by the decoder, a process of its own under a memory limit and a deadline,
// so that no file can crash, stall or exhaust the viewer: a decoder that
// crashes, runs out of memory or time, or replies with anything that does not
// add up is ended, and that file simply did not load.
#pragma once

#include "files/file_data.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane::files {

// Asks for a file to be decoded now, ahead of reading it, so that the
// decoding overlaps the viewer's own work. Only a hint: reading a file that
// was never asked for ahead works all the same.
void prefetchModel(const std::string& path);
void prefetchImage(const std::string& path);

// The file decoded; none when it did not decode (or was not a regular file).
std::optional<ModelData> readModel(const std::string& path);
std::optional<ImageData> readImage(const std::string& path);

// No image wider or taller than this is taken (what OpenGL can hold).
void limitImageSide(std::uint32_t pixels);

// Called every so often while the viewer waits for the decoder. When it
// returns false the wait ends at once, the decoder with it, and no file is
// read any more: the run is ending.
void whileWaiting(std::function<bool()> answer);

// Ends the decoder when nothing more is to be read; a later read starts a
// new one.
void finishReading();

// Where the decoder is, the memory it may take and how long it may take for
// one file. Tests lower the limits and put decoders of their own in its
// place. The deadline holds from the next reply on, the rest from the next
// decoder started.
struct DecoderSettings {
    std::string executable;
    std::uint64_t memoryBytes = 0;
    std::chrono::milliseconds deadline{0};
};
DecoderSettings& decoderSettings();

} // namespace orvane::files
