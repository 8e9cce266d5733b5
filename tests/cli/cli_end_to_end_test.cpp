#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "corvane_version.h"
#include "import/sample_files.h"
#include "import/sample_processing.h"
#include "import/wav_reader.h"
#include "run_process.h"
#include "test_files.h"
#include "transfer/card_image.h"
#include "transfer/card_sound.h"
#include "transfer/test_instruments.h"

// The command line as users run it: a separate process, its files read back with the program's code.

namespace {

using Bytes = std::vector<uint8_t>;

// A full path in this system's form: an instrument is named after the part behind its separator.
std::string fixture(const char* name) {
    std::string path = std::string(CORVANE_FIXTURES_DIR) + "/" + name;
    for (char& c : path)
        if (c == '/') c = kPathSeparator;
    return path;
}

// A card-file loaded the way the windowed program loads it.
struct Loaded {
    CardDocument document = {};
    explicit Loaded(const std::string& path) {
        resetDocument(document);
        EXPECT_EQ(readCardFile(document, viewOf(path)), ErrorCode::Ok) << path;
    }
    ~Loaded() { releaseDocument(document); }
    const Instrument& operator[](uint32_t i) const { return *instrumentAt(document, i); }
    std::string name(uint32_t i) const { return std::string((*this)[i].name.units, (*this)[i].name.length); }
    Bytes image(bool dither = false) const {
        Bytes image(kCardCapacity);
        EXPECT_EQ(buildCardImage(document, image.data(), kCardCapacity, dither), ErrorCode::Ok);
        return image;
    }
};

// The mono samples at the working rate of a WAV file the command line wrote.
std::vector<float> wavSamples(const std::string& path) {
    DecodedSample decoded = {};
    decoded.maxFileSize = 1 << 24;
    EXPECT_EQ(readWav(decoded, viewOf(path)), ErrorCode::Ok) << path;
    EXPECT_EQ(decoded.sampleRate, 37908u);
    EXPECT_EQ(decoded.channels, 1u);
    std::vector<float> samples(decoded.samples.data, decoded.samples.data + decoded.samples.count);
    releaseDecodedSample(decoded);
    return samples;
}

struct Cli : ::testing::Test {
    ScratchFolder folder;
    std::string card = folder.file("card.vxcor");

    ProcessResult run(const std::vector<std::string>& arguments, const char* program = CORVANE_CLI_SIMULATED) {
        return runProcess(program, arguments, folder.path());
    }
    void newCardWith(std::vector<std::string> files) {
        ASSERT_EQ(run({"new", card}).status, 0);
        files.insert(files.begin(), {"add", card});
        ProcessResult r = run(files);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    void writeCard(CardDocument& document, const std::string& path) {
        EXPECT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
        releaseDocument(document);
    }
    void TearDown() override {
        setEnvironment("CORVANE_SIMULATED_WRITERS", "");
        setEnvironment("CORVANE_SIMULATED_OUTPUT", "");
    }
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// Paths as people type them are relative to the current folder; messages name the file in full.
TEST_F(Cli, NewWritesTheEmptyCardFileAndNeverAnExistingOne) {
    ProcessResult r = run({"new", "card.vxcor"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes expected = {'c', 'v', 'n', 'e', 1, 0, 0x01, 0x0F, 0, 0, 'C', 'o', 'r', 'v', 'a', 'n', 'e', ' ', 0, 0,
                            0,   0,   0,   0,   0, 0, 0,    0,    0, 0, 0,   0,   0,   0,   'e', 'n', 'v', 'c'};
    EXPECT_EQ(readFileBytes(card), expected);

    r = run({"new", "card.vxcor", "--name", "Other"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, card + ": already exists")) << r.err;
    EXPECT_EQ(readFileBytes(card), expected);

    std::string named = folder.file("named.vxcor");
    ASSERT_EQ(run({"new", named, "--name", "Gr\xC3\xBC\xC3\x9F" "e Drums"}).status, 0);
    Bytes bytes = readFileBytes(named);
    // eight UTF-16 units typed, then eight UTF-8 bytes: "Grüße D" is 9, cut on a character's edge
    EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.begin() + 18), (Bytes{'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e', ' '}));
}

TEST_F(Cli, AddNamesInstrumentsAfterTheirFilesAndCountsTheFailures) {
    ASSERT_EQ(run({"new", card}).status, 0);
    writeFileBytes(folder.file("kick.wav"), readFileBytes(fixture("wav_u8_mono.wav")));
    writeFileBytes(folder.file("junk.wav"), {'R', 'I', 'F', 'F'});
    // IMA ADPCM and a sound longer than an instrument may hold (2^22 + 1 frames at a quarter of
    // the working rate become 2^24 + 4 samples): both are WAV files, refused for what they are.
    writeFileBytes(folder.file("adpcm.wav"), sample_files::wav::withData(sample_files::wav::format(0x11, 1, 8000, 4),
                                                                         Bytes(256, 0x77)));
    writeFileBytes(folder.file("long.wav"), sample_files::wav::withData(sample_files::wav::format(1, 1, 9477, 8),
                                                                        Bytes((1u << 22) + 1, 0x90)));
    ProcessResult r = run({"add", "card.vxcor", "junk.wav", "kick.wav", "missing.aif", "adpcm.wav", "long.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, folder.file("junk.wav") + ": not a WAV, AIFF or AIFC file")) << r.err;
    EXPECT_TRUE(contains(r.err, folder.file("missing.aif") + ": the file was not found")) << r.err;
    EXPECT_TRUE(contains(r.err, folder.file("adpcm.wav") + ": unsupported encoding")) << r.err;
    EXPECT_TRUE(contains(r.err, folder.file("long.wav") + ": longer than the 7 minutes 22 seconds an instrument may hold"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "4 files couldn't be imported")) << r.err;
    {
        Loaded loaded(card);
        ASSERT_EQ(loaded.document.instruments.count, 1u);  // the good file is kept
        EXPECT_EQ(loaded.name(0), "kick");
    }
    std::vector<std::string> arguments = {"add", card};
    arguments.insert(arguments.end(), 9, fixture("wav_u8_mono.wav"));
    r = run(arguments);
    // A file left out is work not done: said, and the status says so; the seven that fit are kept.
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(contains(r.err, "left out: the card already holds 8 instruments")) << r.err;
    EXPECT_EQ(Loaded(card).document.instruments.count, 8u);
}

TEST_F(Cli, InfoShowsTheCardAndItsInstruments) {
    CardDocument document = {};
    resetDocument(document);
    document.cardCode = 0x1234;
    assignText(document.name, viewOf("A\"B\\\x01\xE2\x82\xAC"));
    Instrument* kick = addFlatInstrument(document, 3000, 0.25f);
    assignText(kick->name, viewOf("Kick"));
    kick->start = 10;
    kick->end = 2010;
    kick->boost = 2;
    Instrument* snare = addFlatInstrument(document, 3000, -0.5f);
    assignText(snare->name, viewOf("Snare"));
    snare->downsample = true;
    writeCard(document, card);

    // 1024 for the header; 2000 samples take two blocks, and 3000 downsampled to 2000 as well
    ProcessResult r = run({"info", card, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"name\": \"A\\\"B\\\\\\u0001\xE2\x82\xAC\", \"cardCode\": 4660, \"usedBytes\": 5120, "
              "\"freeBytes\": 60416, \"instruments\": [{\"name\": \"Kick\", \"samples\": 3000, \"start\": 10, "
              "\"end\": 2010, \"decay\": 1, \"boost\": 2, \"downsample\": false, \"footprint\": 2048}, {\"name\": "
              "\"Snare\", \"samples\": 3000, \"start\": 0, \"end\": 3000, \"decay\": 1, \"boost\": 0, \"downsample\": "
              "true, \"footprint\": 2048}]}\n");
    r = run({"info", card});
    EXPECT_TRUE(contains(r.out, "\nCard Code: 0x1234\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "  1  Kick          3000       10     2010      1   2 dB  off           2048 Byte\n"));
    EXPECT_TRUE(contains(r.out, "  2  Snare         3000        0     3000      1   0 dB  on            2048 Byte\n"));
    EXPECT_TRUE(contains(r.out, "Card Size: 5120 Byte\nFree Memory: 60416 Byte\n"));
}

// Every value that had to change is told on standard error; the others pass in silence.
TEST_F(Cli, SetLimitsValuesAsTheWindowDoesAndSaysWhichChanged) {
    newCardWith({fixture("wav_s16_stereo.wav")});
    const uint32_t samples = Loaded(card)[0].samples.count;
    const std::string count = std::to_string(samples);
    struct Step {
        std::vector<std::string> options;
        uint32_t start, end;
        uint8_t decay, boost;
        bool downsample;
        std::string warnings;
    } steps[] = {
        {{"--start", "100", "--end", "50", "--decay", "300.7", "--boost", "-2", "--downsample", "on", "--name",
          "Snare drum"}, 50, 50, 255, 0, true,  // the start at most the end
         "corvane-cli: warning: --start 100 is beyond the end: the start is 50\n"
         "corvane-cli: warning: --decay 300.7 is not a whole number from 1 to 255: the decay is 255\n"
         "corvane-cli: warning: --boost -2 is not a whole number of dB from 0 to 10: the boost is 0 dB\n"},
        {{"--end", "999999", "--decay", "3.9", "--boost", "7.5", "--downsample", "off"}, 50, samples, 3, 7, false,
         "corvane-cli: warning: --end 999999 is beyond the sample's " + count + " samples: the end is " + count + "\n"
         "corvane-cli: warning: --decay 3.9 is not a whole number from 1 to 255: the decay is 3\n"
         "corvane-cli: warning: --boost 7.5 is not a whole number of dB from 0 to 10: the boost is 7 dB\n"},
        {{"--end", "10"}, 50, 50, 3, 7, false, "corvane-cli: warning: --end 10 is before the start: the end is 50\n"},
        {{"--start", "0", "--end", "10", "--decay", "3", "--boost", "7"}, 0, 10, 3, 7, false, ""},  // both: the end first
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.options[0] + " " + step.options[1]);
        std::vector<std::string> arguments = {"set", card, "1"};
        arguments.insert(arguments.end(), step.options.begin(), step.options.end());
        ProcessResult r = run(arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, step.warnings);
        Loaded loaded(card);
        EXPECT_EQ(loaded[0].start, step.start);
        EXPECT_EQ(loaded[0].end, step.end);
        EXPECT_EQ(loaded[0].decay, step.decay);
        EXPECT_EQ(loaded[0].boost, step.boost);
        EXPECT_EQ(loaded[0].downsample, step.downsample);
        EXPECT_EQ(loaded.name(0), "Snare dr");
    }
}

// markers_tone.wav (make_fixtures.sh): silence to 1000, a sine changing sign at
// 1000 + 50k to 3000, a square at -60.3 dBFS to 4000, silence to 4500.
TEST_F(Cli, SetTrimsToTheSoundAndSnapsToTheNearestZeroCrossing) {
    newCardWith({fixture("markers_tone.wav")});
    struct Step {
        std::vector<std::string> options;
        uint32_t start, end;
        std::string out, err;
    } steps[] = {
        // decay 255 outlasts the sound: a block of silence behind it before and after
        {{"--decay", "255", "--trim"}, 1000, 3000, "Trim Silence saved 3072 Byte\n", ""},
        {{"--trim"}, 1000, 3000, "No silence to trim\n", ""},
        {{"--start", "0", "--end", "4500", "--trim", "--trim-threshold", "-61"}, 1000, 4000,
         "Trim Silence saved 2048 Byte\n", ""},
        {{"--start", "100", "--end", "900", "--trim", "--trim-threshold", "-70.5"}, 100, 900, "",
         "corvane-cli: warning: nothing between start and end reaches -70.5 dBFS: start and end stay\n"},
        {{"--start", "1020", "--end", "2980", "--snap"}, 1000, 3000, "", ""},
        {{"--start", "0", "--end", "4500", "--trim", "--snap"}, 1000, 3000, "Trim Silence saved 3072 Byte\n", ""},
        // the sound as it plays: silent from 2682, once the decay of 682 samples from 2000 has run out
        {{"--decay", "1", "--start", "2020", "--end", "2980", "--snap"}, 2000, 2980, "", ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::PrintToString(step.options));
        std::vector<std::string> arguments = {"set", card, "1"};
        arguments.insert(arguments.end(), step.options.begin(), step.options.end());
        ProcessResult r = run(arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, step.out);
        EXPECT_EQ(r.err, step.err);
        Loaded loaded(card);
        EXPECT_EQ(loaded[0].start, step.start);
        EXPECT_EQ(loaded[0].end, step.end);
    }
}

TEST_F(Cli, MoveAndRemoveCountFromOneAndKeepTheOthersInOrder) {
    newCardWith({fixture("wav_s16_stereo.wav"), fixture("aiff_s24_stereo.aiff"),
                 fixture("aifc_sowt_s16_stereo.aifc")});
    ASSERT_EQ(run({"move", card, "1", "3"}).status, 0);
    {
        Loaded loaded(card);
        EXPECT_EQ(loaded.name(0), "aiff_s24");
        EXPECT_EQ(loaded.name(2), "wav_s16_");
    }
    ASSERT_EQ(run({"remove", card, "2"}).status, 0);
    {
        Loaded loaded(card);
        ASSERT_EQ(loaded.document.instruments.count, 2u);
        EXPECT_EQ(loaded.name(1), "wav_s16_");
    }
    ProcessResult r = run({"remove", card, "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "there is no instrument 3: the card holds 2")) << r.err;
}

TEST_F(Cli, ImageAndRenderWriteTheCardAndTheSoundsOfTheCardFile) {
    newCardWith({fixture("wav_s24_stereo.wav"), fixture("wav_f64_mono.wav")});
    ProcessResult r = run({"set", card, "2", "--start", "20", "--end", "200", "--boost", "3",
                           "--downsample", "on"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string image = folder.file("card.bin"), previewWav = folder.file("preview.wav");
    std::string cardWav = folder.file("card.wav"), ditheredImage = folder.file("dithered.bin");
    std::string ditheredWav = folder.file("dithered.wav");
    r = run({"image", card, image});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(run({"image", "--dither", card, ditheredImage}).status, 0);
    ASSERT_EQ(run({"render", card, "2", previewWav}).status, 0);
    ASSERT_EQ(run({"render", card, "2", cardWav, "--as-card"}).status, 0);
    ASSERT_EQ(run({"render", card, "2", ditheredWav, "--as-card", "--dither"}).status, 0);
    Loaded loaded(card);
    EXPECT_EQ(readFileBytes(image), loaded.image());
    EXPECT_EQ(readFileBytes(ditheredImage), loaded.image(true));
    EXPECT_NE(loaded.image(true), loaded.image());
    SampleBuffer preview = {}, envelope = {}, sound = {};
    ASSERT_EQ(prepareInstrumentPreview(loaded[1], preview, envelope), ErrorCode::Ok);
    ASSERT_EQ(prepareCardSound(loaded[1], envelope, sound), ErrorCode::Ok);
    EXPECT_EQ(wavSamples(previewWav), std::vector<float>(preview.data + 20, preview.data + 200));
    EXPECT_EQ(wavSamples(cardWav), std::vector<float>(sound.data + 20, sound.data + 200));
    ASSERT_EQ(prepareCardSound(loaded[1], envelope, sound, true), ErrorCode::Ok);
    EXPECT_EQ(wavSamples(ditheredWav), std::vector<float>(sound.data + 20, sound.data + 200));
    EXPECT_NE(wavSamples(ditheredWav), wavSamples(cardWav));
    releaseBuffer(preview);
    releaseBuffer(envelope);
    releaseBuffer(sound);

    CardDocument document = {};
    resetDocument(document);
    overfillCard(document);
    writeCard(document, card);
    r = run({"image", card, folder.file("full.bin")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-cli: Too much data for the card\n");
    EXPECT_TRUE(readFileBytes(folder.file("full.bin")).empty());
}

TEST_F(Cli, SendWritesTheCardToASimulatedWriterOrSaysTransferFailed) {
    newCardWith({fixture("aiff_s16_stereo.aiff")});
    setEnvironment("CORVANE_SIMULATED_WRITERS", "4:1:99,7:2:8,7:3:99");
    setEnvironment("CORVANE_SIMULATED_OUTPUT", folder.path());
    ProcessResult r = run({"writers"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1: Corvane (2)\n2: Corvane (3)\n");

    // Writer 2 of the simulated list is the first listed one. A bank beyond its 8 is a typo:
    // nothing is written, least of all its bank 8.
    r = run({"send", card, "--bank", "50"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "writer 1 has banks 1 to 8")) << r.err;
    EXPECT_TRUE(readFileBytes(folder.file("writer-2-bank-8.bin")).empty());
    r = run({"send", card, "--bank", "8"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "Transfer Successful (Time: ")) << r.out;
    Bytes expected = Loaded(card).image();
    EXPECT_EQ(readFileBytes(folder.file("writer-2-bank-8.bin")), expected);
    ASSERT_EQ(run({"send", card, "--writer", "2", "--bank", "12"}).status, 0);
    EXPECT_EQ(readFileBytes(folder.file("writer-3-bank-12.bin")), expected);
    ASSERT_EQ(run({"send", card, "--dither", "--bank", "3"}).status, 0);
    EXPECT_EQ(readFileBytes(folder.file("writer-2-bank-3.bin")), Loaded(card).image(true));
    r = run({"send", card, "--writer", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "there is no writer 3")) << r.err;

    for (const char* writers : {"7:1:99:removed@20", ""}) {
        setEnvironment("CORVANE_SIMULATED_WRITERS", writers);
        r = run({"send", card});
        EXPECT_EQ(r.status, 1) << writers;
        EXPECT_EQ(r.err, *writers ? "Transfer Failed\n" : "corvane-cli: no card writer is connected\n") << writers;
    }
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// The largest card-file the program writes opens, and a change of one name rewrites nothing else.
// Its half gigabyte written and flushed takes seconds, so it runs once: under Wine the window's
// test does the same through the same reader and writer, and under the sanitizers the card-file
// test reads the same file through the same code.
TEST_F(Cli, TheLargestCardFileOpensAndARewriteKeepsItsBytes) {
    writeLargestCardFile(card);
    ProcessResult r = run({"info", card});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "  8  Big 8     16777216     1000 16776216    255   0 dB  off")) << r.out;
    r = run({"set", card, "8", "--name", "Renamed"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected = folder.file("expected.vxcor");
    writeLargestCardFile(expected, "Renamed");
    EXPECT_TRUE(sameFileBytes(card, expected));
}
#endif

TEST_F(Cli, BadUsageAndBadFilesAreExplained) {
    struct Case {
        std::vector<std::string> arguments;  // x.vxcor stands for a file in the test's folder
        Bytes file;                          // written there first, when given
        int status;
        std::string says;
    } cases[] = {
        {{}, {}, 2, "usage:"},
        {{"frobnicate"}, {}, 2, "unknown command 'frobnicate'"},
        {{"new"}, {}, 2, "which card-file?"},
        {{"set", "x.vxcor", "one"}, {}, 2, ""},
        {{"set", "x.vxcor", "1", "--decay", "loud"}, {}, 2, "--decay takes a number"},
        {{"set", "x.vxcor", "1", "--downsample", "yes"}, {}, 2, "--downsample takes on or off"},
        {{"send", "x.vxcor", "--bank", "0"}, {}, 2, "banks run from 1 to 99"},
        {{"info", "x.vxcor", "--xml"}, {}, 2, "unexpected argument"},
        {{"info", "x.vxcor"}, {}, 1, "x.vxcor: Can't load the card-file: The file was not found"},
        {{"info", "x.vxcor"}, {'c', 'v', 'n', 'e', 2}, 1,
         "x.vxcor: Can't load the card-file: The file is too new for this software-version"},
        {{"add", "x.vxcor", fixture("wav_u8_mono.wav")}, {'R', 'I', 'F', 'F'}, 1,
         "x.vxcor: Can't load the card-file: Invalid file format"},
        {{"--help"}, {}, 0, "corvane-cli send CARD.vxcor [--writer N] [--bank B]"},
        {{"--version"}, {}, 0, "corvane-cli " CORVANE_VERSION "\n"},
        {{"render", "--help"}, {}, 0, "usage: corvane-cli render CARD.vxcor INDEX OUT.wav [--as-card [--dither]]"},
        {{"render", "x.vxcor", "1", "out.wav", "--dither"}, {}, 2, "--dither goes with --as-card"},
        {{"set", "x.vxcor", "1", "--trim-threshold", "-40"}, {}, 2, "--trim-threshold goes with --trim"},
        {{"set", "x.vxcor", "1", "--trim", "--trim-threshold", "3"}, {}, 2, "--trim-threshold takes a level in dBFS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        std::vector<std::string> arguments = c.arguments;
        for (std::string& a : arguments)
            if (a == "x.vxcor") a = folder.file("x.vxcor");
        if (!c.file.empty()) writeFileBytes(folder.file("x.vxcor"), c.file);
        ProcessResult r = run(arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(contains(r.out + r.err, c.says)) << r.out << r.err;
    }
    EXPECT_EQ(readFileBytes(folder.file("x.vxcor")), (Bytes{'R', 'I', 'F', 'F'}));  // not replaced by a new card
}

TEST_F(Cli, TheRealProgramListsWritersThroughTheSystem) {
    // No writer is attached to the test machines: an empty list is no failure.
    ProcessResult r = run({"writers"}, CORVANE_CLI);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "No card writer is connected.\n");
}

#ifndef _WIN32
// A name taken only by a link to nowhere: creating through the link would write where it points.
TEST_F(Cli, NewClaimsTheNameInOneStep) {
    std::string target = folder.file("elsewhere.vxcor");
    ASSERT_EQ(symlink(target.c_str(), card.c_str()), 0);
    ProcessResult r = run({"new", card});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "already exists")) << r.err;
    EXPECT_TRUE(readFileBytes(target).empty());
}
#endif
