#include "core/Connection.h"

#include <cstdlib>
#include <cstring>

#include "core/BenchState.h"
#include "core/ReplyCodes.h"

void PrepareNetworkBox(Bench& bench)
{
    auto& s = bench.State.Settings;
    // A field read from the file need not hold a terminator: pass its text only.
    if (s.ConnectByNodeName != 0) {
        const std::string nodeName = GetText(s.BoxNodeName);
        const int32_t reply = bench.Api.VnSetNetworkNodeName(bench.State.ConnectionType, nodeName.c_str(), s.BoxPort);
        ReportReply(bench.Op, reply, QStringLiteral("VnSetNetworkNodeName"));
    } else {
        const std::string address = GetText(s.BoxIpAddress);
        const int32_t reply = bench.Api.Vn_SetIPAddress(bench.State.ConnectionType, address.c_str(), s.BoxPort);
        ReportReply(bench.Op, reply, QStringLiteral("Vn_SetIPAddress"));
    }
}

OpenResult OpenUnit(Bench& bench, OpenOperation operation, OpenRule rule)
{
    PrepareNetworkBox(bench);
    OpenResult result;
    auto& st = bench.State;
    result.Reply = operation == OpenOperation::VarnOpen
                       ? bench.Api.Varn_Open(bench.Window, bench.Instance, st.ConnectionType, &st.UnitHandle)
                       : bench.Api.VnConnect(bench.Window, bench.Instance, st.ConnectionType, &st.UnitHandle);
    const QString label = QStringLiteral("Varn_Open");
    switch (rule) {
    case OpenRule::ReportAndGoOn:
        if (result.Reply != VnReplyOk && result.Reply != VnReplyAlreadyConnected)
            ReportReply(bench.Op, result.Reply, label);
        result.Proceed = true;
        break;
    case OpenRule::AlreadyConnectedGoesOn:
        result.Proceed = result.Reply == VnReplyOk || result.Reply == VnReplyAlreadyConnected;
        if (!result.Proceed)
            ReportReply(bench.Op, result.Reply, label);
        break;
    case OpenRule::Ignore:
        result.Proceed = true;
        break;
    case OpenRule::AnyFailureStops:
        result.Proceed = ReportReply(bench.Op, result.Reply, label) == 0;
        break;
    }
    return result;
}

void CloseUnit(Bench& bench) { bench.Api.VnDisconnect(bench.State.UnitHandle, bench.Window); }

uint16_t UnitGenerationFor(const char* deviceModel, const char* firmwareVersion)
{
    if (!deviceModel || !firmwareVersion)
        return 40;
    if (std::strncmp(deviceModel, "Varn", 4) != 0 || firmwareVersion[0] != '1')
        return 40;
    // atoi semantics from the third character; a shorter text reads as 0.
    const long number = std::strlen(firmwareVersion) >= 2 ? std::atol(firmwareVersion + 2) : 0;
    return number < 20 ? 39 : 40;
}

int32_t IdentifyForGeneration(Bench& bench)
{
    auto& st = bench.State;
    st.UnitGeneration = 40;
    auto& id = st.Identity;
    const int32_t reply =
        bench.Api.Varn_Identify(st.UnitHandle, bench.Window, id.FeatureBytes.data(), id.DeviceModel.data(),
                                id.FirmwareVersion.data(), id.ReleaseDate.data(), nullptr, nullptr, nullptr,
                                nullptr, 0, 0, 0, 0, 0);
    // Texts from the unit are cut at their buffer's end whatever it sent.
    id.DeviceModel.back() = id.FirmwareVersion.back() = id.ReleaseDate.back() = 0;
    if (reply == 0)
        st.UnitGeneration = UnitGenerationFor(id.DeviceModel.data(), id.FirmwareVersion.data());
    return reply;
}
