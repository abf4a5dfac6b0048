// The unit behind a network box, over loopback: what the bench gets through
// connection type 39 must be what it gets from the unit in process, and a
// missing, busy or vanished box must give its own replies.
#include <algorithm>
#include <asio.hpp>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "box/BoxProtocol.h"
#include "vnapi/NetworkBox.h"
#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"

namespace {

constexpr uint32_t Seed = 5;

class RunningBox {
public:
    explicit RunningBox(VnApi& unit, uint16_t port = 0, double frameSeconds = 10.0)
        : Box(unit, Options(port, frameSeconds))
    {
        std::string error;
        EXPECT_TRUE(Box.Start(&error)) << error;
        Port = Box.Port();
        Thread = std::thread([this] { Box.Run(); });
    }
    ~RunningBox() { Stop(); }
    void Stop()
    {
        if (Thread.joinable()) {
            Box.Stop();
            Thread.join();
        }
    }
    std::vector<std::string> LogLines() const
    {
        std::lock_guard lock(*Mutex);
        return *Lines;
    }

    uint16_t Port = 0;

private:
    NetworkBoxOptions Options(uint16_t port, double frameSeconds)
    {
        NetworkBoxOptions o;
        o.Port = port;
        o.FrameSeconds = frameSeconds;
        o.Log = [mutex = Mutex, lines = Lines](const std::string& line) {
            std::lock_guard lock(*mutex);
            lines->push_back(line);
        };
        return o;
    }

    std::shared_ptr<std::mutex> Mutex = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<std::string>> Lines = std::make_shared<std::vector<std::string>>();
    NetworkBox Box;
    std::thread Thread;
};

// A bench-side library pointed at the box (its own unit is never used).
VirtualUnitPair ClientFor(uint16_t port, const char* host = "127.0.0.1")
{
    VirtualUnitPair client = CreateVirtualUnit(TestUnitSetup(99));
    EXPECT_EQ(client.Api->Vn_SetIPAddress(VnConnectionNetworkBox, host, port), 0);
    return client;
}

std::string Hex(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }
// An image by its size and a 64-bit FNV-1a digest of every byte: a transcript
// of 25 documents stays small and still tells any changed byte.
std::string Image(const ImageHandle& h)
{
    if (!h)
        return "none";
    uint64_t digest = 14695981039346656037ull;
    for (const uint8_t b : h->Bytes())
        digest = (digest ^ b) * 1099511628211ull;
    return std::to_string(h->Bytes().size()) + ":" + std::to_string(digest);
}

// Every unit operation the bench sends, with what came back; the first
// entries are checked to have worked, so that equal transcripts mean more
// than equal failures.
std::vector<std::string> Transcript(VnApi& api, uint16_t connectionType)
{
    std::vector<std::string> t;
    // The out-values are read after the call, hence the lambda.
    auto note = [&](const std::string& what, int32_t reply, const std::function<std::string()>& out = {}) {
        t.push_back(what + " " + std::to_string(reply) + " " + (out ? out() : std::string()));
    };
    uint16_t h = 0;
    note("open", api.VnConnect(nullptr, nullptr, connectionType, &h));
    char model[VnIdentifyTextSize] = {}, firmware[VnIdentifyTextSize] = {}, release[VnIdentifyTextSize] = {},
         internal[VnIdentifyTextSize] = {}, printer[VnPrinterFirmwareSize] = {};
    uint8_t features[VnFeatureBytesSize] = {}, board[2] = {};
    note("identify",
         api.Varn_Identify(h, nullptr, features, model, firmware, release, internal, board, nullptr, printer, 0, 0,
                           0, 0, 0), [&] { return std::string(Hex(features, 4) + model + firmware + release + internal + Hex(board, 2) + printer); });
    uint8_t sense = 9, sensors[2] = {};
    note("status", api.Varn_PeripheralStatus(h, nullptr, &sense, sensors), [&] { return std::string(Hex(&sense, 1) + Hex(sensors, 2)); });
    note("feed", api.Varn_DocHandle(h, nullptr, 0, 0, 1, 'X', 5, 0, 0, 'G', 0, nullptr, 0, 0));
    char codeline[VnCodelineSize] = {};
    uint16_t length = sizeof codeline;
    note("codeline", api.Varn_ReadCodeline(h, nullptr, codeline, &length, nullptr, nullptr, nullptr, nullptr), [&] { return std::string(std::string(codeline) + "/" + std::to_string(length)); });
    ImageHandle front, back;
    note("images", api.Varn_ReadImage(h, nullptr, 1, 'X', 0, 0, &front, &back, nullptr, nullptr), [&] { return std::string(Image(front) + Image(back)); });
    uint8_t samples[16384] = {};
    uint32_t count = sizeof samples;
    note("e13b", api.Varn_ReadE13BSignal(h, nullptr, samples, &count), [&] { return std::string(Hex(samples, count)); });
    uint8_t cmc7[4096] = {};
    note("cmc7", api.Varn_ReadCMC7Signal(h, nullptr, cmc7, sizeof cmc7), [&] { return std::string(Hex(cmc7, sizeof cmc7)); });
    char micr[64] = {}, ocr[8] = {};
    uint16_t micrLength = sizeof micr, ocrLength = sizeof ocr;
    note("micr+ocr", api.Varn_ReadCodelineMicrOcr(h, nullptr, micr, &micrLength, ocr, &ocrLength), [&] { return std::string(std::string(micr) + "/" + ocr + std::to_string(micrLength) + "/" + std::to_string(ocrLength)); });
    note("release", api.Varn_DocHandle(h, nullptr, 0, 0, 0, 'N', 0, 1, 5, 'G', 0, nullptr, 0, 0));
    note("string", api.Varn_LoadString(h, nullptr, 'A', 5, "ENDORSED"));
    note("counter", api.Varn_LoadStringWithCounter(h, nullptr, 'B', "No %d", 5, 8, 3));
    note("digital", api.Varn_LoadDigitalString(h, nullptr, 'F', "Paid", 4, 7, 0, "DejaVu Sans", 12, 1, 0, 0, 0, 0,
                                               10.5f, 20.25f));
    note("trimmer", api.Varn_SetTrimmerMICR(h, nullptr, 0, 77));
    uint8_t trimmer[2] = {};
    note("trimmer?", api.Varn_ReadTrimmerMICR(h, nullptr, 0, trimmer, 2), [&] { return std::string(Hex(trimmer, 2)); });
    note("sample", api.Varn_SetTimeSampleMICR(h, nullptr, 0, 123));
    uint16_t sample = 0;
    note("sample?", api.Varn_ReadTimeSampleMICR(h, nullptr, 0, &sample, 2), [&] { return std::string(std::to_string(sample)); });
    uint16_t calibration = 0;
    note("image calibration?", api.Varn_ImageCalibration(h, nullptr, 0, &calibration), [&] { return std::string(std::to_string(calibration)); });
    const uint8_t block[4] = {0x2B, 0x13, 0, 0};
    note("configuration", api.Varn_SetConfiguration(h, nullptr, block));
    note("scanner calibration", api.Varn_ScannerCalibration(h, nullptr, 1));
    note("photo calibration", api.Varn_PhotosCalibration(h, nullptr, 0));
    HistoryRecord history;
    note("history", api.Varn_HistoryCommand(h, nullptr, 1, &history), [&] { return std::string(std::to_string(history.DocumentsProcessed) + "/" + std::to_string(history.PowerOns)); });
    uint8_t photos[8] = {};
    note("photos", api.VnReadPhotosValue(h, nullptr, photos, 0), [&] { return std::string(Hex(photos, 8)); });
    uint8_t eeprom[16] = {1, 2, 3};
    note("eeprom write", api.VnEEPROMCommand(h, nullptr, 1, 32, 3, eeprom));
    note("eeprom read", api.VnEEPROMCommand(h, nullptr, 0, 30, 16, eeprom), [&] { return std::string(Hex(eeprom, 16)); });
    std::vector<uint8_t> memory(70000);
    note("dump", api.Varn_DumpPeripheralMemory(h, nullptr, memory.data(), 70000, 0, 0), [&] { return std::string(Hex(memory.data(), memory.size())); });
    note("beep", api.VnBeep(h, nullptr, 2, 100, 100));
    note("led", api.VnLED(h, nullptr, 1, 100, 100));
    std::vector<uint8_t> belt(30000);
    uint32_t beltLength = 30000;
    note("belt", api.VnTestCinghia(h, nullptr, belt.data(), &beltLength), [&] { return std::string(Hex(belt.data(), beltLength)); });
    char badge[128] = {};
    uint16_t badgeLength = sizeof badge;
    note("badge", api.Varn_ReadBadge(h, nullptr, 32 | 64, sizeof badge, badge, &badgeLength), [&] { return std::string(badge); });
    note("null codeline", api.Varn_ReadCodeline(h, nullptr, nullptr, &length, nullptr, nullptr, nullptr, nullptr));

    // An automatic run of 25 documents, images handed over, then the empty feeder.
    const AutoDocOptions options{0, 0};
    note("options", api.Varn_SetAutoDocOptions(h, nullptr, &options));
    note("auto", api.Varn_AutoDocHandle(h, nullptr, 0, 0, 1, 5, 0, 1, 25, 1, 'X', 0, 0, "", "", 0, 0, 0, 0, 10, 0, 0,
                                        128, 0, 1, 'G', 0, nullptr, nullptr, nullptr));
    for (int i = 0; i < 26; ++i) {
        uint32_t number = 0;
        char frontName[VnFileNameSize] = {}, backName[VnFileNameSize] = {};
        char optical[VnCodelineSize] = {}, micrLine[VnCodelineSize] = {}, barcode[VnCodelineSize] = {};
        ImageHandle f, b;
        int32_t extra = 0;
        note("document", api.Varn_GetDocData(h, nullptr, &number, frontName, backName, nullptr, nullptr, &f, &b,
                                             nullptr, nullptr, optical, micrLine, barcode, nullptr, &extra, nullptr,
                                             nullptr, nullptr), [&] { return std::string(std::to_string(number) + frontName + backName + optical + "/" + micrLine + "/" + barcode + "/" +
                 std::to_string(extra) + Image(f) + Image(b)); });
    }
    note("reset", api.Varn_Reset(h, nullptr, '0'));
    note("close", api.VnDisconnect(h, nullptr));
    return t;
}

} // namespace

TEST(NetworkBox, EveryUnitOperationGivesWhatTheUnitInProcessGives)
{
    // Enough cheques for the single feed and a whole run of 25.
    VirtualUnitSetup setup = TestUnitSetup(Seed);
    setup.GeneratedCheques = 30;
    VirtualUnitPair hosted = CreateVirtualUnit(setup);
    RunningBox box(*hosted.Api);
    VirtualUnitPair client = ClientFor(box.Port);
    VirtualUnitPair inProcess = CreateVirtualUnit(setup);

    const std::vector<std::string> expected = Transcript(*inProcess.Api, VnConnectionUsb);
    const std::vector<std::string> got = Transcript(*client.Api, VnConnectionNetworkBox);
    // The in-process run itself worked: open, identify, feed, images, the run's documents.
    for (size_t i : {0, 1, 3, 5})
        EXPECT_EQ(expected[i].substr(expected[i].find(' '), 3), " 0 ") << expected[i].substr(0, 40);
    EXPECT_EQ(std::count(expected[5].begin(), expected[5].end(), ':'), 2) << "two images";
    // 25 documents with both images, then the feeder's end.
    const auto documents = std::count_if(expected.begin(), expected.end(), [](const std::string& step) {
        return step.rfind("document 0 ", 0) == 0 && std::count(step.begin(), step.end(), ':') == 2;
    });
    EXPECT_EQ(documents, 25);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(got[i] == expected[i]) << "step " << i << ": box " << got[i].substr(0, 80) << " / in process "
                                           << expected[i].substr(0, 80);
    EXPECT_FALSE(hosted.Control.State().Open) << "closed through the box";
}

TEST(NetworkBox, NodeNameLocalhostReachesTheBox)
{
    VirtualUnitPair hosted = CreateVirtualUnit(TestUnitSetup(Seed));
    RunningBox box(*hosted.Api);
    VirtualUnitPair client = CreateVirtualUnit(TestUnitSetup(99));
    ASSERT_EQ(client.Api->VnSetNetworkNodeName(VnConnectionNetworkBox, "localhost", box.Port), 0);
    uint16_t h = 0;
    EXPECT_EQ(client.Api->Varn_Open(nullptr, nullptr, VnConnectionNetworkBox, &h), 0);
    EXPECT_TRUE(hosted.Control.State().Open);
    EXPECT_FALSE(client.Control.State().Open) << "the client's own unit stays shut";
    EXPECT_EQ(client.Api->VnDisconnect(h, nullptr), 0);
}

TEST(NetworkBox, NoBoxAtTheAddressReplies109)
{
    uint16_t port = 0;
    {
        VirtualUnitPair hosted = CreateVirtualUnit(TestUnitSetup(Seed));
        RunningBox box(*hosted.Api);
        port = box.Port;
    }
    VirtualUnitPair client = ClientFor(port);
    uint16_t h = 0;
    EXPECT_EQ(client.Api->Varn_Open(nullptr, nullptr, VnConnectionNetworkBox, &h), VnReplyBoxNotFound);
    EXPECT_EQ(client.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), VnReplyBoxNotFound);
    ASSERT_EQ(client.Api->VnSetNetworkNodeName(VnConnectionNetworkBox, "no-such-box.invalid", port), 0);
    EXPECT_EQ(client.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), VnReplyBoxNotFound);
}

TEST(NetworkBox, ASecondClientGets11UntilTheFirstLeaves)
{
    VirtualUnitPair hosted = CreateVirtualUnit(TestUnitSetup(Seed));
    RunningBox box(*hosted.Api);
    VirtualUnitPair first = ClientFor(box.Port), second = ClientFor(box.Port);
    uint16_t h1 = 0, h2 = 0;
    ASSERT_EQ(first.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h1), 0);
    EXPECT_EQ(second.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h2), VnReplyNetBusy);
    ASSERT_EQ(first.Api->VnDisconnect(h1, nullptr), 0);
    EXPECT_EQ(second.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h2), 0) << "free once closed";
    EXPECT_EQ(second.Api->VnDisconnect(h2, nullptr), 0);
}

TEST(NetworkBox, ABoxGoneMidRunGives64ThenMinus1000UntilItIsBack)
{
    VirtualUnitPair hosted = CreateVirtualUnit(TestUnitSetup(Seed));
    auto box = std::make_unique<RunningBox>(*hosted.Api);
    const uint16_t port = box->Port;
    VirtualUnitPair client = ClientFor(port);
    VnApi& api = *client.Api;
    uint16_t h = 0;
    ASSERT_EQ(api.VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), 0);
    ASSERT_EQ(api.Varn_AutoDocHandle(h, nullptr, 0, 0, 1, 5, 0, 1, 0, 1, 'X', 0, 0, "", "", 0, 0, 0, 0, 10, 0, 0, 128,
                                     0, 1, 'G', 0, nullptr, nullptr, nullptr),
              0);
    auto fetch = [&] {
        ImageHandle f;
        return api.Varn_GetDocData(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &f, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    };
    ASSERT_EQ(fetch(), 0);
    box.reset(); // the box goes away in the middle of the run
    EXPECT_EQ(fetch(), VnReplyDisconnected);
    EXPECT_EQ(api.VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), VnReplyConnectionFailed);
    EXPECT_EQ(api.Varn_Open(nullptr, nullptr, VnConnectionNetworkBox, &h), VnReplyConnectionFailed);
    api.VnDisconnect(h, nullptr);

    RunningBox again(*hosted.Api, port);
    EXPECT_EQ(api.VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), 0) << "the box is back";
    EXPECT_EQ(api.VnDisconnect(h, nullptr), 0);
    EXPECT_EQ(api.VnConnect(nullptr, nullptr, 39, &h), 0);
}

// The badge dialog's reset, from the user-interface thread, ends a read that
// waits on the box for a swipe, as it does with the unit in process.
TEST(NetworkBox, AResetFromAnotherThreadEndsABadgeReadsWait)
{
    VirtualUnitSetup setup = TestUnitSetup(Seed);
    setup.TimeScale = 1.0;
    setup.BadgeWaitSeconds = 20.0;
    VirtualUnitPair hosted = CreateVirtualUnit(setup);
    RunningBox box(*hosted.Api);
    VirtualUnitPair client = ClientFor(box.Port);
    VnApi& api = *client.Api;
    uint16_t h = 0;
    ASSERT_EQ(api.VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), 0);
    const auto start = std::chrono::steady_clock::now();
    int32_t readReply = 0;
    std::thread reader([&] {
        char data[128] = {};
        uint16_t length = sizeof data;
        readReply = api.Varn_ReadBadge(h, nullptr, 32, sizeof data, data, &length);
    });
    while (!hosted.Control.State().BadgeReadWaiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(api.Varn_Reset(h, nullptr, '0'), 0);
    reader.join();
    EXPECT_EQ(readReply, VnReplyAborted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "not the whole wait";
    EXPECT_EQ(api.VnDisconnect(h, nullptr), 0);
}

// Clients that break the protocol are dropped with a log line, and the unit
// is free for the next one.
TEST(NetworkBox, BadClientsAreDroppedAndTheNextIsServed)
{
    VirtualUnitPair hosted = CreateVirtualUnit(TestUnitSetup(Seed));
    RunningBox box(*hosted.Api, 0, 0.3);
    struct Case {
        std::string Name;
        std::vector<uint8_t> Bytes;
        std::string Logged;
    };
    std::vector<uint8_t> overLimit = {0x01, 0x00, 0x00, 0x04}; // 64 MiB + 1
    std::vector<uint8_t> garbage(40, 0xEE);
    garbage[0] = 30, garbage[1] = garbage[2] = garbage[3] = 0;
    std::vector<uint8_t> stalled = {100, 0, 0, 0, 1, 1};
    const Case cases[] = {
        {"over-limit length", overLimit, "dropped: length past the limit"},
        {"garbage", garbage, "dropped: unknown protocol version"},
        {"stalls mid-frame", stalled, "dropped: too slow"},
    };
    for (const Case& c : cases) {
        asio::io_context io;
        asio::ip::tcp::socket raw(io);
        raw.connect({asio::ip::make_address("127.0.0.1"), box.Port});
        asio::write(raw, asio::buffer(c.Bytes));
        std::vector<uint8_t> sink(16);
        std::error_code ec;
        raw.read_some(asio::buffer(sink), ec); // the box closes on us
        EXPECT_TRUE(ec) << c.Name;
        const std::vector<std::string> lines = box.LogLines();
        EXPECT_NE(lines.back().find(c.Logged), std::string::npos) << c.Name << ": " << lines.back();
    }
    // A client that leaves in the middle of its session frees the unit.
    uint16_t h = 0;
    {
        VirtualUnitPair quitter = ClientFor(box.Port);
        ASSERT_EQ(quitter.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h), 0);
    }
    VirtualUnitPair next = ClientFor(box.Port);
    // The box closes the quitter's unit on its own time.
    int32_t reply = VnReplyNetBusy;
    for (int i = 0; i < 200 && reply == VnReplyNetBusy; ++i) {
        reply = next.Api->VnConnect(nullptr, nullptr, VnConnectionNetworkBox, &h);
        if (reply == VnReplyNetBusy)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(reply, 0);
}
