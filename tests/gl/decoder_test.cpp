// Files through the decoder come out exactly as the libraries read them; and
// decoders that fail as a process can, in the real decoder's place, are each
// ended, their file fails to load as any file that does not, and the next
// file goes to a new decoder.
#include "files/decode.h"
#include "files/decoder.h"
#include "gfx/texture.h"
#include "scene/import_object.h"
#include "support/files.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <tuple>
#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <tlhelp32.h>
#endif

namespace {

using namespace orvane::test;
using namespace std::chrono_literals;

// The processes this one has started and not yet waited for.
int children() {
    int count = 0;
#ifdef _WIN32
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        count += entry.th32ParentProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
#else
    for (const fs::directory_entry& process : fs::directory_iterator("/proc")) {
        std::ifstream stat(process.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        int parent = 0;
        count += fields >> state >> parent && parent == getpid() ? 1 : 0;
    }
#endif
    return count;
}

template <typename Item> bool sameBytes(const std::vector<Item>& a, const std::vector<Item>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(Item) * a.size()) == 0;
}

TEST(Decoder, AModelAndAnImageComeThroughItExactlyAsTheLibrariesReadThem) {
    ASSERT_TRUE(ensureGlContext());
    const std::string model = sourcePath("Models/Untitled/models/Untitled.dae").string();
    const auto read = orvane::files::readModel(model);
    const auto direct = orvane::files::decodeModel(model);
    ASSERT_TRUE(read && direct);
    ASSERT_EQ(read->meshes.size(), direct->meshes.size());
    for (std::size_t i = 0; i < read->meshes.size(); ++i) {
        EXPECT_TRUE(sameBytes(read->meshes[i].vertices, direct->meshes[i].vertices)) << i;
        EXPECT_EQ(read->meshes[i].indices, direct->meshes[i].indices) << i;
        EXPECT_EQ(read->meshes[i].materialIndex, direct->meshes[i].materialIndex) << i;
    }
    EXPECT_EQ(read->diffuseTextures, direct->diffuseTextures);
    const std::string image = sourcePath("Textures/GrassTexture.png").string();
    const auto readImage = orvane::files::readImage(image);
    const auto directImage = orvane::files::decodeImage(image);
    ASSERT_TRUE(readImage && directImage);
    EXPECT_EQ(
        std::tie(readImage->width, readImage->height, readImage->format, readImage->type),
        std::tie(directImage->width, directImage->height, directImage->format, directImage->type));
    EXPECT_EQ(readImage->pixels, directImage->pixels);
}

class DecoderFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureGlContext());
        usual = orvane::files::decoderSettings();
        orvane::files::finishReading();
        orvane::files::decoderSettings().executable = ORVANE_FAULTY_DECODER_PATH;
        fs::copy(sourcePath("Models/Untitled/models"), folder.path(), fs::copy_options::recursive);
        fs::copy(sourcePath("Textures"), folder.path() / "Textures");
    }
    void TearDown() override {
        orvane::files::decoderSettings() = usual;
        orvane::files::finishReading();
    }

    // The lines the model's load printed.
    static std::vector<std::string> loadModel(const std::string& file) {
        CapturedOutput output;
        orvane::scene::ImportObject(glm::mat4(1.0f), file).draw();
        return output.lines();
    }

    // As the test program has them: set when its context opens.
    orvane::files::DecoderSettings usual;
    const TempDir folder;
    const InDirectory inFolder{folder.path()};
};

TEST_F(DecoderFaults, ADecoderThatDiesNeverAnswersOrLiesIsEndedAndItsFileFailsToLoad) {
    const struct {
        const char* file;
        // A decoder that never answers is found out only by the deadline.
        std::chrono::milliseconds deadline = 60s;
    } cases[] = {{"dies-mid-reply.dae"}, {"lies-about-counts.dae"}, {"never-answers.dae", 1s}};
    for (const auto& [file, deadline] : cases) {
        SCOPED_TRACE(file);
        fs::copy("Untitled.dae", file);
        orvane::files::decoderSettings().deadline = deadline;
        EXPECT_EQ(loadModel(file),
                  std::vector<std::string>{"Failed to load the scene: " + std::string(file)});
        EXPECT_EQ(children(), 0) << "the decoder was left running";
        orvane::files::decoderSettings().deadline = usual.deadline;
        EXPECT_EQ(loadModel("Untitled.dae").at(0), "4") << "no new decoder for the next file";
        EXPECT_EQ(children(), 1) << "not one decoder, kept for the next file";
    }
    fs::copy("paint.png", "lies-about-counts.png");
    CapturedOutput output;
    EXPECT_FALSE(orvane::Texture("lies-about-counts.png").loaded);
}

// Said once; every file after it fails as a file that does not load.
TEST_F(DecoderFaults, ADecoderThatCannotStartIsReportedOnceAndNoFileLoads) {
    orvane::files::decoderSettings().executable = (folder.path() / "no-decoder-here").string();
    CapturedOutput output;
    orvane::scene::ImportObject(glm::mat4(1.0f), "Untitled.dae").draw();
    EXPECT_FALSE(orvane::Texture("paint.png").loaded);
    EXPECT_EQ(
        output.lines(),
        (std::vector<std::string>{
            "Cannot start the file decoder: " + orvane::files::decoderSettings().executable,
            "Failed to load the scene: Untitled.dae", "paint.png", "Texture loading failed"}));
}

#ifdef __SANITIZE_ADDRESS__
TEST_F(DecoderFaults, ASanitizerReportInTheDecoderShowsInTheViewersOutput) {
    fs::copy("Untitled.dae", "reads-past-a-buffer.dae");
    CapturedOutput errors(2);
    EXPECT_EQ(loadModel("reads-past-a-buffer.dae"),
              std::vector<std::string>{"Failed to load the scene: reads-past-a-buffer.dae"});
    const std::vector<std::string> lines = errors.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("AddressSanitizer: heap-buffer-overflow") != std::string::npos;
    }));
}
#endif

} // namespace
