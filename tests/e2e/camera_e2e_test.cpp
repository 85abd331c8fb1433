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
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace orvane::test;
using Clock = std::chrono::steady_clock;

constexpr double startSeconds = 30.0;
constexpr int width = 1280;
constexpr int height = 768;
// Pixels per unit of tangent: half the height over tan 30 degrees.
constexpr double focal = 384.0 / 0.57735027;
// Where the camera starts and how far the ground and the view reach.
constexpr double startHeight = 5.0;
constexpr double farPlane = 20.0;
constexpr double groundEdge = 20.0;
// Columns clear of the flyer, which hangs in the lower middle.
constexpr int leftColumn = 150;
constexpr int rightColumn = 1130;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool isSky(const std::array<int, 3>& pixel) {
    // The clear colour (0.3, 0.5, 1.0).
    return std::abs(pixel[0] - 77) <= 3 && std::abs(pixel[1] - 128) <= 3 && pixel[2] >= 250;
}

// The crate image is beige, grey-blue, teal and orange; the grass, green or
// dry, has far less blue than green.
bool isCrateColoured(const std::array<int, 3>& pixel) {
    if (isSky(pixel)) {
        return false;
    }
    return pixel[2] * 10 > pixel[1] * 7 || pixel[0] > pixel[1] + 40;
}

// The first ground row from the top in a column: -1 when the top is not
// sky, height when the column is all sky.
int horizonRow(const Image& image, int column) {
    if (!isSky(image.at(column, 0))) {
        return -1;
    }
    for (int row = 1; row < image.height; ++row) {
        if (!isSky(image.at(column, row))) {
            return row;
        }
    }
    return image.height;
}

// The row of the far edge of the ground, seen from the start height at z,
// heading -z with the given pitch (radians, negative looking down). The far
// plane cuts the ground first until the camera passes z = 0.
double levelHorizonRow(double pitch, double z) {
    const double farCut = (startHeight + farPlane * std::sin(pitch)) / (farPlane * std::cos(pitch));
    const double edgeDistance = std::min(groundEdge + z, farPlane);
    const double edgeCut = std::tan(pitch + std::atan(startHeight / edgeDistance));
    return 384.0 + focal * std::max(farCut, edgeCut);
}

double zFromLevelHorizon(int row) {
    const double farRow = levelHorizonRow(0.0, 0.0);
    if (row <= farRow + 0.5) {
        return 0.0;
    }
    return startHeight * focal / (row - 384.0) - groundEdge;
}

// The pitch (negative: down) that puts the horizon at row, by bisection.
double pitchFromHorizon(int row, double z) {
    double low = -1.2;
    double high = 0.5;
    for (int step = 0; step < 60; ++step) {
        const double middle = (low + high) / 2.0;
        if (levelHorizonRow(middle, z) < row) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return (low + high) / 2.0;
}

struct Mask {
    std::vector<bool> set = std::vector<bool>(static_cast<size_t>(width) * height, false);
    bool at(int x, int y) const { return set[static_cast<size_t>(y) * width + x]; }
};

Mask crateColoured(const Image& image) {
    Mask crate;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            crate.set[static_cast<size_t>(y) * width + x] = isCrateColoured(image.at(x, y));
        }
    }
    return crate;
}

// Grown by margin pixels on every side, a row pass and then a column pass.
Mask grownBy(const Mask& mask, int margin) {
    Mask rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool any = false;
            for (int dx = std::max(0, x - margin); dx <= std::min(width - 1, x + margin); ++dx) {
                any = any || mask.at(dx, y);
            }
            rows.set[static_cast<size_t>(y) * width + x] = any;
        }
    }
    Mask grown;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool any = false;
            for (int dy = std::max(0, y - margin); dy <= std::min(height - 1, y + margin); ++dy) {
                any = any || rows.at(x, dy);
            }
            grown.set[static_cast<size_t>(y) * width + x] = any;
        }
    }
    return grown;
}

// The flyer is the only crate-coloured thing in the first picture, and it
// stays at the same pixels whatever the view; grown a little, the mask
// hides it from the search for the cube.
Mask flyerMask(const Image& image) {
    return grownBy(crateColoured(image), 4);
}

struct Box {
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    int samples = 0;

    void add(int x, int y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++samples;
    }
    bool contains(int x, int y, int margin) const {
        return x >= left - margin && x <= right + margin && y >= top - margin &&
               y <= bottom + margin;
    }
};

struct Blob {
    Box box;
    double row = 0.0;
};

// The crate-coloured pixels off the flyer: the cube, once it is in view.
std::optional<Blob> findCube(const Image& image, const Mask& flyer) {
    Blob blob;
    double rows = 0.0;
    for (int y = 0; y < height; y += 3) {
        for (int x = 0; x < width; x += 3) {
            if (!flyer.at(x, y) && isCrateColoured(image.at(x, y))) {
                blob.box.add(x, y);
                rows += y;
            }
        }
    }
    if (blob.box.samples < 25) {
        return std::nullopt;
    }
    blob.row = rows / blob.box.samples;
    return blob;
}

struct Difference {
    int outside = 0;
    int outsideTotal = 0;
    int inside = 0;
};

Difference compare(const Image& a, const Image& b, const Box& spared, int margin) {
    Difference difference;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto pa = a.at(x, y);
            const auto pb = b.at(x, y);
            const bool changed = std::abs(pa[0] - pb[0]) > 8 || std::abs(pa[1] - pb[1]) > 8 ||
                                 std::abs(pa[2] - pb[2]) > 8;
            if (spared.contains(x, y, margin)) {
                difference.inside += changed ? 1 : 0;
            } else {
                ++difference.outsideTotal;
                difference.outside += changed ? 1 : 0;
            }
        }
    }
    return difference;
}

// Pixels around the flyer that are flyer in one picture and not in the
// other, leaving out those the cube may cover. Its shading follows the view,
// since the light is fixed in the world, so only its outline is compared.
int flyerOutlineChanges(const Image& a, const Image& b, const Mask& around,
                        const Box& spared = Box{}) {
    int changed = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (around.at(x, y) && !spared.contains(x, y, 30) &&
                isCrateColoured(a.at(x, y)) != isCrateColoured(b.at(x, y))) {
                ++changed;
            }
        }
    }
    return changed;
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
        window = x.waitForWindow("Orvane", startSeconds);
        ASSERT_FALSE(window.empty()) << viewer->output();
        capture = std::make_unique<WindowCapture>(display.name(), window);
        ASSERT_TRUE(capture->connected());
        ASSERT_TRUE(waitForLevelPicture()) << viewer->output();
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

    // Frames are running once the sky is at the top and ground at the bottom.
    bool waitForLevelPicture() {
        const Clock::time_point start = Clock::now();
        while (secondsSince(start) < startSeconds) {
            const Image image = capture->grab();
            if (image.width == width && image.height == height && isSky(image.at(leftColumn, 2)) &&
                !isSky(image.at(leftColumn, height - 2))) {
                // One more frame, so the first frame's long time step is behind us.
                waitForFrames(2, 2.0);
                return true;
            }
            sleepFor(0.02);
        }
        return false;
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
    std::string window;
    std::unique_ptr<WindowCapture> capture;
};

TEST_F(CameraFlight, WithTheMouseStillTheViewDoesNotTurn) {
    const Image before = picture();
    sleepFor(1.0);
    const Image after = picture();

    const int left = horizonRow(before, leftColumn);
    const int right = horizonRow(before, rightColumn);
    ASSERT_GT(left, 384);
    EXPECT_NEAR(left, right, 2);
    // The forward flight alone brings the edge of the ground a few rows closer.
    EXPECT_NEAR(horizonRow(after, leftColumn), left, 15);
    EXPECT_NEAR(horizonRow(after, rightColumn), right, 15);
    EXPECT_NEAR(horizonRow(after, leftColumn), horizonRow(after, rightColumn), 2);
    EXPECT_LT(flyerOutlineChanges(before, after, flyerMask(before)), 100);
}

TEST_F(CameraFlight, AMouseMoveUpTurnsThePictureWhileTheFlyerKeepsItsPlace) {
    const Image before = picture();
    const Mask flyer = flyerMask(before);
    x.moveMouseBy(0, -100);
    waitForFrames(4, 2.0);
    const Image after = picture();

    // Looking up drops the edge of the ground down the picture, or out of it.
    EXPECT_GT(horizonRow(after, leftColumn), horizonRow(before, leftColumn) + 20);
    EXPECT_LT(flyerOutlineChanges(before, after, flyer), 100);
}

// Level at the start height, the far edge of the ground tells how far the
// camera has come once it is past z = 0, so its speed can be read off.
TEST_F(CameraFlight, HoldingUpSpeedsTheFlight) {
    struct Sample {
        double seconds;
        int row;
        double z;
    };
    const Clock::time_point start = Clock::now();
    const auto sample = [&] {
        const int row = horizonRow(picture(), leftColumn);
        return Sample{secondsSince(start), row, zFromLevelHorizon(row)};
    };
    while (horizonRow(picture(), leftColumn) < levelHorizonRow(0.0, -0.7)) {
        ASSERT_LT(secondsSince(start), 20.0) << "the camera does not fly forward";
        sleepFor(0.02);
    }
    const Sample baselineStart = sample();
    sleepFor(0.8);
    const Sample baselineEnd = sample();
    const double baseline =
        (baselineStart.z - baselineEnd.z) / (baselineEnd.seconds - baselineStart.seconds);
    EXPECT_GT(baseline, 0.6);
    EXPECT_LT(baseline, 1.4);

    x.keyDown("Up");
    double fastest = 0.0;
    std::vector<Sample> samples{sample()};
    while (fastest < 2.2 && secondsSince(start) < 40.0) {
        sleepFor(0.05);
        const Sample latest = sample();
        // Near the far wall the edge of the ground leaves the picture.
        if (latest.row > 740) {
            break;
        }
        samples.push_back(latest);
        for (const Sample& earlier : samples) {
            if (latest.seconds - earlier.seconds >= 0.5 && latest.seconds - earlier.seconds < 0.7) {
                fastest =
                    std::max(fastest, (earlier.z - latest.z) / (latest.seconds - earlier.seconds));
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
    // Seconds since the start of the flight.
    double elapsed() const { return secondsSince(flightStart); }

    // Radians per pixel, from the edge of the ground after a small tilt.
    double measureTurnPerPixel(const Image& level, Clock::time_point levelTime) {
        const double z = zFromLevelHorizon(horizonRow(level, leftColumn));
        int moved = 0;
        for (int attempt = 0; attempt < 4; ++attempt) {
            x.moveMouseBy(0, 20);
            moved += 20;
            waitForFrames(3, 5.0);
            const int row = horizonRow(picture(), leftColumn);
            if (row < 0) {
                // The ground already covers the top: a slow frame rate.
                return 0.8 / moved;
            }
            const double pitch = pitchFromHorizon(row, z - secondsSince(levelTime));
            log << elapsed() << " s: tilted " << moved << " px, edge of the ground at row " << row
                << ", pitch " << pitch << "\n";
            if (pitch < -0.004) {
                return -pitch / moved;
            }
        }
        return 0.0;
    }

    std::optional<Blob> tiltDownUntilTheCubeShows() {
        while (elapsed() < 30.0) {
            const std::optional<Blob> cube = findCube(picture(), flyer);
            if (cube) {
                log << elapsed() << " s: cube in view at row " << cube->row << "\n";
                return cube;
            }
            log << elapsed() << " s: no cube yet, tilting down\n";
            pitchBy(static_cast<int>(std::lround(0.25 / turnPerPixel)));
            waitForFrames(3, 5.0);
        }
        return std::nullopt;
    }

    // Keeps the cube in the middle of the picture until the view stops.
    bool steerAtTheCube(const Blob& firstSight) {
        double lastError = errorOf(firstSight);
        double blindTilt = 0.0;
        long lastTilt = 0;
        double perPixel = turnPerPixel;
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
            const std::optional<Blob> cube = findCube(picture(), flyer);
            if (cube && cube->box.bottom - cube->box.top > 300) {
                // Close enough: the box is just ahead, and a centroid this
                // large is too rough to steer by.
                log << elapsed() << " s: cube close, flying on\n";
                lastTilt = 0;
                continue;
            }
            long tilt = 0;
            if (cube) {
                const double error = errorOf(*cube);
                lastError = error;
                blindTilt = 0.0;
                const double limit = 0.3 / perPixel;
                tilt = std::lround(std::clamp(0.4 * error / perPixel, -limit, limit));
            } else if (lastTilt != 0) {
                // Lost right after a tilt, which must have gone too far: undo it.
                tilt = -lastTilt;
            } else if (std::fabs(blindTilt) < 0.5) {
                // Out of sight: look a little further the way it went.
                const double error = lastError > 0.0 ? 0.15 : -0.15;
                blindTilt += error;
                tilt = std::lround(error / perPixel);
            }
            log << elapsed() << " s: cube "
                << (cube ? "at row " + std::to_string(cube->row) : "out of sight")
                << ", turn per pixel " << perPixel << ", tilting " << tilt << " px\n";
            pitchBy(static_cast<int>(tilt));
            lastTilt = cube ? tilt : 0;
        }
        return false;
    }

    // One flight from the level start; true once the view has frozen with
    // the cube in it.
    bool fly() {
        log.str("");
        flightStart = Clock::now();
        const Image level = picture();
        flyer = flyerMask(level);
        turnPerPixel = measureTurnPerPixel(level, flightStart);
        if (turnPerPixel <= 0.0) {
            log << "the picture did not tilt\n";
            return false;
        }
        const std::optional<Blob> firstSight = tiltDownUntilTheCubeShows();
        if (!firstSight) {
            log << "the cube never came into view\n";
            return false;
        }
        if (!steerAtTheCube(*firstSight)) {
            log << "the view never froze\n";
            return false;
        }
        if (!findCube(picture(), flyer)) {
            log << "the cube is not in the frozen view\n";
            return false;
        }
        return true;
    }

    // How far below the middle of the view the cube is, in radians.
    static double errorOf(const Blob& cube) { return std::atan((cube.row - 384.0) / focal); }

    // Nothing has changed in the corner for a good while, and nothing but
    // the cube has changed in the whole picture meanwhile.
    bool frozen() {
        const Image before = picture();
        if (waitForFrames(1, 2.5) != 0) {
            return false;
        }
        const Image after = picture();
        const Difference difference = compare(before, after, cubeBox(before, after), 30);
        return difference.outside * 200 < difference.outsideTotal;
    }

    // Where the cube is in either picture.
    Box cubeBox(const Image& a, const Image& b) const {
        return withCubeOf(withCubeOf(Box{}, a), b);
    }

    Box withCubeOf(Box box, const Image& image) const {
        if (const auto cube = findCube(image, flyer)) {
            box.add(cube->box.left, cube->box.top);
            box.add(cube->box.right, cube->box.bottom);
        }
        return box;
    }

    Mask flyer;
    double turnPerPixel = 0.0;
    // What the flight saw and did, for the failure message.
    std::ostringstream log;
    Clock::time_point flightStart = Clock::now();
};

TEST_F(CaptureFlight, FlyingIntoTheBoxOverTheCubeFreezesTheViewWhileTheCubeTurns) {
    // The pilot tries again from a fresh start when the flight goes astray,
    // which a machine slowed to a few frames a second can make it do.
    std::string failures;
    bool captured = false;
    for (int attempt = 1; attempt <= 3 && !captured; ++attempt) {
        if (attempt > 1) {
            stop();
            launch();
            ASSERT_FALSE(HasFatalFailure()) << failures;
        }
        captured = fly();
        if (!captured) {
            failures += "attempt " + std::to_string(attempt) + ":\n" + log.str();
        }
    }
    ASSERT_TRUE(captured) << failures;
    std::cout << "captured after " << elapsed() << " s; turn per pixel " << turnPerPixel
              << std::endl
              << failures;

    const Image frozen = picture();
    Image later = picture();
    Difference turning;
    for (const Clock::time_point start = Clock::now(); secondsSince(start) < 10.0;) {
        sleepFor(0.1);
        later = picture();
        turning = compare(frozen, later, cubeBox(frozen, later), 30);
        if (turning.inside > 500) {
            break;
        }
    }
    EXPECT_GT(turning.inside, 500) << "the cube does not turn";
    EXPECT_LT(turning.outside * 200, turning.outsideTotal);

    // The mouse has no hold on the view any more.
    x.moveMouseBy(200, 0);
    sleepFor(0.2);
    x.moveMouseBy(0, -150);
    sleepFor(0.2);
    x.moveMouseBy(-100, 250);
    sleepFor(1.0);
    const Image afterMoves = picture();
    const Box spared = withCubeOf(cubeBox(frozen, later), afterMoves);
    const Difference moved = compare(frozen, afterMoves, spared, 30);
    EXPECT_LT(moved.outside * 200, moved.outsideTotal);
    EXPECT_LT(flyerOutlineChanges(frozen, afterMoves, flyer, spared), 100);
}

} // namespace
