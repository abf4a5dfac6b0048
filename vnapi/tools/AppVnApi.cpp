// The device library's interface test: opens the unit over USB, identifies it,
// reads its status and closes it. Exit status 0 only when every step
// succeeded.
#include <cstdio>
#include <string>

#include <unistd.h>

#include "vnapi/VirtualUnit.h"
#include "vnapi/VnApi.h"

namespace {

// The folder of this program, ending with '/': the unit's files live there.
std::string ProgramFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    const std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

bool Step(const char* name, int32_t reply)
{
    std::printf("%-24s reply %d%s\n", name, reply, reply == 0 ? "" : "  FAILED");
    return reply == 0;
}

} // namespace

int main()
{
    std::unique_ptr<VnApi> api = CreateVirtualUnitApi(ProgramFolder());
    uint16_t unit = 0;
    bool ok = Step("Varn_Open", api->Varn_Open(nullptr, nullptr, VnConnectionUsb, &unit));
    if (!ok)
        return 1;

    uint8_t features[VnFeatureBytesSize] = {};
    char model[VnIdentifyTextSize] = {};
    char firmware[VnIdentifyTextSize] = {};
    char releaseDate[VnIdentifyTextSize] = {};
    char internalNumber[VnIdentifyTextSize] = {};
    uint8_t board[2] = {};
    char printer[VnPrinterFirmwareSize] = {};
    if (Step("Varn_Identify", api->Varn_Identify(unit, nullptr, features, model, firmware, releaseDate,
                                                 internalNumber, board, nullptr, printer, 0, 0, 0, 0, 0))) {
        std::printf("  Device Name      : %s\n  Firmware Version : %s\n  Release Date     : %s\n", model, firmware,
                    releaseDate);
        if (internalNumber[0])
            std::printf("  Internal Number  : %s\n", internalNumber);
        if (board[0])
            std::printf("  Board Release    : %#02x, FPGA Release %c\n", board[0], board[1]);
        if (printer[0])
            std::printf("  Printer Firmware : %s\n", printer);
        std::printf("  Feature Bytes    : 0x%02X 0x%02X 0x%02X 0x%02X\n", features[0], features[1], features[2],
                    features[3]);
    } else {
        ok = false;
    }

    uint8_t senseKey = 0;
    uint8_t sensors[VnSensorBytesSize] = {};
    if (Step("Varn_PeripheralStatus", api->Varn_PeripheralStatus(unit, nullptr, &senseKey, sensors)))
        std::printf("  Sense Key        : %u\n  Sensor Status    : 0x%02X 0x%02X\n", senseKey, sensors[0],
                    sensors[1]);
    else
        ok = false;

    ok = Step("VnDisconnect", api->VnDisconnect(unit, nullptr)) && ok;
    std::printf("Interface test %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
