// The flying camera as a person meets it: mouse and keys through the X
// server, the picture read back from the window. The turn per pixel
// depends on the frame time, which is unknown here, so every move is
// measured on the picture before the next one is chosen.
#include "support/viewer.h"
#include "support/virtual_display.h"
#include "support/window_capture.h"
#include "support/x_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace orvane::test;
using Clock = std::chrono::steady_clock;
using Mask = std::vector<bool>;

constexpr int width = 1280;
constexpr int height = 768;
// Pixels per unit of tangent: half the height over tan 30 degrees.
constexpr double focal = 384.0 / 0.57735027;
// Columns clear of the flyer, which hangs in the lower middle.
constexpr int leftColumn = 150;
constexpr int rightColumn = 1130;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The clear colour (0.3, 0.5, 1.0).
bool isSky(const std::array<int, 3>& pixel) {
    return std::abs(pixel[0] - 77) <= 3 && std::abs(pixel[1] - 128) <= 3 && pixel[2] >= 250;
}

// The crate image is beige, grey-blue, teal and orange; the grass, green or
// dry, has far less blue than green.
bool isCrateColoured(const std::array<int, 3>& pixel) {
    return !isSky(pixel) && (pixel[2] * 10 > pixel[1] * 7 || pixel[0] > pixel[1] + 40);
}

// The first ground row from the top in a column: -1 when the top is not
// sky, height when the column is all sky.
int horizonRow(const Image& image, int column) {
    if (!isSky(image.at(column, 0))) {
        return -1;
    }
    int row = 1;
    while (row < image.height && isSky(image.at(column, row))) {
        ++row;
    }
    return row;
}

// The row of the far edge of the ground (at z = -20), seen from the start
// height 5 at z, heading -z with the given pitch (negative looking down).
// The far plane, 20 away, cuts the ground first until the camera passes z = 0.
double levelHorizonRow(double pitch, double z) {
    const double farCut = (5.0 + 20.0 * std::sin(pitch)) / (20.0 * std::cos(pitch));
    const double edgeCut = std::tan(pitch + std::atan(5.0 / std::min(20.0 + z, 20.0)));
    return 384.0 + focal * std::max(farCut, edgeCut);
}

double zFromLevelHorizon(int row) {
    if (row <= levelHorizonRow(0.0, 0.0) + 0.5) {
        return 0.0;
    }
    return 5.0 * focal / (row - 384.0) - 20.0;
}

// The inverse: the smaller of the pitches at which the ground's edge or the
// far plane's cut reaches row; the latter solves t cos p - sin p = 1/4.
double pitchFromHorizon(int row, double z) {
    const double t = (row - 384.0) / focal;
    const double edgePitch = std::atan(t) - std::atan(5.0 / std::min(20.0 + z, 20.0));
    const double farPitch = std::acos(0.25 / std::hypot(1.0, t)) - std::atan2(1.0, t);
    return std::min(edgePitch, farPitch);
}

// Frames are running once the sky is at the top and ground at the bottom.
bool isLevelPicture(const Image& image) {
    return image.width == width && image.height == height && isSky(image.at(leftColumn, 2)) &&
           !isSky(image.at(leftColumn, height - 2));
}

size_t indexOf(int x, int y) {
    return static_cast<size_t>(y) * width + x;
}

// The flyer is the only crate-coloured thing in the first picture, and it
// stays at the same pixels whatever the view; grown a little, the mask
// hides it from the search for the cube.
Mask flyerMask(const Image& image) {
    Mask mask(indexOf(0, height), false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!isCrateColoured(image.at(x, y))) {
                continue;
            }
            for (int my = std::max(0, y - 4); my <= std::min(height - 1, y + 4); ++my) {
                for (int mx = std::max(0, x - 4); mx <= std::min(width - 1, x + 4); ++mx) {
                    mask[indexOf(mx, my)] = true;
                }
            }
        }
    }
    return mask;
}

struct Box {
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    int samples = 0;
    double rowSum = 0.0;

    void add(int x, int y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++samples;
        rowSum += y;
    }
    double row() const { return rowSum / samples; }
    bool contains(int x, int y, int margin) const {
        return x >= left - margin && x <= right + margin && y >= top - margin &&
               y <= bottom + margin;
    }
};

// The crate-coloured pixels off the flyer: the cube, once it is in view.
std::optional<Box> findCube(const Image& image, const Mask& flyer) {
    Box cube;
    for (int y = 0; y < height; y += 3) {
        for (int x = 0; x < width; x += 3) {
            if (!flyer[indexOf(x, y)] && isCrateColoured(image.at(x, y))) {
                cube.add(x, y);
            }
        }
    }
    return cube.samples < 25 ? std::nullopt : std::optional<Box>(cube);
}

struct Difference {
    int outside = 0;
    int outsideTotal = 0;
    int inside = 0;
    // Pixels around the flyer that are flyer in one picture and not in the
    // other. Its shading follows the view, since the light is fixed in the
    // world, so only its outline is compared.
    int flyerOutline = 0;
};

// Changed pixels inside the spared box (grown by 30) and outside it.
Difference compare(const Image& a, const Image& b, const Mask& flyer, const Box& spared = {}) {
    Difference difference;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto pa = a.at(x, y);
            const auto pb = b.at(x, y);
            const bool changed = std::abs(pa[0] - pb[0]) > 8 || std::abs(pa[1] - pb[1]) > 8 ||
                                 std::abs(pa[2] - pb[2]) > 8;
            if (spared.contains(x, y, 30)) {
                difference.inside += changed ? 1 : 0;
                continue;
            }
            ++difference.outsideTotal;
            difference.outside += changed ? 1 : 0;
            if (flyer[indexOf(x, y)] && isCrateColoured(pa) != isCrateColoured(pb)) {
                ++difference.flyerOutline;
            }
        }
    }
    return difference;
}

class CameraFlight : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        copyRuntimeData(folder.path());
        launch();
    }
    void TearDown() override { stop(); }

    // A fresh viewer, flying level from the start.
    void launch() {
        capture.reset();
        viewer = startViewer(folder.path(), display.name());
        const std::string window = x.waitForWindow("Orvane", 30.0);
        ASSERT_FALSE(window.empty()) << viewer->output();
        capture = std::make_unique<WindowCapture>(display.name(), window);
        ASSERT_TRUE(capture->connected());
        for (const Clock::time_point start = Clock::now(); !isLevelPicture(capture->grab());) {
            ASSERT_LT(secondsSince(start), 30.0) << viewer->output();
            sleepFor(0.02);
        }
        // One more frame, so the first frame's long time step is behind us.
        waitForFrames(2, 2.0);
        flyer = flyerMask(picture());
    }

    // Escape is held until the viewer has seen it: a quick tap can fall
    // between two looks at the keyboard.
    void stop() {
        if (viewer && viewer->running()) {
            x.keyDown("Escape");
            viewer->waitFor(20.0);
            x.keyUp("Escape");
        }
        viewer.reset();
    }

    // The whole window; a window that can no longer be read ends the test.
    Image picture() const {
        Image image = capture->grab();
        if (image.width != width || image.height != height) {
            throw std::runtime_error("the viewer's window could not be read");
        }
        return image;
    }

    // A patch of ground in the lower right corner changes with every frame
    // of flight. Returns how many changes were seen before the time ran out.
    int waitForFrames(int frames, double seconds) {
        const Clock::time_point start = Clock::now();
        Image last = capture->grab(1216, 704, 48, 48);
        int seen = 0;
        while (seen < frames && secondsSince(start) < seconds) {
            sleepFor(0.001);
            Image next = capture->grab(1216, 704, 48, 48);
            if (next.rgb != last.rgb) {
                ++seen;
                last = std::move(next);
            }
        }
        return seen;
    }

    // A tilt goes in a few pieces, a frame apart: each frame turns by its
    // own time step, so spreading the tilt evens out a slow or a quick frame.
    // Each piece stays small enough that two landing in one frame still keep
    // the pointer inside the window, where it is held.
    void pitchBy(int pixels) {
        const int direction = pixels < 0 ? -1 : 1;
        int left = std::abs(pixels);
        const int pieces = std::max(std::min(left, 4), (left + 149) / 150);
        for (int piece = pieces; piece > 0; --piece) {
            const int size = left / piece;
            x.moveMouseBy(0, direction * size);
            left -= size;
            if (piece > 1) {
                waitForFrames(1, 1.0);
            }
        }
    }

    VirtualDisplay display;
    TempDir folder;
    XSession x{display.name()};
    std::unique_ptr<ChildProcess> viewer;
    std::unique_ptr<WindowCapture> capture;
    Mask flyer;
};

// With the mouse still only the forward flight moves the picture, bringing
// the edge of the ground a few rows closer; a move up tilts the view.
TEST_F(CameraFlight, OnlyTheMouseTurnsTheViewAndTheFlyerKeepsItsPlaceOnScreen) {
    const Image start = picture();
    sleepFor(1.0);
    const Image still = picture();
    x.moveMouseBy(0, -100);
    waitForFrames(4, 2.0);
    const Image turned = picture();

    const int left = horizonRow(start, leftColumn);
    ASSERT_GT(left, 384);
    EXPECT_NEAR(horizonRow(start, rightColumn), left, 2);
    EXPECT_NEAR(horizonRow(still, leftColumn), left, 15);
    EXPECT_NEAR(horizonRow(still, rightColumn), horizonRow(start, rightColumn), 15);
    EXPECT_NEAR(horizonRow(still, rightColumn), horizonRow(still, leftColumn), 2);
    EXPECT_LT(compare(start, still, flyer).flyerOutline, 100);
    // Looking up drops the edge of the ground down the picture, or out of it.
    EXPECT_GT(horizonRow(turned, leftColumn), horizonRow(still, leftColumn) + 20);
    EXPECT_LT(compare(still, turned, flyer).flyerOutline, 100);
}

// Level at the start height, the far edge of the ground tells how far the
// camera has come once it is past z = 0, so its speed can be read off.
TEST_F(CameraFlight, HoldingUpSpeedsTheFlight) {
    struct Sample {
        double seconds;
        double z;
    };
    const Clock::time_point start = Clock::now();
    const auto sample = [&] {
        return Sample{secondsSince(start), zFromLevelHorizon(horizonRow(picture(), leftColumn))};
    };
    const auto speed = [](const Sample& from, const Sample& to) {
        return (from.z - to.z) / (to.seconds - from.seconds);
    };
    while (sample().z > -0.7) {
        ASSERT_LT(secondsSince(start), 20.0) << "the camera does not fly forward";
        sleepFor(0.02);
    }
    const Sample baselineStart = sample();
    sleepFor(0.8);
    const double baseline = speed(baselineStart, sample());
    EXPECT_GT(baseline, 0.6);
    EXPECT_LT(baseline, 1.4);

    x.keyDown("Up");
    double fastest = 0.0;
    // Near the far wall the edge of the ground leaves the picture (row 740).
    for (std::vector<Sample> samples{sample()}; fastest < 2.2 && secondsSince(start) < 40.0;) {
        sleepFor(0.05);
        samples.push_back(sample());
        if (samples.back().z < -10.6) {
            break;
        }
        for (const Sample& earlier : samples) {
            const double span = samples.back().seconds - earlier.seconds;
            if (span >= 0.5 && span < 0.7) {
                fastest = std::max(fastest, speed(earlier, samples.back()));
            }
        }
    }
    x.keyUp("Up");
    EXPECT_GT(fastest, 2.2) << "units per second; the slowest is 1";
}

// The flight: find how far a pixel turns from the edge of the ground, tilt
// down until the cube shows, then keep the cube in the middle of the view,
// so the camera flies at it and through the box above it.
class CaptureFlight : public CameraFlight {
protected:
    double elapsed() const { return secondsSince(flightStart); }

    // Radians per pixel, from the edge of the ground after a small tilt.
    double measureTurnPerPixel(const Image& level) {
        const double z = zFromLevelHorizon(horizonRow(level, leftColumn));
        for (int moved = 20; moved <= 80; moved += 20) {
            x.moveMouseBy(0, 20);
            waitForFrames(3, 5.0);
            const int row = horizonRow(picture(), leftColumn);
            if (row < 0) {
                // The ground already covers the top: a slow frame rate.
                return 0.8 / moved;
            }
            const double pitch = pitchFromHorizon(row, z - elapsed());
            log << elapsed() << " s: tilted " << moved << " px, edge at row " << row << ", pitch "
                << pitch << "\n";
            if (pitch < -0.004) {
                return -pitch / moved;
            }
        }
        return 0.0;
    }

    // Keeps the cube in the middle of the picture until the view stops.
    bool steerAtTheCube(const Box& firstSight) {
        double lastError = errorOf(firstSight);
        double blindTilt = 0.0;
        double perPixel = turnPerPixel;
        long lastTilt = 0;
        while (elapsed() < 60.0) {
            const Clock::time_point waitStart = Clock::now();
            const int frames = waitForFrames(3, 1.0);
            if (frames == 0) {
                if (frozen()) {
                    log << elapsed() << " s: the view stands still\n";
                    return true;
                }
                continue;
            }
            // The frame time grows as the cube fills the picture, and the
            // turn per pixel with it: the slower of the two estimates wins.
            if (frames >= 2) {
                perPixel = std::max(turnPerPixel, 0.3 * secondsSince(waitStart) / frames);
            }
            const std::optional<Box> cube = findCube(picture(), flyer);
            if (cube && cube->bottom - cube->top > 300) {
                // Close enough: the box is just ahead, and a centroid this
                // large is too rough to steer by.
                lastTilt = 0;
                continue;
            }
            long tilt = 0;
            if (cube) {
                lastError = errorOf(*cube);
                blindTilt = 0.0;
                const double limit = 0.3 / perPixel;
                tilt = std::lround(std::clamp(0.4 * lastError / perPixel, -limit, limit));
            } else if (lastTilt != 0) {
                // Lost right after a tilt, which must have gone too far: undo it.
                tilt = -lastTilt;
            } else if (std::fabs(blindTilt) < 0.5) {
                // Out of sight: look a little further the way it went.
                const double step = lastError > 0.0 ? 0.15 : -0.15;
                blindTilt += step;
                tilt = std::lround(step / perPixel);
            }
            log << elapsed() << " s: cube "
                << (cube ? "at row " + std::to_string(cube->row()) : "out of sight")
                << ", turn per pixel " << perPixel << ", tilting " << tilt << " px\n";
            pitchBy(static_cast<int>(tilt));
            lastTilt = cube ? tilt : 0;
        }
        return false;
    }

    // One flight from the level start; empty once the view has frozen with
    // the cube in it, else what went wrong.
    std::string fly() {
        flightStart = Clock::now();
        turnPerPixel = measureTurnPerPixel(picture());
        if (turnPerPixel <= 0.0) {
            return "the picture did not tilt";
        }
        std::optional<Box> firstSight;
        while (!(firstSight = findCube(picture(), flyer)) && elapsed() < 30.0) {
            pitchBy(static_cast<int>(std::lround(0.25 / turnPerPixel)));
            waitForFrames(3, 5.0);
        }
        if (!firstSight) {
            return "the cube never came into view";
        }
        log << elapsed() << " s: cube in view at row " << firstSight->row() << "\n";
        if (!steerAtTheCube(*firstSight)) {
            return "the view never froze";
        }
        return findCube(picture(), flyer) ? "" : "the cube is not in the frozen view";
    }

    // How far below the middle of the view the cube is, in radians.
    static double errorOf(const Box& cube) { return std::atan((cube.row() - 384.0) / focal); }

    // Nothing has changed in the corner for a good while, and nothing but
    // the cube has changed in the whole picture meanwhile.
    bool frozen() {
        const Image before = picture();
        if (waitForFrames(1, 2.5) != 0) {
            return false;
        }
        const Image after = picture();
        const Difference difference = compare(before, after, flyer, cubeIn({before, after}));
        return difference.outside * 200 < difference.outsideTotal;
    }

    // Where the cube is in any of the pictures.
    Box cubeIn(std::initializer_list<std::reference_wrapper<const Image>> images) const {
        Box box;
        for (const Image& image : images) {
            if (const auto cube = findCube(image, flyer)) {
                box.add(cube->left, cube->top);
                box.add(cube->right, cube->bottom);
            }
        }
        return box;
    }

    double turnPerPixel = 0.0;
    // What the flight saw and did, for the failure message.
    std::ostringstream log;
    Clock::time_point flightStart = Clock::now();
};

TEST_F(CaptureFlight, FlyingIntoTheBoxOverTheCubeFreezesTheViewWhileTheCubeTurns) {
    // The pilot tries again from a fresh start when the flight goes astray,
    // which a machine slowed to a few frames a second can make it do.
    std::string failure = "not flown";
    int attempt = 0;
    while (!failure.empty() && attempt < 3) {
        if (++attempt > 1) {
            stop();
            launch();
            ASSERT_FALSE(HasFatalFailure()) << log.str();
        }
        log << "attempt " << attempt << ":\n";
        failure = fly();
        log << failure << "\n";
    }
    ASSERT_EQ(failure, "") << log.str();
    std::cout << "captured after " << elapsed() << " s; turn per pixel " << turnPerPixel << "\n"
              << (attempt > 1 ? log.str() : "") << std::flush;

    const Image frozen = picture();
    Image later;
    Difference turning;
    for (const Clock::time_point start = Clock::now();
         turning.inside <= 500 && secondsSince(start) < 10.0;) {
        sleepFor(0.1);
        later = picture();
        turning = compare(frozen, later, flyer, cubeIn({frozen, later}));
    }
    EXPECT_GT(turning.inside, 500) << "the cube does not turn";
    EXPECT_LT(turning.outside * 200, turning.outsideTotal);

    // The mouse has no hold on the view any more.
    for (const auto& [dx, dy] : {std::pair{200, 0}, {0, -150}, {-100, 250}}) {
        x.moveMouseBy(dx, dy);
        sleepFor(0.5);
    }
    const Image afterMoves = picture();
    const Difference moved =
        compare(frozen, afterMoves, flyer, cubeIn({frozen, later, afterMoves}));
    EXPECT_LT(moved.outside * 200, moved.outsideTotal);
    EXPECT_LT(moved.flyerOutline, 100);
}

} // namespace
