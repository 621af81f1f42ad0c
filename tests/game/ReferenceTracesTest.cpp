// The reference traces: recorded inputs and the expected state of every pass, made by an independent model
// of the game. Each runner command must reproduce its trace exactly, line for line and field for field; on
// the first difference the test names the pass, the fields that differ and both values.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "draw/PngFile.h"

namespace {

// The runner the traces are asked of: this build's, or another target's (a cross-built runner started
// through its emulator) when TRAMOLO_SIM_UNDER_TEST names one.
std::string RunnerUnderTest() {
    const char* other = std::getenv("TRAMOLO_SIM_UNDER_TEST");
    return other != nullptr && other[0] != 0 ? other : TRAMOLO_SIM_PATH;
}

const std::string GoldenDir = std::string(TRAMOLO_SOURCE_DIR) + "/tests/golden/";
const std::string SharedGoldenDir = std::string(TRAMOLO_SOURCE_DIR) + "/../shared/golden/";

// One reference trace and the runner command that must reproduce it.
struct TReference {
    const char* Name;    // the trace is Name.jsonl.gz
    const char* Options; // runner options besides --trace and --quiet; @ stands for the golden folder
    int ExitCode;
    int Passes; // lines the trace holds
};

const TReference References[] = {
    {"demo-100", "--passes 2000", 0, 2000},
    {"demo-455", "--passes 1500 --pass-ms 2.2", 0, 1500},
    {"demo-60", "--passes 1500 --pass-ms 16.6667", 0, 1500},
    {"race-gameover", "--passes 5000 --input @race-gameover.txt", 0, 5000},
    {"race-commands", "--passes 2600 --input @race-commands.txt --start-tick 4294960000", 27, 2490},
    {"race-offroad", "--passes 3400 --input @race-offroad.txt", 0, 3400},
};

// Names the trace in the test's output instead of dumping its bytes.
void PrintTo(const TReference& ref, std::ostream* out) {
    *out << ref.Name;
}

// A trace line flattened to its leaves: ("Actors[2].TouchQuad[9]", "51") and so on, in line order.
using TFields = std::vector<std::pair<std::string, std::string>>;

// Reads one JSON value at text[at] and appends its leaves under path; returns the index after it. Traces
// are compact JSON, so no white space is skipped.
size_t FlattenValue(const std::string& text, size_t at, const std::string& path, TFields& fields) {
    if (at >= text.size()) return at;
    if (text[at] == '{' || text[at] == '[') {
        const bool object = text[at] == '{';
        const char close = object ? '}' : ']';
        at++;
        for (int index = 0; at < text.size() && text[at] != close; index++) {
            std::string child = path + "[" + std::to_string(index) + "]";
            if (object) {
                const size_t end = text.find('"', at + 1);
                if (end == std::string::npos) return text.size();
                const std::string key = text.substr(at + 1, end - at - 1);
                child = path.empty() ? key : path + "." + key;
                at = end + 2; // past the closing quote and the colon
            }
            at = FlattenValue(text, at, child, fields);
            if (at < text.size() && text[at] == ',') at++;
        }
        return at + 1;
    }
    size_t end = at;
    if (text[at] == '"') {
        for (end = at + 1; end < text.size() && text[end] != '"'; end++)
            if (text[end] == '\\') end++;
        end++;
    } else {
        while (end < text.size() && text[end] != ',' && text[end] != '}' && text[end] != ']')
            end++;
    }
    fields.emplace_back(path, text.substr(at, end - at));
    return end;
}

TFields Flatten(const std::string& line) {
    TFields fields;
    FlattenValue(line, 0, "", fields);
    return fields;
}

// Says where two lines part: every field whose value differs, with both values, and fields on one side
// only.
std::string DescribeDifference(const std::string& game, const std::string& reference) {
    const TFields ours = Flatten(game);
    const TFields theirs = Flatten(reference);
    std::ostringstream out;
    int shown = 0;
    const size_t common = std::min(ours.size(), theirs.size());
    for (size_t i = 0; i < common && shown < 40; i++) {
        if (ours[i].first != theirs[i].first) {
            out << "  field " << i << " is " << ours[i].first << " in the game, " << theirs[i].first
                << " in the reference\n";
            return out.str();
        }
        if (ours[i].second == theirs[i].second) continue;
        out << "  " << ours[i].first << ": game " << ours[i].second << ", reference " << theirs[i].second
            << "\n";
        shown++;
    }
    if (ours.size() != theirs.size())
        out << "  the game's line has " << ours.size() << " fields, the reference's " << theirs.size()
            << "\n";
    return out.str();
}

// Lines of a gzip file, read as it is decompressed.
class TGzipLines {
  public:
    explicit TGzipLines(const std::string& path) : file(gzopen(path.c_str(), "rb")) {}
    ~TGzipLines() {
        if (file != nullptr) gzclose(file);
    }
    TGzipLines(const TGzipLines&) = delete;
    TGzipLines& operator=(const TGzipLines&) = delete;

    bool IsOpen() const { return file != nullptr; }

    bool Next(std::string& line) {
        line.clear();
        char chunk[1 << 16];
        while (gzgets(file, chunk, sizeof chunk) != nullptr) {
            line += chunk;
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
                return true;
            }
        }
        return !line.empty();
    }

  private:
    gzFile file;
};

std::string Replaced(std::string text, char marker, const std::string& with) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + with.size()))
        text.replace(at, 1, with);
    return text;
}

bool SameFileContents(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
    std::stringstream textA, textB;
    textA << x.rdbuf();
    textB << y.rdbuf();
    return textA.str() == textB.str();
}

class ReferenceTrace : public ::testing::TestWithParam<TReference> {};

TEST_P(ReferenceTrace, TheRunnerReproducesEveryFieldOfEveryPass) {
    const TReference& ref = GetParam();
    const std::string trace =
        ::testing::TempDir() + "reference-" + ref.Name + "-" + std::to_string(getpid()) + ".jsonl";
    const std::string command = "'" + RunnerUnderTest() + "' --quiet " +
                                Replaced(ref.Options, '@', GoldenDir) + " --trace '" + trace + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), ref.ExitCode) << command;

    TGzipLines expected(GoldenDir + ref.Name + ".jsonl.gz");
    ASSERT_TRUE(expected.IsOpen()) << "cannot read " << GoldenDir << ref.Name << ".jsonl.gz";
    std::ifstream game(trace);
    ASSERT_TRUE(game.good()) << "the runner wrote no trace: " << command;

    std::string ours, theirs;
    int line = 0;
    bool parted = false;
    while (!parted) {
        const bool haveOurs = static_cast<bool>(std::getline(game, ours));
        const bool haveTheirs = expected.Next(theirs);
        if (!haveOurs || !haveTheirs) {
            EXPECT_EQ(haveOurs, haveTheirs)
                << "after " << line << " passes the " << (haveOurs ? "reference" : "game's trace") << " ends";
            break;
        }
        line++;
        if (ours != theirs) {
            ADD_FAILURE() << ref.Name << ": the game and the reference part at pass " << line << "\n"
                          << DescribeDifference(ours, theirs);
            parted = true;
        }
    }
    if (!parted) {
        EXPECT_EQ(line, ref.Passes);
    }
    std::remove(trace.c_str());
}

INSTANTIATE_TEST_SUITE_P(Golden, ReferenceTrace, ::testing::ValuesIn(References),
                         [](const ::testing::TestParamInfo<TReference>& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

// The project keeps its own copy of the traces so that a clone alone runs them; when the shared reference
// beside the project has changed, the copy is out of date and this says which file.
TEST(ReferenceTraceCopy, MatchesTheSharedReferenceWhereThereIsOne) {
    struct stat info;
    if (stat(SharedGoldenDir.c_str(), &info) != 0) {
        std::printf("no %s beside the project: the copy in tests/golden is the reference\n",
                    SharedGoldenDir.c_str());
        return;
    }
    for (const TReference& ref : References) {
        const std::string name = std::string(ref.Name) + ".jsonl.gz";
        EXPECT_TRUE(SameFileContents(SharedGoldenDir + name, GoldenDir + name))
            << SharedGoldenDir << name << " differs from tests/golden/" << name
            << ": copy the newer reference into tests/golden";
    }
    for (const char* script : {"race-gameover.txt", "race-commands.txt", "race-offroad.txt"})
        EXPECT_TRUE(SameFileContents(SharedGoldenDir + script, GoldenDir + script))
            << SharedGoldenDir << script << " differs from tests/golden/" << script
            << ": copy the newer script into tests/golden";
}

// Each pair of PNG files holds the same picture, pixel for pixel; both files are removed. PASSES names the
// pass of each pair in the message.
static void ExpectSameFrames(const std::vector<std::pair<std::string, std::string>>& frames,
                             const int* passes, const char* what) {
    for (size_t i = 0; i < frames.size(); i++) {
        std::vector<uint32_t> pixels[2];
        int32_t width[2] = {}, height[2] = {};
        const std::string* files[2] = {&frames[i].first, &frames[i].second};
        for (int k = 0; k < 2; k++) {
            std::ifstream in(*files[k], std::ios::binary);
            const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_TRUE(ReadPngPixels((const uint8_t*)data.data(), data.size(), 4096, &pixels[k], &width[k],
                                      &height[k]))
                << *files[k];
            std::remove(files[k]->c_str());
        }
        EXPECT_EQ(width[0], width[1]);
        EXPECT_EQ(height[0], height[1]);
        EXPECT_TRUE(pixels[0] == pixels[1]) << what << " of pass " << passes[i] << " differs";
    }
}

// Another target's runner draws the same frames as this build's, pixel for pixel: the 3D view, the line
// view and every display mode come up in the scripted race. Run only against a runner under test.
TEST(CrossTarget, FramesArePixelIdenticalToThisBuilds) {
    const std::string options =
        "--passes 2000 --input '" + GoldenDir + "race-commands.txt' --start-tick 4294960000";
    const int passes[] = {40, 400, 700, 1000, 1300, 1600, 1900};
    std::vector<std::pair<std::string, std::string>> frames;
    std::string ours = "'" + std::string(TRAMOLO_SIM_PATH) + "' --quiet " + options;
    std::string theirs = "'" + RunnerUnderTest() + "' --quiet " + options;
    for (int pass : passes) {
        const std::string stem =
            ::testing::TempDir() + "cross-" + std::to_string(getpid()) + "-" + std::to_string(pass);
        frames.emplace_back(stem + "-ours.png", stem + "-theirs.png");
        ours += " --png " + std::to_string(pass) + ":'" + frames.back().first + "'";
        theirs += " --png " + std::to_string(pass) + ":'" + frames.back().second + "'";
    }
    ASSERT_EQ(std::system(ours.c_str()), 0) << ours;
    ASSERT_EQ(std::system(theirs.c_str()), 0) << theirs;
    ExpectSameFrames(frames, passes, "the frame");
}

// Another target's runner times the reference race's laps as this build's does: it keeps the same record,
// byte for byte but for its date, verifies this build's record as true with the same laps, and draws the
// records view and its ghost in the same pixels, in the 3D view and in the line view. Run only against a
// runner under test.
TEST(CrossTarget, LapTimesRecordsAndTheGhostAreThisBuilds) {
    const std::string stem = ::testing::TempDir() + "cross-records-" + std::to_string(getpid());
    const std::string runners[2] = {TRAMOLO_SIM_PATH, RunnerUnderTest()};
    const std::string race = " --quiet --pass-ms 40 --input '" + GoldenDir + "race-laps.txt'";
    std::string records[2];
    for (int k = 0; k < 2; k++) {
        const std::string folder = stem + (k == 0 ? "-ours" : "-theirs");
        ASSERT_EQ(std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str()), 0);
        const std::string command =
            "'" + runners[k] + "'" + race + " --passes 8800 --records '" + folder + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string list = "ls '" + folder + "'";
        FILE* names = popen(list.c_str(), "r");
        char name[256] = "";
        ASSERT_NE(std::fgets(name, sizeof name, names), nullptr) << "no record in " << folder;
        pclose(names);
        records[k] = folder + "/" + std::string(name, std::strcspn(name, "\n"));
    }
    // The records, their dates left out.
    std::string texts[2];
    for (int k = 0; k < 2; k++) {
        std::ifstream in(records[k], std::ios::binary);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("#: date ", 0) != 0) texts[k] += line + "\n";
    }
    EXPECT_EQ(records[0].substr(records[0].rfind('/')), records[1].substr(records[1].rfind('/')));
    EXPECT_NE(texts[0].find("\n#: lap 4 75360\n"), std::string::npos);
    EXPECT_TRUE(texts[0] == texts[1]) << "the records differ";
    // Each runner verifies this build's record: the same laps, the same verdict.
    std::string said[2];
    for (int k = 0; k < 2; k++) {
        const std::string command = "'" + runners[k] + "' --verify '" + records[0] + "' 2>&1; echo exit $?";
        FILE* out = popen(command.c_str(), "r");
        char line[1024];
        while (std::fgets(line, sizeof line, out) != nullptr)
            if (std::strncmp(line, "tramolo-sim: lap ", 17) == 0 || std::strncmp(line, "exit ", 5) == 0)
                said[k] += line;
        pclose(out);
    }
    EXPECT_NE(said[0].find("lap 3  1:39.440\ntramolo-sim: lap 4  1:15.360\nexit 0\n"), std::string::npos)
        << said[0];
    EXPECT_EQ(said[0], said[1]);

    // The race again with the record's ghost, the line view from pass 2400 to 2600.
    const std::string script = stem + "-script.txt";
    ASSERT_EQ(std::system(("cp '" + GoldenDir + "race-laps.txt' '" + script +
                           "' && printf '2400 down 116\\n2401 up 116\\n2600 down 116\\n2601 up 116\\n' >> '" +
                           script + "'")
                              .c_str()),
              0);
    const int passes[] = {1500, 2500, 2650};
    std::vector<std::pair<std::string, std::string>> frames;
    std::string commands[2];
    for (int k = 0; k < 2; k++) {
        commands[k] = "'" + runners[k] + "' --quiet --pass-ms 40 --passes 2700 --input '" + script +
                      "' --records '" + stem + "-ours' --records-view";
    }
    for (int pass : passes) {
        const std::string frame = stem + "-" + std::to_string(pass);
        frames.emplace_back(frame + "-ours.png", frame + "-theirs.png");
        commands[0] += " --png " + std::to_string(pass) + ":'" + frames.back().first + "'";
        commands[1] += " --png " + std::to_string(pass) + ":'" + frames.back().second + "'";
    }
    for (const std::string& command : commands)
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ExpectSameFrames(frames, passes, "the records view's frame");
    std::system(("rm -rf '" + stem + "-ours' '" + stem + "-theirs' '" + script + "'").c_str());
}

// The reader that reports differences must itself see them: a changed float inside an actor record and
// an extra field are both named.
TEST(ReferenceTraceCompare, NamesTheFieldsThatDiffer) {
    const std::string a =
        R"({"pass":7,"Message":"a,b","Actors":[{"PosX":1.5,"TouchQuad":[0,51]},{"PosX":2}]})";
    const std::string b =
        R"({"pass":7,"Message":"a,b","Actors":[{"PosX":1.5,"TouchQuad":[0,52]},{"PosX":3}]})";
    const std::string text = DescribeDifference(a, b);
    EXPECT_NE(text.find("Actors[0].TouchQuad[1]: game 51, reference 52"), std::string::npos) << text;
    EXPECT_NE(text.find("Actors[1].PosX: game 2, reference 3"), std::string::npos) << text;
    EXPECT_EQ(text.find("Message"), std::string::npos) << text;
    EXPECT_EQ(text.find("pass"), std::string::npos) << text;

    const std::string longer = R"({"pass":7,"Extra":1})";
    EXPECT_NE(DescribeDifference(R"({"pass":7})", longer).find("1 fields, the reference's 2"),
              std::string::npos);
}

} // namespace
