// Draws the viewer's two images, the crate face and the grass, and writes
// them as PNG through DevIL. Usage: make_textures [folder], default Textures/.
// Only integer hashing and + - * / sqrt go into the pixels, so every run
// writes the same bytes.
#include <IL/il.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Colour {
    float r;
    float g;
    float b;
};

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(const Colour& c, float factor) {
    return {c.r * factor, c.g * factor, c.b * factor};
}

float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

// Rows top first, three bytes a pixel, as the PNG holds them.
struct Picture {
    int size;
    std::vector<Colour> pixels;

    explicit Picture(int size) : size(size), pixels(static_cast<size_t>(size) * size) {}
    Colour& at(int x, int y) { return pixels[static_cast<size_t>(y) * size + x]; }

    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> out;
        out.reserve(pixels.size() * 3);
        for (const Colour& c : pixels) {
            for (float channel : {c.r, c.g, c.b}) {
                out.push_back(static_cast<unsigned char>(std::lround(clamp01(channel) * 255.0f)));
            }
        }
        return out;
    }
};

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

float unitHash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    return static_cast<float>(hash(x, y, seed) >> 8) / 16777216.0f;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

// Value noise on a lattice that repeats every period cells, so an image
// made of it tiles without a seam.
float periodicNoise(float x, float y, int period, std::uint32_t seed) {
    const int cellX = static_cast<int>(std::floor(x));
    const int cellY = static_cast<int>(std::floor(y));
    const float fx = smooth(x - static_cast<float>(cellX));
    const float fy = smooth(y - static_cast<float>(cellY));
    auto corner = [&](int dx, int dy) {
        const auto wrap = [period](int v) {
            return static_cast<std::uint32_t>((v % period + period) % period);
        };
        return unitHash(wrap(cellX + dx), wrap(cellY + dy), seed);
    };
    const float top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * fx;
    const float bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * fx;
    return top + (bottom - top) * fy;
}

// Octaves from period firstPeriod upward, over an image of the given size.
float fractalNoise(float x, float y, int size, int firstPeriod, int octaves, std::uint32_t seed) {
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    int period = firstPeriod;
    for (int octave = 0; octave < octaves; ++octave) {
        const float scale = static_cast<float>(period) / static_cast<float>(size);
        sum += weight * periodicNoise(x * scale, y * scale, period, seed + octave);
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

// ---- The crate face -------------------------------------------------------
// A steel frame with rivets round four painted panels crossed by a brace,
// and a round emblem with a compass star in the middle. The outermost ring
// of the frame is one flat colour: the cube's -x face shows only what the
// four corners give.

constexpr int crateSize = 256;
constexpr float crateCentre = crateSize / 2.0f;
constexpr float frameWidth = 26.0f;
constexpr float bevelWidth = 4.0f;
constexpr float grooveHalfWidth = 3.5f;
constexpr float braceHalfWidth = 9.0f;
constexpr float emblemRadius = 52.0f;

const Colour steel{0.30f, 0.34f, 0.38f};
const Colour darkSteel{0.15f, 0.17f, 0.20f};
const Colour paint{0.76f, 0.71f, 0.60f};
const Colour bracePaint{0.62f, 0.57f, 0.47f};
const Colour groove{0.20f, 0.19f, 0.17f};
const Colour teal{0.09f, 0.50f, 0.54f};
const Colour ivory{0.94f, 0.92f, 0.85f};
const Colour orange{0.96f, 0.55f, 0.13f};

// A lit dome of the given radius around (cx, cy), or nothing outside it.
bool rivet(float x, float y, float cx, float cy, Colour& out) {
    const float radius = 4.5f;
    const float dx = (x - cx) / radius;
    const float dy = (y - cy) / radius;
    const float d2 = dx * dx + dy * dy;
    if (d2 > 1.0f) {
        return false;
    }
    const float dz = std::sqrt(1.0f - d2);
    // Light from the upper left, as for the bevels.
    const float light = clamp01(0.55f + 0.45f * (-0.5f * dx - 0.5f * dy + 0.7f * dz));
    out = scaled(mix(darkSteel, ivory, 0.35f), 0.5f + 0.8f * light);
    return true;
}

bool frameRivet(float x, float y, Colour& out) {
    const float middle = frameWidth / 2.0f;
    const float stops[] = {middle, 72.0f, crateCentre, crateSize - 72.0f, crateSize - middle};
    for (float along : stops) {
        for (float across : {middle, crateSize - middle}) {
            if (rivet(x, y, along, across, out) || rivet(x, y, across, along, out)) {
                return true;
            }
        }
    }
    return false;
}

Colour frame(float x, float y) {
    Colour rivetColour{};
    if (frameRivet(x, y, rivetColour)) {
        return rivetColour;
    }
    const float inner = std::min({x, y, crateSize - x, crateSize - y});
    if (inner < frameWidth - bevelWidth) {
        return steel;
    }
    // The inner lip: lit on the top and left, in shadow on the bottom and right.
    const bool litSide = std::min(x, y) <= std::min(crateSize - x, crateSize - y);
    return scaled(steel, litSide ? 1.45f : 0.6f);
}

// Distance from the nearest arm of the brace, an X from corner to corner.
float braceDistance(float x, float y) {
    const float diagonal = std::fabs(x - y) * 0.70710678f;
    const float antiDiagonal = std::fabs(x + y - crateSize) * 0.70710678f;
    return std::min(diagonal, antiDiagonal);
}

Colour panels(float x, float y) {
    const float toGroove = std::min(std::fabs(x - crateCentre), std::fabs(y - crateCentre));
    if (toGroove < grooveHalfWidth) {
        return groove;
    }
    const float toBrace = braceDistance(x, y);
    if (toBrace < braceHalfWidth) {
        return toBrace > braceHalfWidth - 1.5f ? scaled(bracePaint, 0.7f) : bracePaint;
    }
    // A shadow along the groove's lower and right side gives the panels depth.
    if (toGroove < grooveHalfWidth + 2.0f && (x > crateCentre || y > crateCentre)) {
        return scaled(paint, 0.8f);
    }
    return paint;
}

// Points of a star: an arm is a thin diamond along one axis of (u, v).
bool starArm(float u, float v, float length, float halfWidth) {
    return std::fabs(u) / length + std::fabs(v) / halfWidth <= 1.0f;
}

bool compassStar(float dx, float dy) {
    const float r = 0.70710678f;
    const float du = (dx + dy) * r;
    const float dv = (dx - dy) * r;
    return starArm(dx, dy, 40.0f, 8.0f) || starArm(dy, dx, 40.0f, 8.0f) ||
           starArm(du, dv, 24.0f, 6.0f) || starArm(dv, du, 24.0f, 6.0f);
}

Colour emblem(float dx, float dy) {
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (distance < 5.0f) {
        return darkSteel;
    }
    if (compassStar(dx, dy)) {
        // Each arm is lit on one side and shaded on the other, like a ridge.
        return scaled(orange, (dx + dy < 0.0f) == (std::fabs(dx) > std::fabs(dy)) ? 1.0f : 0.8f);
    }
    if (distance > emblemRadius - 7.0f) {
        return darkSteel;
    }
    if (distance > 32.0f && distance < 36.0f) {
        return ivory;
    }
    return teal;
}

Colour crateColour(float x, float y) {
    const float dx = x - crateCentre;
    const float dy = y - crateCentre;
    if (dx * dx + dy * dy < emblemRadius * emblemRadius) {
        return emblem(dx, dy);
    }
    if (std::min({x, y, crateSize - x, crateSize - y}) < frameWidth) {
        return frame(x, y);
    }
    return panels(x, y);
}

// A faint mottling, as of paint on metal, kept off the outermost pixels.
float crateWear(float x, float y) {
    const float inner = std::min({x, y, crateSize - x, crateSize - y});
    if (inner < 6.0f) {
        return 1.0f;
    }
    return 0.94f + 0.12f * fractalNoise(x, y, crateSize, 8, 4, 11);
}

Picture drawCrate() {
    constexpr int samples = 4;
    Picture picture(crateSize);
    for (int y = 0; y < crateSize; ++y) {
        for (int x = 0; x < crateSize; ++x) {
            Colour sum{0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const float px = static_cast<float>(x) + (sx + 0.5f) / samples;
                    const float py = static_cast<float>(y) + (sy + 0.5f) / samples;
                    const Colour c = crateColour(px, py);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const float wear = crateWear(x + 0.5f, y + 0.5f);
            picture.at(x, y) = scaled(sum, wear / (samples * samples));
        }
    }
    return picture;
}

// ---- The grass ------------------------------------------------------------
// Mottled green ground strewn with short blades. Everything wraps at the
// edges, so the picture tiles, which the ground's far corner relies on.

constexpr int grassSize = 512;
constexpr int bladeCount = 22000;

const Colour soilGreen{0.14f, 0.30f, 0.08f};
const Colour meadowGreen{0.28f, 0.50f, 0.14f};
const Colour dryGrass{0.50f, 0.52f, 0.22f};
const Colour bladeDark{0.10f, 0.26f, 0.06f};
const Colour bladeLight{0.46f, 0.68f, 0.22f};

Colour groundColour(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float patches = fractalNoise(fx, fy, grassSize, 4, 5, 21);
    const float dryness = fractalNoise(fx, fy, grassSize, 4, 3, 37);
    Colour ground = mix(soilGreen, meadowGreen, clamp01(patches * 1.6f - 0.3f));
    ground = mix(ground, dryGrass, clamp01((dryness - 0.62f) * 3.0f));
    const float speckle =
        0.85f + 0.3f * unitHash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 53);
    return scaled(ground, speckle);
}

void drawBlade(Picture& picture, int index) {
    const auto i = static_cast<std::uint32_t>(index);
    const float rootX = unitHash(i, 0, 71) * grassSize;
    const float rootY = unitHash(i, 1, 71) * grassSize;
    const float length = 3.0f + 7.0f * unitHash(i, 2, 71);
    // Seen from above, blades lean every way.
    float dx = unitHash(i, 3, 71) * 2.0f - 1.0f;
    float dy = unitHash(i, 5, 71) * 2.0f - 1.0f;
    const float norm = std::sqrt(dx * dx + dy * dy);
    dx = norm > 0.1f ? dx / norm : 0.0f;
    dy = norm > 0.1f ? dy / norm : -1.0f;
    const Colour tip = mix(bladeDark, bladeLight, unitHash(i, 4, 71));
    for (float t = 0.0f; t <= length; t += 0.5f) {
        const int x =
            (static_cast<int>(std::floor(rootX + dx * t)) % grassSize + grassSize) % grassSize;
        const int y =
            (static_cast<int>(std::floor(rootY + dy * t)) % grassSize + grassSize) % grassSize;
        // The blade fades in from its root, darker there, towards its tip.
        const float along = t / length;
        const Colour blade = mix(bladeDark, tip, along);
        Colour& pixel = picture.at(x, y);
        pixel = mix(pixel, blade, 0.35f + 0.4f * along);
    }
}

Picture drawGrass() {
    Picture picture(grassSize);
    for (int y = 0; y < grassSize; ++y) {
        for (int x = 0; x < grassSize; ++x) {
            picture.at(x, y) = groundColour(x, y);
        }
    }
    for (int blade = 0; blade < bladeCount; ++blade) {
        drawBlade(picture, blade);
    }
    return picture;
}

// ---- Writing --------------------------------------------------------------

bool savePng(const Picture& picture, const std::filesystem::path& path) {
    std::vector<unsigned char> bytes = picture.bytes();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(picture.size, picture.size, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                            bytes.data()) == IL_TRUE;
    // New DevIL images count rows from the bottom and are flipped on saving;
    // ours are already top first.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    saved = saved && ilSaveImage(path.string().c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    if (!saved) {
        std::cout << "Could not write " << path.string() << std::endl;
    }
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "Textures";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    const bool crate = savePng(drawCrate(), folder / "CompanionCube.png");
    const bool grass = savePng(drawGrass(), folder / "GrassTexture.png");
    return crate && grass ? 0 : 1;
}
