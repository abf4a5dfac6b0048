#include "micr/HeadFeed.h"

#include "core/BenchState.h"
#include "vnapi/VnCodes.h"

int32_t FeedForSignal(Bench& bench)
{
    return bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, VnCodelineMicr, 'N',
                                    VnScanModeGrey256At200, 0, VnDestinationSorted, 'W', 0, nullptr, 0, 0);
}

bool DocumentInFeeder(Bench& bench)
{
    uint8_t senseKey = 0;
    uint8_t sensor[VnSensorBytesSize] = {};
    bench.Api.Varn_PeripheralStatus(bench.State.UnitHandle, bench.Window, &senseKey, sensor);
    return (sensor[0] & VnSensorDocumentInFeeder) != 0;
}
