#include <gtest/gtest.h>

#include <cstring>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "import/import_files.h"
#include "import/sample_processing.h"
#include "import/wav_reader.h"
#include "run_process.h"
#include "test_files.h"
#include "transfer/card_image.h"

// The command line run as users run it: a separate process, its files
// checked with the program's own readers and writers.

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kFixtures = CORVANE_FIXTURES_DIR;

// A full path in this system's own form: only its separator names files (the
// program takes an instrument's name from the part after it).
std::string fixture(const char* name) {
    std::string path = kFixtures + "/" + name;
    for (char& c : path)
        if (c == '/') c = kPathSeparator;
    return path;
}

struct Cli : ::testing::Test {
    ScratchFolder folder;
    std::string card = folder.file("card.vxcor");

    ProcessResult run(const std::vector<std::string>& arguments, const char* program = CORVANE_CLI_SIMULATED) {
        ProcessResult r = runProcess(program, arguments, folder.path());
        return r;
    }
    // Loads a card-file the way the windowed program does.
    void load(const std::string& path, CardDocument& document) {
        resetDocument(document);
        ASSERT_EQ(readCardFile(document, viewOf(path)), ErrorCode::Ok);
    }
    void TearDown() override {
        setEnvironment("CORVANE_SIMULATED_WRITERS", "");
        setEnvironment("CORVANE_SIMULATED_OUTPUT", "");
    }
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(Cli, NewWritesTheEmptyCardFile) {
    ProcessResult r = run({"new", card});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes expected = {'c', 'v', 'n', 'e', 1, 0, 0x01, 0x0F, 0, 0, 'C', 'o', 'r', 'v', 'a', 'n', 'e', ' ', 0, 0,
                            0,   0,   0,   0,   0, 0, 0,    0,    0, 0, 0,   0,   0,   0,   'e', 'n', 'v', 'c'};
    EXPECT_EQ(readFileBytes(card), expected);

    r = run({"new", card, "--name", "Other"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "card.vxcor: already exists")) << r.err;
    EXPECT_EQ(readFileBytes(card), expected);  // untouched

    std::string named = folder.file("named.vxcor");
    ASSERT_EQ(run({"new", named, "--name", "Gr\xC3\xBC\xC3\x9F" "e Drums"}).status, 0);
    Bytes bytes = readFileBytes(named);
    // eight UTF-16 units typed at most, then eight UTF-8 bytes: "Grüße D" is 9 bytes, cut to "Grüße " + blank padding
    EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.begin() + 18), (Bytes{'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e', ' '}));
}

// Paths as people type them, relative to the current folder: the instrument
// is still named after its file, and messages name the file in full.
TEST_F(Cli, RelativePathsNameInstrumentsAndAppearInFullInMessages) {
    ASSERT_EQ(run({"new", "card.vxcor"}).status, 0);
    writeFileBytes(folder.file("kick.wav"), readFileBytes(fixture("wav_s16_stereo.wav")));
    ProcessResult r = run({"add", "card.vxcor", "kick.wav", "missing.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, folder.file("missing.wav") + ":")) << r.err;
    CardDocument document = {};
    load(card, document);
    ASSERT_EQ(document.instruments.count, 1u);
    EXPECT_EQ(std::string(document.instruments.items[0].name.units, document.instruments.items[0].name.length), "kick");
    releaseDocument(document);

    r = run({"new", "card.vxcor"});
    EXPECT_TRUE(contains(r.err, card + ": already exists")) << r.err;
}

#ifndef _WIN32
// A name that is taken only by a link to nowhere: a probe finds no file there,
// but creating through it would write wherever the link points.
TEST_F(Cli, NewClaimsTheNameInOneStep) {
    std::string target = folder.file("elsewhere.vxcor");
    ASSERT_EQ(symlink(target.c_str(), card.c_str()), 0);
    ProcessResult r = run({"new", card});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "already exists")) << r.err;
    EXPECT_TRUE(readFileBytes(target).empty());
}
#endif

TEST_F(Cli, AddImportsAsDroppingFilesDoesAndInfoShowsTheResult) {
    ASSERT_EQ(run({"new", card}).status, 0);
    std::vector<std::string> files = {fixture("wav_s16_stereo.wav"), fixture("aiff_s24_stereo.aiff"),
                                      fixture("aifc_sowt_s16_stereo.aifc"), fixture("wav_ulaw_6ch.wav")};
    std::vector<std::string> arguments = {"add", card};
    arguments.insert(arguments.end(), files.begin(), files.end());
    ProcessResult r = run(arguments);
    ASSERT_EQ(r.status, 0) << r.err;

    // The same import in this process, then written by the program's own writer: the same bytes.
    CardDocument expected = {};
    resetDocument(expected);
    std::vector<Utf8View> views;
    for (const std::string& f : files) views.push_back(viewOf(f));
    ASSERT_EQ(importFilesAsInstruments(expected, views.data(), uint32_t(views.size()), nullptr), 0u);
    std::string mine = folder.file("mine.vxcor");
    ASSERT_EQ(writeCardFile(expected, viewOf(mine)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(card), readFileBytes(mine));

    r = run({"info", card, "--json"});
    ASSERT_EQ(r.status, 0);
    recountUsage(expected);
    std::string json = "{\"name\": \"Corvane\", \"cardCode\": 3841, \"usedBytes\": " + std::to_string(expected.usedBytes) +
                       ", \"freeBytes\": " + std::to_string(65536 - int(expected.usedBytes)) + ", \"instruments\": [";
    const char* names[] = {"wav_s16_", "aiff_s24", "aifc_sow", "wav_ulaw"};
    for (uint32_t i = 0; i < 4; ++i) {
        const Instrument& in = *instrumentAt(expected, i);
        json += std::string(i ? ", " : "") + "{\"name\": \"" + names[i] + "\", \"samples\": " +
                std::to_string(in.samples.count) + ", \"start\": 0, \"end\": " + std::to_string(in.end) +
                ", \"decay\": " + std::to_string(in.decay) + ", \"boost\": 0, \"downsample\": false, \"footprint\": " +
                std::to_string(instrumentFootprint(in)) + "}";
    }
    json += "]}\n";
    EXPECT_EQ(r.out, json);

    r = run({"info", card});
    EXPECT_TRUE(contains(r.out, "Card Size: " + std::to_string(expected.usedBytes) + " Byte\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Free Memory: " + std::to_string(65536 - expected.usedBytes) + " Byte\n"));
    EXPECT_TRUE(contains(r.out, "aifc_sow"));
    releaseDocument(expected);
}

TEST_F(Cli, AddReportsFailuresWithTheCountedMessageAndLeavesOutFilesBeyondEight) {
    ASSERT_EQ(run({"new", card}).status, 0);
    std::string junk = folder.file("junk.wav");
    writeFileBytes(junk, {'R', 'I', 'F', 'F'});
    ProcessResult r = run({"add", card, junk, fixture("wav_u8_mono.wav"), folder.file("missing.aif"),
                           fixture("make_aifc.py")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "junk.wav: not a WAV, AIFF or AIFC file")) << r.err;
    EXPECT_TRUE(contains(r.err, "missing.aif: no such file or folder")) << r.err;
    EXPECT_TRUE(contains(r.err, "3 files couldn't be imported")) << r.err;
    CardDocument document = {};
    load(card, document);
    EXPECT_EQ(document.instruments.count, 1u);  // the good file is kept
    releaseDocument(document);

    std::vector<std::string> arguments = {"add", card};
    for (int i = 0; i < 9; ++i) arguments.push_back(fixture("wav_u8_mono.wav"));
    r = run(arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "left out: the card already holds 8 instruments")) << r.err;
    load(card, document);
    EXPECT_EQ(document.instruments.count, 8u);
    releaseDocument(document);
}

TEST_F(Cli, SetLimitsValuesAsTheWindowDoes) {
    ASSERT_EQ(run({"new", card}).status, 0);
    ASSERT_EQ(run({"add", card, fixture("wav_s16_stereo.wav")}).status, 0);
    CardDocument document = {};
    load(card, document);
    uint32_t samples = instrumentAt(document, 0)->samples.count;
    releaseDocument(document);

    ProcessResult r = run({"set", card, "1", "--start", "100", "--end", "50", "--decay", "300.7", "--boost", "-2",
                           "--downsample", "on", "--name", "Snare drum"});
    ASSERT_EQ(r.status, 0) << r.err;
    load(card, document);
    const Instrument* in = instrumentAt(document, 0);
    EXPECT_EQ(in->end, 50u);
    EXPECT_EQ(in->start, 50u);  // at most the end
    EXPECT_EQ(in->decay, 255);
    EXPECT_EQ(in->boost, 0);
    EXPECT_TRUE(in->downsample);
    EXPECT_EQ(std::string(in->name.units, in->name.length), "Snare dr");
    releaseDocument(document);

    ASSERT_EQ(run({"set", card, "1", "--end", "999999", "--decay", "3.9", "--boost", "7.5", "--downsample", "off"}).status, 0);
    load(card, document);
    in = instrumentAt(document, 0);
    EXPECT_EQ(in->end, samples);
    EXPECT_EQ(in->start, 50u);
    EXPECT_EQ(in->decay, 3);
    EXPECT_EQ(in->boost, 7);
    EXPECT_FALSE(in->downsample);
    releaseDocument(document);

    ASSERT_EQ(run({"set", card, "1", "--start", "0", "--end", "10"}).status, 0);  // both: the end first
    load(card, document);
    EXPECT_EQ(instrumentAt(document, 0)->start, 0u);
    EXPECT_EQ(instrumentAt(document, 0)->end, 10u);
    releaseDocument(document);
}

TEST_F(Cli, RemoveAndMoveKeepTheOthersInOrder) {
    ASSERT_EQ(run({"new", card}).status, 0);
    ASSERT_EQ(run({"add", card, fixture("wav_u8_mono.wav"), fixture("aiff_s8_mono.aiff"),
                   fixture("aifc_twos_s8_mono.aifc")}).status, 0);
    ASSERT_EQ(run({"move", card, "1", "3"}).status, 0);
    CardDocument document = {};
    load(card, document);
    EXPECT_EQ(std::string(instrumentAt(document, 0)->name.units, 8), "aiff_s8_");
    EXPECT_EQ(std::string(instrumentAt(document, 2)->name.units, 8), "wav_u8_m");
    releaseDocument(document);
    ASSERT_EQ(run({"remove", card, "2"}).status, 0);
    load(card, document);
    ASSERT_EQ(document.instruments.count, 2u);
    EXPECT_EQ(std::string(instrumentAt(document, 1)->name.units, 8), "wav_u8_m");
    releaseDocument(document);
    ProcessResult r = run({"remove", card, "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "there is no instrument 3: the card holds 2")) << r.err;
}

TEST_F(Cli, ImageIsTheCardImageOfTheCardFile) {
    ASSERT_EQ(run({"new", card, "--name", "Image"}).status, 0);
    ASSERT_EQ(run({"add", card, fixture("wav_s24_stereo.wav"), fixture("aifc_fl32_stereo.aifc")}).status, 0);
    ASSERT_EQ(run({"set", card, "2", "--downsample", "on", "--boost", "4"}).status, 0);
    std::string image = folder.file("card.bin");
    ProcessResult r = run({"image", card, image});
    ASSERT_EQ(r.status, 0) << r.err;
    CardDocument document = {};
    load(card, document);
    Bytes expected(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, expected.data(), kCardCapacity), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(image), expected);
    releaseDocument(document);
}

TEST_F(Cli, ImageOfACardThatDoesNotFitSaysSo) {
    // A card written by the program itself: eight instruments of nine blocks each.
    CardDocument document = {};
    resetDocument(document);
    for (int i = 0; i < 8; ++i) {
        Instrument* in = appendInstrument(document);
        resizeBuffer(in->samples, 9 * 1024);
        for (uint32_t k = 0; k < 9 * 1024; ++k) in->samples.data[k] = 0.1f;
        in->end = 9 * 1024;
        in->decay = 1;
    }
    ASSERT_EQ(writeCardFile(document, viewOf(card)), ErrorCode::Ok);
    releaseDocument(document);
    std::string image = folder.file("card.bin");
    ProcessResult r = run({"image", card, image});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-cli: Too much data for the card\n");
    EXPECT_TRUE(readFileBytes(image).empty());
}

TEST_F(Cli, RenderWritesThePreviewFromStartToEnd) {
    ASSERT_EQ(run({"new", card}).status, 0);
    ASSERT_EQ(run({"add", card, fixture("wav_f64_mono.wav")}).status, 0);
    ASSERT_EQ(run({"set", card, "1", "--start", "20", "--end", "200", "--boost", "3", "--decay", "1"}).status, 0);
    std::string wav = folder.file("preview.wav");
    ProcessResult r = run({"render", card, "1", wav});
    ASSERT_EQ(r.status, 0) << r.err;

    CardDocument document = {};
    load(card, document);
    SampleBuffer preview = {}, envelope = {};
    ASSERT_EQ(prepareInstrumentPreview(*instrumentAt(document, 0), preview, envelope), ErrorCode::Ok);
    DecodedSample decoded = {};
    decoded.maxFileSize = 1 << 24;
    ASSERT_EQ(readWav(decoded, viewOf(wav)), ErrorCode::Ok);
    EXPECT_EQ(decoded.sampleRate, 37908u);
    EXPECT_EQ(decoded.channels, 1u);
    ASSERT_EQ(decoded.samples.count, 180u);
    for (uint32_t i = 0; i < 180; ++i) ASSERT_EQ(decoded.samples.data[i], preview.data[20 + i]) << i;
    releaseDecodedSample(decoded);
    releaseBuffer(preview);
    releaseBuffer(envelope);
    releaseDocument(document);
}

TEST_F(Cli, SendWritesTheCardToASimulatedWriter) {
    ASSERT_EQ(run({"new", card}).status, 0);
    ASSERT_EQ(run({"add", card, fixture("aiff_s16_stereo.aiff")}).status, 0);
    setEnvironment("CORVANE_SIMULATED_WRITERS", "4:1:99,7:2:8,7:3:99");
    setEnvironment("CORVANE_SIMULATED_OUTPUT", folder.path());
    ProcessResult r = run({"writers"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1: Corvane (2)\n2: Corvane (3)\n");

    r = run({"send", card, "--bank", "50"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "Transfer Successful (Time: ")) << r.out;
    CardDocument document = {};
    load(card, document);
    Bytes expected(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, expected.data(), kCardCapacity), ErrorCode::Ok);
    releaseDocument(document);
    // writer 2 of the simulated list is the first listed one; a bank beyond its 8 is sent as 8
    EXPECT_EQ(readFileBytes(folder.file("writer-2-bank-8.bin")), expected);

    r = run({"send", card, "--writer", "2", "--bank", "12"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFileBytes(folder.file("writer-3-bank-12.bin")), expected);

    r = run({"send", card, "--writer", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "there is no writer 3")) << r.err;
}

TEST_F(Cli, SendFailuresEndInTransferFailed) {
    ASSERT_EQ(run({"new", card}).status, 0);
    setEnvironment("CORVANE_SIMULATED_WRITERS", "7:1:99:partial@5");
    ProcessResult r = run({"send", card});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Transfer Failed\n");
    setEnvironment("CORVANE_SIMULATED_WRITERS", "7:1:99:removed@20");
    r = run({"send", card});
    EXPECT_EQ(r.status, 1);
    setEnvironment("CORVANE_SIMULATED_WRITERS", "");
    r = run({"send", card});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "no card writer is connected")) << r.err;
}

TEST_F(Cli, BadUsageAndBadFilesAreExplained) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } cases[] = {
        {{}, 2, "usage:"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"new"}, 2, "which card-file?"},
        {{"set", "x.vxcor", "one"}, 2, ""},
        {{"set", "x.vxcor", "1", "--decay", "loud"}, 2, "--decay takes a number"},
        {{"set", "x.vxcor", "1", "--downsample", "yes"}, 2, "--downsample takes on or off"},
        {{"send", "x.vxcor", "--bank", "0"}, 2, "banks run from 1 to 99"},
        {{"info", "x.vxcor", "--xml"}, 2, "unexpected argument"},
        {{"info", "x.vxcor"}, 1, "x.vxcor: Can't load the card-file: Inconsistent file"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        for (std::string& a : arguments)
            if (a == "x.vxcor") a = folder.file("x.vxcor");
        ProcessResult r = run(arguments);
        EXPECT_EQ(r.status, c.status) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_TRUE(contains(r.err, c.says)) << r.err;
    }
    writeFileBytes(card, {'c', 'v', 'n', 'e', 2});
    ProcessResult r = run({"info", card});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "card.vxcor: Can't load the card-file: The file is too new for this software-version"))
        << r.err;
    writeFileBytes(card, {'R', 'I', 'F', 'F'});
    r = run({"add", card, fixture("wav_u8_mono.wav")});
    EXPECT_TRUE(contains(r.err, "Can't load the card-file: Invalid file format")) << r.err;

    r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "corvane-cli send CARD.vxcor [--writer N] [--bank B]"));
    for (const char* command : {"new", "add", "set", "remove", "move", "info", "image", "render", "writers", "send"}) {
        r = run({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_TRUE(contains(r.out, std::string("usage: corvane-cli ") + command)) << command;
    }
}

TEST_F(Cli, CardFilesPassUnchangedBetweenTheProgramAndTheCommandLine) {
    // Written by the program, rewritten by the command line with nothing to change.
    CardDocument document = {};
    resetDocument(document);
    document.cardCode = 0x1234;
    document.headerFlag = true;
    assignText(document.name, viewOf("\xE2\x82\xAC" "Cards"));
    std::string sample = fixture("aifc_in24_stereo.aifc");
    Utf8View one = viewOf(sample);
    ASSERT_EQ(importFilesAsInstruments(document, &one, 1, nullptr), 0u);
    instrumentAt(document, 0)->downsample = true;
    instrumentAt(document, 0)->boost = 9;
    ASSERT_EQ(writeCardFile(document, viewOf(card)), ErrorCode::Ok);
    Bytes original = readFileBytes(card);
    ASSERT_EQ(run({"set", card, "1"}).status, 0);
    EXPECT_EQ(readFileBytes(card), original);

    // Written by the command line, read and written again by the program.
    std::string cliCard = folder.file("cli.vxcor");
    ASSERT_EQ(run({"new", cliCard, "--name", "Loop"}).status, 0);
    ASSERT_EQ(run({"add", cliCard, fixture("wav_alaw_stereo.wav")}).status, 0);
    CardDocument loaded = {};
    load(cliCard, loaded);
    std::string again = folder.file("again.vxcor");
    ASSERT_EQ(writeCardFile(loaded, viewOf(again)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(again), readFileBytes(cliCard));
    releaseDocument(loaded);
    releaseDocument(document);
}

TEST_F(Cli, TheRealProgramListsWritersThroughTheSystem) {
    // No writer is attached to the test machines: the list is empty, and that is no failure.
    ProcessResult r = run({"writers"}, CORVANE_CLI);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "No card writer is connected.\n");
    r = run({"--help"}, CORVANE_CLI);
    EXPECT_EQ(r.status, 0);
}
