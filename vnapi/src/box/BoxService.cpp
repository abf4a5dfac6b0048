#include "box/BoxService.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace box {

namespace {

// A text argument as the library takes it: null, or terminated.
struct TextArg {
    bool Present = false;
    std::string Text;
    const char* Get() const { return Present ? Text.c_str() : nullptr; }
};

TextArg ReadText(ValueReader& r)
{
    TextArg t;
    std::vector<uint8_t> bytes;
    t.Present = r.Bytes(&bytes);
    t.Text.assign(bytes.begin(), bytes.end());
    return t;
}

Value BufferText(const char* buffer, size_t capacity) { return Bytes(reinterpret_cast<const uint8_t*>(buffer), strnlen(buffer, capacity)); }

Value Image(const ImageHandle& image) { return image ? Bytes(image->Bytes()) : None(); }

uint32_t Capped(uint32_t size) { return std::min(size, MaxOutBuffer); }

} // namespace

std::optional<Frame> Serve(VnApi& api, const Frame& request, ServiceSession* session)
{
    ValueReader r(request.Values);
    Frame reply;
    reply.Kind = FrameKind::Reply;
    reply.Operation = request.Operation;
    reply.Sequence = request.Sequence;
    auto& out = reply.Values;
    int32_t code = 0;

    switch (static_cast<Op>(request.Operation)) {
    case Op::Hello:
        break;
    case Op::Open: {
        const bool viaConnect = r.Flag();
        if (!r.Ok())
            return std::nullopt;
        uint16_t handle = 0;
        code = viaConnect ? api.VnConnect(nullptr, nullptr, VnConnectionUsb, &handle)
                          : api.Varn_Open(nullptr, nullptr, VnConnectionUsb, &handle);
        if (code == VnReplyOk || code == VnReplyAlreadyConnected)
            session->OpenHandle = handle;
        out.push_back(U16(handle));
        break;
    }
    case Op::Disconnect: {
        const uint16_t unit = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = api.VnDisconnect(unit, nullptr);
        if (code == VnReplyOk && session->OpenHandle == unit)
            session->OpenHandle.reset();
        break;
    }
    case Op::Identify: {
        const uint16_t unit = r.U16();
        const uint8_t mask = r.U8();
        if (!r.Ok())
            return std::nullopt;
        std::array<uint8_t, VnFeatureBytesSize> features{};
        std::array<char, VnIdentifyTextSize> model{}, firmware{}, release{}, internal{};
        std::array<uint8_t, 2> board{};
        std::array<char, VnPrinterFirmwareSize> printer{};
        auto bit = [&](int b) { return (mask >> b) & 1; };
        code = api.Varn_Identify(unit, nullptr, bit(0) ? features.data() : nullptr, bit(1) ? model.data() : nullptr,
                                 bit(2) ? firmware.data() : nullptr, bit(3) ? release.data() : nullptr,
                                 bit(4) ? internal.data() : nullptr, bit(5) ? board.data() : nullptr, nullptr,
                                 bit(6) ? printer.data() : nullptr, 0, 0, 0, 0, 0);
        out = {Bytes(features.data(), features.size()), BufferText(model.data(), model.size()),
               BufferText(firmware.data(), firmware.size()), BufferText(release.data(), release.size()),
               BufferText(internal.data(), internal.size()), Bytes(board.data(), board.size()),
               BufferText(printer.data(), printer.size())};
        break;
    }
    case Op::PeripheralStatus: {
        const uint16_t unit = r.U16();
        const bool hasSense = r.Flag(), hasSensor = r.Flag();
        if (!r.Ok())
            return std::nullopt;
        uint8_t sense = 0;
        std::array<uint8_t, VnSensorBytesSize> sensor{};
        code = api.Varn_PeripheralStatus(unit, nullptr, hasSense ? &sense : nullptr,
                                         hasSensor ? sensor.data() : nullptr);
        out = {U8(sense), Bytes(sensor.data(), sensor.size())};
        break;
    }
    case Op::Reset: {
        const uint16_t unit = r.U16();
        const char type = static_cast<char>(r.U8());
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_Reset(unit, nullptr, type);
        break;
    }
    case Op::DocHandle: {
        const uint16_t unit = r.U16(), stamp = r.U16(), printMode = r.U16(), codeline = r.U16();
        const char side = static_cast<char>(r.U8());
        const uint16_t scanMode = r.U16(), feed = r.U16(), destination = r.U16();
        const char wait = static_cast<char>(r.U8());
        const uint16_t beep = r.U16(), card = r.U16();
        const int32_t reserved2 = r.I32();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_DocHandle(unit, nullptr, stamp, printMode, codeline, side, scanMode, feed, destination, wait,
                                  beep, nullptr, card, reserved2);
        break;
    }
    case Op::ReadCodeline: {
        const uint16_t unit = r.U16();
        const bool hasText = r.Flag(), hasLength = r.Flag();
        uint16_t length = r.U16();
        if (!r.Ok())
            return std::nullopt;
        std::vector<char> text(std::max<size_t>(length, 1));
        code = api.Varn_ReadCodeline(unit, nullptr, hasText ? text.data() : nullptr, hasLength ? &length : nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
        out = {BufferText(text.data(), text.size()), U16(length)};
        break;
    }
    case Op::ReadImage: {
        const uint16_t unit = r.U16(), clear = r.U16();
        const char side = static_cast<char>(r.U8());
        const uint16_t reserved1 = r.U16();
        const int32_t reserved2 = r.I32();
        const bool hasFront = r.Flag(), hasBack = r.Flag();
        if (!r.Ok())
            return std::nullopt;
        ImageHandle front, back;
        code = api.Varn_ReadImage(unit, nullptr, clear, side, reserved1, reserved2, hasFront ? &front : nullptr,
                                  hasBack ? &back : nullptr, nullptr, nullptr);
        out = {Image(front), Image(back)};
        break;
    }
    case Op::LoadString: {
        const uint16_t unit = r.U16();
        const char font = static_cast<char>(r.U8());
        const uint16_t length = r.U16();
        const TextArg text = ReadText(r);
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_LoadString(unit, nullptr, font, length, text.Get());
        break;
    }
    case Op::LoadStringWithCounter: {
        const uint16_t unit = r.U16();
        const char font = static_cast<char>(r.U8());
        const TextArg text = ReadText(r);
        const uint16_t length = r.U16();
        const int32_t start = r.I32();
        const uint16_t digits = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_LoadStringWithCounter(unit, nullptr, font, text.Get(), length, start, digits);
        break;
    }
    case Op::LoadDigitalString: {
        const uint16_t unit = r.U16();
        const char side = static_cast<char>(r.U8());
        const TextArg text = ReadText(r);
        const uint16_t length = r.U16();
        const int32_t a6 = r.I32(), a7 = r.I32();
        const TextArg font = ReadText(r);
        const int32_t size = r.I32(), bold = r.I32(), italic = r.I32(), underline = r.I32(), gray = r.I32();
        const uint16_t inch = r.U16();
        const float x = r.F32(), y = r.F32();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_LoadDigitalString(unit, nullptr, side, text.Get(), length, a6, a7, font.Get(), size, bold,
                                          italic, underline, gray, inch, x, y);
        break;
    }
    case Op::AutoDocHandle: {
        const uint16_t unit = r.U16(), stamp = r.U16(), print = r.U16(), codelineType = r.U16(), scanMode = r.U16(),
                       a7 = r.U16(), a8 = r.U16(), count = r.U16(), clear = r.U16();
        const char side = static_cast<char>(r.U8());
        const uint16_t a12 = r.U16(), saveMode = r.U16();
        const TextArg folder = ReadText(r);
        const TextArg baseName = ReadText(r);
        const float x = r.F32(), y = r.F32(), width = r.F32(), height = r.F32();
        const uint16_t unitCode = r.U16(), a21 = r.U16(), format = r.U16();
        const int32_t quality = r.I32(), a24 = r.I32(), a25 = r.I32();
        const char wait = static_cast<char>(r.U8());
        const uint16_t beep = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_AutoDocHandle(unit, nullptr, stamp, print, codelineType, scanMode, a7, a8, count, clear, side,
                                      a12, saveMode, folder.Get(), baseName.Get(), x, y, width, height, unitCode, a21,
                                      format, quality, a24, a25, wait, beep, nullptr, nullptr, nullptr);
        break;
    }
    case Op::GetDocData: {
        const uint16_t unit = r.U16(), mask = r.U16();
        if (!r.Ok())
            return std::nullopt;
        auto bit = [&](int b) { return (mask >> b) & 1; };
        uint32_t number = 0;
        std::array<char, VnFileNameSize> frontName{}, backName{};
        std::array<char, VnCodelineSize> optical{}, micr{}, barcode{};
        ImageHandle front, back;
        int32_t extra = 0;
        code = api.Varn_GetDocData(unit, nullptr, bit(0) ? &number : nullptr, bit(1) ? frontName.data() : nullptr,
                                   bit(2) ? backName.data() : nullptr, nullptr, nullptr, bit(3) ? &front : nullptr,
                                   bit(4) ? &back : nullptr, nullptr, nullptr, bit(5) ? optical.data() : nullptr,
                                   bit(6) ? micr.data() : nullptr, bit(7) ? barcode.data() : nullptr, nullptr,
                                   bit(8) ? &extra : nullptr, nullptr, nullptr, nullptr);
        out = {U32(number),
               BufferText(frontName.data(), frontName.size()),
               BufferText(backName.data(), backName.size()),
               Image(front),
               Image(back),
               BufferText(optical.data(), optical.size()),
               BufferText(micr.data(), micr.size()),
               BufferText(barcode.data(), barcode.size()),
               I32(extra)};
        break;
    }
    case Op::SetAutoDocOptions: {
        const uint16_t unit = r.U16();
        const bool has = r.Flag();
        AutoDocOptions options;
        options.Reserved = r.I32();
        options.StopOnCodelineError = r.I32();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_SetAutoDocOptions(unit, nullptr, has ? &options : nullptr);
        break;
    }
    case Op::ReadBadge: {
        const uint16_t unit = r.U16();
        const uint8_t tracks = r.U8();
        const uint16_t size = r.U16();
        const bool hasData = r.Flag(), hasLength = r.Flag();
        uint16_t length = r.U16();
        if (!r.Ok())
            return std::nullopt;
        std::vector<char> data(std::max<size_t>(size, 1));
        code = api.Varn_ReadBadge(unit, nullptr, tracks, size, hasData ? data.data() : nullptr,
                                  hasLength ? &length : nullptr);
        out = {BufferText(data.data(), data.size()), U16(length)};
        break;
    }
    case Op::ReadE13BSignal:
    case Op::TestCinghia: {
        const uint16_t unit = r.U16();
        const bool hasSamples = r.Flag(), hasLength = r.Flag();
        uint32_t length = Capped(r.U32());
        if (!r.Ok())
            return std::nullopt;
        std::vector<uint8_t> samples(std::max<size_t>(length, 1));
        uint8_t* s = hasSamples ? samples.data() : nullptr;
        uint32_t* l = hasLength ? &length : nullptr;
        code = static_cast<Op>(request.Operation) == Op::ReadE13BSignal ? api.Varn_ReadE13BSignal(unit, nullptr, s, l)
                                                                        : api.VnTestCinghia(unit, nullptr, s, l);
        samples.resize(std::min<size_t>(length, samples.size()));
        out = {Bytes(std::move(samples)), U32(length)};
        break;
    }
    case Op::SetTrimmerMicr: {
        const uint16_t unit = r.U16(), reserved = r.U16();
        const uint8_t value = r.U8();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_SetTrimmerMICR(unit, nullptr, reserved, value);
        break;
    }
    case Op::ReadTrimmerMicr: {
        const uint16_t unit = r.U16(), reserved = r.U16();
        const bool has = r.Flag();
        const uint16_t size = r.U16();
        if (!r.Ok())
            return std::nullopt;
        std::vector<uint8_t> buffer(std::max<size_t>(size, 1));
        code = api.Varn_ReadTrimmerMICR(unit, nullptr, reserved, has ? buffer.data() : nullptr, size);
        buffer.resize(size);
        out = {Bytes(std::move(buffer))};
        break;
    }
    case Op::ReadTimeSampleMicr: {
        const uint16_t unit = r.U16(), reserved = r.U16();
        const bool has = r.Flag();
        const uint16_t size = r.U16();
        if (!r.Ok())
            return std::nullopt;
        uint16_t value = 0;
        code = api.Varn_ReadTimeSampleMICR(unit, nullptr, reserved, has ? &value : nullptr, size);
        out = {U16(value)};
        break;
    }
    case Op::SetTimeSampleMicr: {
        const uint16_t unit = r.U16(), reserved = r.U16(), value = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_SetTimeSampleMICR(unit, nullptr, reserved, value);
        break;
    }
    case Op::ScannerCalibration:
    case Op::PhotosCalibration: {
        const uint16_t unit = r.U16(), value = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = static_cast<Op>(request.Operation) == Op::ScannerCalibration
                   ? api.Varn_ScannerCalibration(unit, nullptr, value)
                   : api.Varn_PhotosCalibration(unit, nullptr, value);
        break;
    }
    case Op::SetConfiguration: {
        const uint16_t unit = r.U16();
        std::vector<uint8_t> block;
        const bool has = r.Bytes(&block);
        if (!r.Ok() || (has && block.size() != VnFeatureBytesSize))
            return std::nullopt;
        code = api.Varn_SetConfiguration(unit, nullptr, has ? block.data() : nullptr);
        break;
    }
    case Op::ReadCodelineMicrOcr: {
        const uint16_t unit = r.U16();
        const uint8_t mask = r.U8();
        uint16_t micrLength = r.U16(), ocrLength = r.U16();
        if (!r.Ok())
            return std::nullopt;
        std::vector<char> micr(std::max<size_t>(micrLength, 1)), ocr(std::max<size_t>(ocrLength, 1));
        code = api.Varn_ReadCodelineMicrOcr(unit, nullptr, (mask & 1) ? micr.data() : nullptr,
                                            (mask & 2) ? &micrLength : nullptr, (mask & 4) ? ocr.data() : nullptr,
                                            (mask & 8) ? &ocrLength : nullptr);
        out = {BufferText(micr.data(), micr.size()), U16(micrLength), BufferText(ocr.data(), ocr.size()),
               U16(ocrLength)};
        break;
    }
    case Op::ReadCmc7Signal:
    case Op::DumpPeripheralMemory: {
        const uint16_t unit = r.U16();
        const bool has = r.Flag();
        const uint32_t size = Capped(r.U32());
        const bool dump = static_cast<Op>(request.Operation) == Op::DumpPeripheralMemory;
        const uint32_t parameter = dump ? r.U32() : 0;
        const uint8_t reserved = dump ? r.U8() : 0;
        if (!r.Ok())
            return std::nullopt;
        std::vector<uint8_t> buffer(std::max<size_t>(size, 1));
        uint8_t* b = has ? buffer.data() : nullptr;
        code = dump ? api.Varn_DumpPeripheralMemory(unit, nullptr, b, size, parameter, reserved)
                    : api.Varn_ReadCMC7Signal(unit, nullptr, b, size);
        buffer.resize(size);
        out = {Bytes(std::move(buffer))};
        break;
    }
    case Op::ImageCalibration: {
        const uint16_t unit = r.U16(), mode = r.U16();
        const bool has = r.Flag();
        uint16_t value = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_ImageCalibration(unit, nullptr, mode, has ? &value : nullptr);
        out = {U16(value)};
        break;
    }
    case Op::HistoryCommand: {
        const uint16_t unit = r.U16(), command = r.U16();
        const bool has = r.Flag();
        HistoryRecord record;
        record.Size = r.U16();
        uint32_t* fields[] = {&record.DocumentsProcessed, &record.DocumentsPrinted, &record.DocumentsStamped,
                              &record.DocumentsRetained,  &record.FeederJams,       &record.MicrReadErrors,
                              &record.E13bReadErrors,     &record.PowerOns,         &record.WorkTime};
        for (uint32_t* f : fields)
            *f = r.U32();
        if (!r.Ok())
            return std::nullopt;
        code = api.Varn_HistoryCommand(unit, nullptr, command, has ? &record : nullptr);
        out.push_back(U16(record.Size));
        for (uint32_t* f : fields)
            out.push_back(U32(*f));
        break;
    }
    case Op::ReadPhotosValue: {
        const uint16_t unit = r.U16();
        const bool has = r.Flag();
        const int32_t reserved = r.I32();
        if (!r.Ok())
            return std::nullopt;
        std::array<uint8_t, 8> values{};
        code = api.VnReadPhotosValue(unit, nullptr, has ? values.data() : nullptr, reserved);
        out = {Bytes(values.data(), values.size())};
        break;
    }
    case Op::EepromCommand: {
        const uint16_t unit = r.U16(), command = r.U16(), offset = r.U16();
        const int16_t count = static_cast<int16_t>(r.U16());
        std::vector<uint8_t> buffer;
        const bool has = r.Bytes(&buffer);
        if (!r.Ok() || (has && buffer.size() != static_cast<size_t>(std::max<int16_t>(count, 0))))
            return std::nullopt;
        buffer.resize(std::max<size_t>(buffer.size(), 1));
        code = api.VnEEPROMCommand(unit, nullptr, command, offset, count, has ? buffer.data() : nullptr);
        buffer.resize(static_cast<size_t>(std::max<int16_t>(count, 0)));
        out = {Bytes(std::move(buffer))};
        break;
    }
    case Op::Beep:
    case Op::Led: {
        const uint16_t unit = r.U16(), value = r.U16(), on = r.U16(), off = r.U16();
        if (!r.Ok())
            return std::nullopt;
        code = static_cast<Op>(request.Operation) == Op::Beep ? api.VnBeep(unit, nullptr, value, on, off)
                                                              : api.VnLED(unit, nullptr, value, on, off);
        break;
    }
    default:
        code = VnReplyCommandNotSupported;
        break;
    }
    reply.Code = code;
    return reply;
}

} // namespace box
