// Files that crash, stall or exhaust the libraries reading them, loaded as the
// viewer loads them: each fails as a file that does not load, and the viewer
// goes on drawing. Mutated copies of our own files load or fail as cleanly
// (fixed seeds, each named on stderr; ORVANE_FUZZ_FIRST and ORVANE_FUZZ_INPUTS
// ask for a campaign).
#include "app/scene.h"
#include "files/decoder.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/import_object.h"
#include "support/collada.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/wait.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace {

using namespace orvane::test;

// One or two of: bytes flipped, the end cut, a chunk repeated, two swapped; in
// XML a number, count, stride or offset made a limit, or a stray in an index
// list. Only the generator's raw output, the same with every library, is used.
std::string mutate(std::mt19937& random, std::string bytes, bool xml) {
    const auto below = [&random](std::size_t bound) {
        return bound == 0 ? 0u : static_cast<unsigned>(random() % bound);
    };
    // The run from start of characters in ending ("^x": up to an x) made a limit.
    const auto replaceValue = [&](std::size_t start, const std::string& ending) {
        static const char* const numbers[] = {"0",   "-1",   "4294967295",  "2147483648", "1e39",
                                              "nan", "-0.0", "99999999999", "3"};
        if (start != std::string::npos) {
            const std::size_t end = ending[0] == '^' ? bytes.find(ending[1], start)
                                                     : bytes.find_first_not_of(ending, start);
            bytes.replace(start, end - start, numbers[below(std::size(numbers))]);
        }
    };
    for (unsigned i = 0, n = 1 + below(2); i < n && bytes.size() > 2; ++i) {
        const unsigned at = below(bytes.size());
        const unsigned length = 1 + below(std::min<std::size_t>(256, bytes.size() / 2));
        switch (below(xml ? 7 : 4)) {
        case 0:
            for (unsigned flips = 1 + below(8); flips > 0; --flips) {
                bytes[below(bytes.size())] ^= static_cast<char>(1 << below(8));
            }
            break;
        case 1:
            bytes.resize(at);
            break;
        case 2:
            bytes.insert(below(bytes.size()), bytes.substr(at, length));
            break;
        case 3: {
            const unsigned a = below(bytes.size() - 2 * length + 1);
            const unsigned b = a + length + below(bytes.size() - a - 2 * length + 1);
            std::swap_ranges(bytes.begin() + a, bytes.begin() + a + length, bytes.begin() + b);
            break;
        }
        case 4:
            replaceValue(bytes.find_first_of("0123456789", at), "0123456789.e-");
            break;
        case 5: {
            static const char* const attributes[] = {"count=\"", "stride=\"", "offset=\""};
            const std::size_t name = bytes.find(attributes[below(std::size(attributes))], at);
            replaceValue(bytes.find('"', name) + (name == std::string::npos ? 0 : 1), "^\"");
            break;
        }
        default:
            static const char* const strays[] = {".",    "e",        "x",
                                                 "1.5 ", "<!--x-->", "<![CDATA[2.5]]>"};
            const std::size_t list = bytes.find("<p>", at);
            const std::size_t listEnd = bytes.find("</p>", list);
            if (listEnd != std::string::npos) {
                bytes.insert(list + 3 + below(listEnd - list - 2),
                             strays[below(std::size(strays))]);
            }
        }
    }
    return bytes;
}

unsigned setting(const char* name, unsigned otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : otherwise;
}

// The process's peak resident memory since the last call, in megabytes.
long peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    long kilobytes = 0;
    while (status >> field && field != "VmHWM:") {
    }
    status >> kilobytes;
    std::ofstream("/proc/self/clear_refs") << "5"; // starts the peak anew
    return kilobytes / 1024;
}

// Ends the process, the fault named, when a load (on a FIFO, say) hangs.
template <typename Load> void withinSeconds(const std::string& fault, Load load) {
    std::atomic<bool> finished{false};
    std::thread watcher([&] {
        if (!waitUntil([&] { return finished.load(); }, 10)) {
            std::cerr << "Still waiting after 10 s: " << fault << std::endl;
            std::_Exit(1);
        }
    });
    load();
    finished = true;
    watcher.join();
}

std::string bigEndian(std::uint32_t value) {
    const char bytes[] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                          static_cast<char>(value >> 8), static_cast<char>(value)};
    return std::string(bytes, 4);
}

// A black RGB PNG of the given size whose image data holds the given rows.
std::string blackPng(std::uint32_t width, std::uint32_t height, std::uint32_t rows) {
    const auto chunk = [](const char* type, const std::string& data) {
        const std::string typed = type + data;
        const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
        return bigEndian(static_cast<std::uint32_t>(data.size())) + typed +
               bigEndian(static_cast<std::uint32_t>(crc32(0, bytes, typed.size())));
    };
    z_stream stream{};
    deflateInit2(&stream, 1, Z_DEFLATED, 15, 9, Z_RLE);
    std::string row(1 + 3 * std::size_t{width}, '\0');
    std::string data;
    for (std::uint32_t r = 0; r < rows; ++r) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = r + 1 == rows ? Z_FINISH : Z_NO_FLUSH;
        do {
            char out[65536];
            stream.next_out = reinterpret_cast<Bytef*>(out);
            stream.avail_out = sizeof out;
            deflate(&stream, flush);
            data.append(out, sizeof out - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    const std::string header = bigEndian(width) + bigEndian(height) + std::string("\10\2\0\0\0", 5);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", "");
}

// The triangle, skinned to one bone by vertex weights of the given count.
std::string skinned(const std::string& count) {
    const std::string controller = R"(<library_controllers><controller id="c"><skin source="#g">
<source id="j"><Name_array id="ja" count="1">bone</Name_array><technique_common>
<accessor source="#ja" count="1"><param name="JOINT" type="name"/></accessor></technique_common></source>
<source id="w"><float_array id="wa" count="1">1</float_array><technique_common>
<accessor source="#wa" count="1"><param name="WEIGHT" type="float"/></accessor></technique_common></source>
<source id="m"><float_array id="ma" count="16">1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</float_array>
<technique_common><accessor source="#ma" count="1" stride="16"><param name="TRANSFORM" type="float4x4"/>
</accessor></technique_common></source>
<joints><input semantic="JOINT" source="#j"/><input semantic="INV_BIND_MATRIX" source="#m"/></joints>
<vertex_weights count=")" + count + R"("><input semantic="JOINT" source="#j" offset="0"/>
<input semantic="WEIGHT" source="#w" offset="1"/><vcount>1 1 1</vcount><v>0 0 0 0 0 0</v>
</vertex_weights></skin></controller></library_controllers>)";
    return edited(collada("0 1 2"),
                  {{"</library_geometries>", "</library_geometries>" + controller},
                   {R"(<node id="n" name="a > b"><instance_geometry url="#g"/>)",
                    R"(<node id="bone" sid="bone" type="JOINT"/><node id="n">)"
                    R"(<instance_controller url="#c"><skeleton>#bone</skeleton>)"
                    R"(</instance_controller>)"}});
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureGlContext());
        usual = orvane::files::decoderSettings();
        fs::copy(sourcePath("Models/Untitled/models"), folder.path(), fs::copy_options::recursive);
        fs::copy(sourcePath("Textures"), folder.path() / "Textures");
        shader = std::make_unique<orvane::ShaderProgram>(sourcePath("Shader/shader.vert").string(),
                                                         sourcePath("Shader/shader.frag").string());
        orvane::theScene.shaderProgram = shader.get();
        glUseProgram(shader->program);
        // A limit of ours, so that the verdict is the same on every driver.
        orvane::files::limitImageSide(largestSide);
        // A decoder that runs away runs into a lower limit sooner; the model
        // and the images still decode within it.
        orvane::files::decoderSettings().memoryBytes = 256 << 20;
        orvane::files::finishReading();
    }
    void TearDown() override {
        orvane::files::decoderSettings() = usual;
        orvane::files::finishReading();
        orvane::files::limitImageSide(static_cast<std::uint32_t>(glInteger(GL_MAX_TEXTURE_SIZE)));
        orvane::theScene = orvane::Scene();
    }

    // The model loads whole and draws, as after every hostile file.
    static void expectTheModelDraws() {
        CapturedOutput quiet;
        orvane::scene::ImportObject model(glm::mat4(1.0f), "Untitled.dae");
        model.draw();
        EXPECT_EQ(model.meshes.size(), 4u);
        EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static constexpr std::uint32_t largestSide = 16384;
    // As the test program has them: set when its context opens.
    orvane::files::DecoderSettings usual;
    const TempDir folder;
    const InDirectory inFolder{folder.path()};
    std::unique_ptr<orvane::ShaderProgram> shader;
};

TEST_F(HostileFiles, MutatedModelsAndImagesLoadAndDrawOrFailCleanly) {
    const std::string model = "Untitled.dae";
    const std::vector<std::string> files = {model, "textures/hull.png", "paint.png",
                                            "Textures/CompanionCube.png"};
    std::vector<std::string> originals;
    for (const std::string& file : files) {
        originals.push_back(readFile(file));
    }
    const unsigned first = setting("ORVANE_FUZZ_FIRST", 0);
    const unsigned inputs = setting("ORVANE_FUZZ_INPUTS", 300);
    CapturedOutput quiet;
    for (unsigned input = first; input < first + inputs; ++input) {
        std::cerr << "input " << input << std::endl;
        std::mt19937 random(input);
        const std::size_t which = random() % files.size();
        writeFile(files[which], mutate(random, originals[which], files[which] == model));
        if (files[which] == model) {
            orvane::scene::ImportObject(glm::mat4(1.0f), model).draw();
        } else {
            const orvane::Texture texture(files[which].c_str());
        }
        writeFile(files[which], originals[which]);
        takeGlError();
    }
    quiet.lines();
    expectTheModelDraws();
}

// Each crashed Assimp 5.2, ran it out of memory or kept it busy for minutes;
// read in the viewer, each crashed or exhausted the viewer.
TEST_F(HostileFiles, EachModelThatBreaksAssimpFailsToLoadAndTheViewerDrawsOn) {
    const std::string inputs = R"(<input semantic="VERTEX" source="#v" offset="0"/>)";
    const struct {
        const char* fault;
        std::string document;
        // Nothing valid takes a second; the polygon would take minutes.
        std::chrono::seconds deadline = std::chrono::seconds(60);
    } cases[] = {
        {"a polygon list without sizes",
         edited(collada("0 1 2"), {{"<triangles count=\"1\">", "<polylist count=\"1\">"},
                                   {"</triangles>", "</polylist>"}})},
        {"a polygon list with its sizes after its indices",
         edited(collada("0 1 2"), {{"<triangles count=\"1\">", "<polylist count=\"1\">"},
                                   {"</p></triangles>", "</p><vcount>3</vcount></polylist>"}})},
        {"an array a level deeper, its accessor counting 100 million",
         edited(collada("0 1 99999999"), {{"<float_array", "<technique_common><float_array"},
                                          {"</float_array>", "</float_array></technique_common>"},
                                          {"count=\"3\"", "count=\"100000000\""}})},
        {"triangles with a decimal point in an extra",
         edited(collada("0 1 2"), {{"</mesh>", "<extra><triangles count=\"1\">" + inputs +
                                                   "<p>0 1.5 2</p></triangles></extra></mesh>"}})},
        {"an index list with a decimal point in a primitive's extra",
         edited(collada("0 1 2"),
                {{"</p></triangles>", "</p><extra><p>0 1.5 2</p></extra></triangles>"}})},
        {"vertex weights counting 300 million", skinned("300000000")},
        {"a polygon of 200,000 corners", polygonOf(200000), std::chrono::seconds(1)},
    };
    for (const auto& [fault, document, deadline] : cases) {
        SCOPED_TRACE(fault);
        std::cerr << "Loading a model with " << fault << std::endl;
        writeFile("hostile.dae", document);
        orvane::files::decoderSettings().deadline = deadline;
        peakMegabytes();
        CapturedOutput output;
        orvane::scene::ImportObject(glm::mat4(1.0f), "hostile.dae").draw();
        EXPECT_EQ(output.lines(),
                  std::vector<std::string>{"Failed to load the scene: hostile.dae"});
        EXPECT_LT(peakMegabytes(), 512) << "the viewer took in what Assimp made of it";
    }
    orvane::files::decoderSettings().deadline = usual.deadline;
    // A model file of 100 GB, nearly all of it a hole on the disk.
    writeFile("hostile.dae", readFile("Untitled.dae").substr(0, 4096));
    fs::resize_file("hostile.dae", std::uintmax_t{100} << 30);
    CapturedOutput output;
    orvane::scene::ImportObject(glm::mat4(1.0f), "hostile.dae").draw();
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Failed to load the scene: hostile.dae"});
    expectTheModelDraws();
}

// Images whose size DevIL takes on trust, or that OpenGL could not hold.
TEST_F(HostileFiles, EachImageTooLargeToDecodeOrHoldFailsToLoadAndTheViewerDrawsOn) {
    const auto saved = [](const char* name, std::uint32_t width) {
        ilInit();
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        ilTexImage(width, 1, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, nullptr);
        ilClearImage();
        ilSaveImage(name);
        ilDeleteImages(1, &image);
        return name;
    };
    const std::pair<const char*, bool> cases[] = {
        {saved("widest.png", largestSide), true},
        {saved("a-pixel-too-wide.png", largestSide + 1), false},
    };
    writeFile("20000-square.png", blackPng(20000, 20000, 20000));
    writeFile("60000-square.png", blackPng(60000, 60000, 100));
    for (const auto& [path, loads] : cases) {
        CapturedOutput output;
        EXPECT_EQ(orvane::Texture(path).loaded, loads) << path;
    }
    for (const char* path : {"20000-square.png", "60000-square.png"}) {
        peakMegabytes();
        CapturedOutput output;
        EXPECT_FALSE(orvane::Texture(path).loaded) << path;
        EXPECT_EQ(output.lines(), (std::vector<std::string>{path, "Texture loading failed"}));
        EXPECT_LT(peakMegabytes(), 512) << path << ": the viewer took in its pixels";
    }
    // A model's texture whose 18 bytes claim 30000 x 30000 pixels.
    const std::string model = readFile("Untitled.dae");
    writeFile("hostile.dae", edited(model, {{"textures/hull.png", "textures/hull.tga"}}));
    writeFile("textures/hull.tga",
              std::string("\0\0\2\0\0\0\0\0\0\0\0\0\x30\x75\x30\x75\x18\0", 18));
    CapturedOutput output;
    orvane::scene::ImportObject(glm::mat4(1.0f), "hostile.dae").draw();
    const std::vector<std::string> lines = output.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Error loading texture './textures/hull.tga'"),
              1);
    expectTheModelDraws();
}

// Opening a FIFO waits for a writer that never comes; a folder or device is
// no file either. Each is a failed load, at once.
TEST_F(HostileFiles, OnlyARegularFileIsReadAsAModelOrAnImage) {
    ASSERT_EQ(mkfifo("fifo.png", 0600), 0);
    fs::create_directory("folder.png");
    for (const char* path : {"fifo.png", "folder.png", "/dev/zero"}) {
        SCOPED_TRACE(path);
        CapturedOutput output;
        withinSeconds(std::string("loading the model at ") + path,
                      [path] { orvane::scene::ImportObject(glm::mat4(1.0f), path).draw(); });
        withinSeconds(std::string("loading the image at ") + path,
                      [path] { EXPECT_FALSE(orvane::Texture(path).loaded); });
        EXPECT_EQ(output.lines(),
                  (std::vector<std::string>{std::string("Failed to load the scene: ") + path, path,
                                            "Texture loading failed"}));
    }
}

} // namespace
