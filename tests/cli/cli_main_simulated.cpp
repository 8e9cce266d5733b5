// corvane-cli with the simulated writers listed in CORVANE_SIMULATED_WRITERS as
// "MODEL:DISPLAY:BANKS[:removed@BLOCK]",... Every image a writer kept is then
// written to CORVANE_SIMULATED_OUTPUT/writer-W-bank-B.bin.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "simulated_card_writer.h"
#ifdef _WIN32
#include "cli/cli_arguments_win.h"
#endif

static void plugWriters(SimulatedUsb& usb, const char* list) {
    for (const char* one = list; one && *one;) {
        unsigned model = 7, display = 1, banks = 99, block = 0;
        char misbehaviour[16] = "";
        sscanf(one, "%u:%u:%u:%15[a-z]@%u", &model, &display, &banks, misbehaviour, &block);
        SimulatedWriterSettings settings;
        settings.cardModel = uint8_t(model);
        settings.displayNumber = display;
        settings.bankCount = uint8_t(banks);
        settings.atBlock = block;
        if (!strcmp(misbehaviour, "removed")) settings.misbehaviour = Misbehaviour::RemovedAtBlock;
        usb.plugWriter(settings, u"sim" + std::u16string(1, char16_t(u'0' + usb.deviceCount())));
        one = strchr(one, ',');
        if (one) ++one;
    }
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    SimulatedUsb usb;
    plugWriters(usb, getenv("CORVANE_SIMULATED_WRITERS"));
#ifdef _WIN32
    int status = runCliWithWideArguments(argc, argv, usb.transport());
#else
    int status = runCli(argc, argv, usb.transport());
#endif
    const char* output = getenv("CORVANE_SIMULATED_OUTPUT");
    for (uint32_t w = 0; output && w < usb.deviceCount(); ++w) {
        for (const auto& bank : usb.device(w).banks) {
            std::string path = std::string(output) + "/writer-" + std::to_string(w + 1) + "-bank-" +
                               std::to_string(bank.first) + ".bin";
            if (FILE* file = fopen(path.c_str(), "wb")) {
                fwrite(bank.second.data(), 1, bank.second.size(), file);
                fclose(file);
            }
        }
    }
    return status;
}
