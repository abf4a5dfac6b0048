#include "box/BoxClientApi.h"

#include <algorithm>
#include <cstring>

namespace box {

std::chrono::milliseconds ConnectTimeout(double timeScale)
{
    return std::chrono::milliseconds(1000 + static_cast<int64_t>(4000 * std::max(timeScale, 0.0)));
}

// The longest wait the unit itself makes is a badge read (10 simulated
// seconds by default) or a long beep; two minutes of simulated time covers both.
std::chrono::milliseconds OperationTimeout(double timeScale)
{
    return std::chrono::milliseconds(15000 + static_cast<int64_t>(120000 * std::max(timeScale, 0.0)));
}

namespace {

void PutText(char* out, size_t capacity, const std::vector<uint8_t>& text)
{
    if (!out || capacity == 0)
        return;
    const size_t n = std::min(text.size(), capacity - 1);
    if (n)
        std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void PutBytes(uint8_t* out, size_t capacity, const std::vector<uint8_t>& bytes)
{
    if (out && !bytes.empty())
        std::memcpy(out, bytes.data(), std::min(capacity, bytes.size()));
}

// The first length characters of a printer text, as the unit reads them.
Value PrintText(const char* text, uint16_t length)
{
    return text ? Bytes(reinterpret_cast<const uint8_t*>(text), strnlen(text, length)) : None();
}

ImageHandle ToImage(std::vector<uint8_t> bytes) { return std::make_unique<PackedBitmap>(std::move(bytes)); }

uint8_t Bit(const void* p, int bit) { return p ? static_cast<uint8_t>(1u << bit) : 0; }

} // namespace

bool BoxClientApi::Remote() { return BoxOpen; }

int32_t BoxClientApi::CallBeside(const Frame& request, Frame* reply)
{
    std::string host;
    uint16_t port = 0;
    uint32_t token = 0;
    {
        std::lock_guard lock(AddressMutex);
        host = Host;
        port = Port;
        token = Token;
    }
    std::unique_ptr<BoxConnection> beside;
    if (BoxConnection::Connect(host, port, ConnectTimeout(TimeScale), token, &beside) != ConnectOutcome::Connected)
        return VnReplyDisconnected;
    Frame received;
    if (!beside->Exchange(request, &received, OperationTimeout(TimeScale)))
        return VnReplyDisconnected;
    if (reply)
        *reply = received;
    return received.Code;
}

int32_t BoxClientApi::Call(Op op, std::vector<Value> arguments, Frame* reply)
{
    Frame request;
    request.Operation = static_cast<uint16_t>(op);
    request.Values = std::move(arguments);
    std::unique_lock lock(Mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (!BoxOpen)
            lock.lock();
        else
            return CallBeside(request, reply);
    }
    if (!Connection)
        return VnReplyDisconnected;
    Frame received;
    if (!Connection->Exchange(std::move(request), &received, OperationTimeout(TimeScale))) {
        Connection.reset();
        Broken = true;
        return VnReplyDisconnected;
    }
    const int32_t code = received.Code;
    if (reply)
        *reply = std::move(received);
    return code;
}

// ---- Connection ------------------------------------------------------------

int32_t BoxClientApi::OpenBox(bool viaConnect, uint16_t* unitHandle)
{
    if (!unitHandle)
        return VnReplyInvalidCommand;
    {
        std::lock_guard lock(Mutex);
        if (!Connection) {
            std::string host;
            uint16_t port = 0;
            {
                std::lock_guard address(AddressMutex);
                host = Host;
                port = Port;
            }
            if (host.empty())
                return Broken ? VnReplyConnectionFailed : VnReplyBoxNotFound;
            uint32_t token = 0;
            const ConnectOutcome outcome =
                BoxConnection::Connect(host, port, ConnectTimeout(TimeScale), 0, &Connection, &token);
            {
                std::lock_guard address(AddressMutex);
                Token = token;
            }
            switch (outcome) {
            case ConnectOutcome::Connected:
                Broken = false;
                break;
            case ConnectOutcome::Busy:
                return VnReplyNetBusy;
            case ConnectOutcome::NoAnswer:
                return Broken ? VnReplyConnectionFailed : VnReplyBoxNotFound;
            }
        }
    }
    Frame reply;
    const int32_t code = Call(Op::Open, {U8(viaConnect ? 1 : 0)}, &reply);
    ValueReader r(reply.Values);
    const uint16_t handle = r.U16();
    std::lock_guard lock(Mutex);
    if (code == VnReplyOk || code == VnReplyAlreadyConnected) {
        if (r.Ok())
            *unitHandle = handle;
        BoxOpen = true;
    } else {
        Connection.reset(); // the box is free for others again
    }
    return code;
}

int32_t BoxClientApi::Varn_Open(VnWindow window, VnInstance instance, uint16_t connectionType, uint16_t* unitHandle)
{
    if (connectionType == VnConnectionNetworkBox)
        return OpenBox(false, unitHandle);
    return Local->Varn_Open(window, instance, connectionType, unitHandle);
}

int32_t BoxClientApi::VnConnect(VnWindow window, VnInstance instance, uint16_t connectionType, uint16_t* unitHandle)
{
    if (connectionType == VnConnectionNetworkBox)
        return OpenBox(true, unitHandle);
    return Local->VnConnect(window, instance, connectionType, unitHandle);
}

int32_t BoxClientApi::VnDisconnect(uint16_t unit, VnWindow window)
{
    if (!Remote())
        return Local->VnDisconnect(unit, window);
    const int32_t code = Call(Op::Disconnect, {U16(unit)});
    std::lock_guard lock(Mutex);
    BoxOpen = false;
    Connection.reset();
    return code;
}

int32_t BoxClientApi::RecordAddress(int32_t code, uint16_t connectionType, const char* host, uint16_t port)
{
    if (code == VnReplyOk && connectionType == VnConnectionNetworkBox) {
        std::lock_guard lock(AddressMutex);
        Host = host ? host : "";
        Port = port ? port : DefaultBoxPort;
    }
    return code;
}

int32_t BoxClientApi::Vn_SetIPAddress(uint16_t connectionType, const char* ipAddress, uint16_t port)
{
    return RecordAddress(Local->Vn_SetIPAddress(connectionType, ipAddress, port), connectionType, ipAddress, port);
}

int32_t BoxClientApi::VnSetNetworkNodeName(uint16_t connectionType, const char* nodeName, uint16_t port)
{
    // Node names go to the system resolver when the box is opened.
    return RecordAddress(Local->VnSetNetworkNodeName(connectionType, nodeName, port), connectionType, nodeName, port);
}

int32_t BoxClientApi::Varn_Identify(uint16_t unit, VnWindow window, uint8_t* featureBytes, char* deviceModel,
                                    char* firmwareVersion, char* releaseDate, char* internalNumber,
                                    uint8_t* boardInfo, void* reserved, char* printerFirmware, int32_t arg11,
                                    int32_t arg12, int32_t arg13, int32_t arg14, int32_t arg15)
{
    if (!Remote())
        return Local->Varn_Identify(unit, window, featureBytes, deviceModel, firmwareVersion, releaseDate,
                                    internalNumber, boardInfo, reserved, printerFirmware, arg11, arg12, arg13, arg14,
                                    arg15);
    const uint8_t mask = Bit(featureBytes, 0) | Bit(deviceModel, 1) | Bit(firmwareVersion, 2) | Bit(releaseDate, 3) |
                         Bit(internalNumber, 4) | Bit(boardInfo, 5) | Bit(printerFirmware, 6);
    Frame reply;
    const int32_t code = Call(Op::Identify, {U16(unit), U8(mask)}, &reply);
    ValueReader r(reply.Values);
    std::vector<uint8_t> features, model, firmware, release, internal, board, printer;
    r.Bytes(&features), r.Bytes(&model), r.Bytes(&firmware), r.Bytes(&release), r.Bytes(&internal),
        r.Bytes(&board), r.Bytes(&printer);
    if (r.Ok()) {
        PutBytes(featureBytes, VnFeatureBytesSize, features);
        PutText(deviceModel, VnIdentifyTextSize, model);
        PutText(firmwareVersion, VnIdentifyTextSize, firmware);
        PutText(releaseDate, VnIdentifyTextSize, release);
        PutText(internalNumber, VnIdentifyTextSize, internal);
        PutBytes(boardInfo, 2, board);
        PutText(printerFirmware, VnPrinterFirmwareSize, printer);
    }
    return code;
}

int32_t BoxClientApi::Varn_PeripheralStatus(uint16_t unit, VnWindow window, uint8_t* senseKey, uint8_t* sensorStatus)
{
    if (!Remote())
        return Local->Varn_PeripheralStatus(unit, window, senseKey, sensorStatus);
    Frame reply;
    const int32_t code = Call(Op::PeripheralStatus, {U16(unit), U8(senseKey != nullptr), U8(sensorStatus != nullptr)},
                              &reply);
    ValueReader r(reply.Values);
    const uint8_t sense = r.U8();
    std::vector<uint8_t> sensor;
    r.Bytes(&sensor);
    if (r.Ok()) {
        if (senseKey)
            *senseKey = sense;
        PutBytes(sensorStatus, VnSensorBytesSize, sensor);
    }
    return code;
}

int32_t BoxClientApi::Varn_Reset(uint16_t unit, VnWindow window, char resetType)
{
    if (!Remote())
        return Local->Varn_Reset(unit, window, resetType);
    return Call(Op::Reset, {U16(unit), U8(static_cast<uint8_t>(resetType))});
}

// ---- Documents -------------------------------------------------------------

int32_t BoxClientApi::Varn_DocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printMode,
                                     uint16_t codelineRequest, char side, uint16_t scanMode, uint16_t feedOrRelease,
                                     uint16_t destination, char waitLetter, uint16_t beepOnError, void* reserved,
                                     uint16_t scanCard, int32_t reserved2)
{
    if (!Remote())
        return Local->Varn_DocHandle(unit, window, frontStamp, printMode, codelineRequest, side, scanMode,
                                     feedOrRelease, destination, waitLetter, beepOnError, reserved, scanCard,
                                     reserved2);
    return Call(Op::DocHandle, {U16(unit), U16(frontStamp), U16(printMode), U16(codelineRequest),
                                U8(static_cast<uint8_t>(side)), U16(scanMode), U16(feedOrRelease), U16(destination),
                                U8(static_cast<uint8_t>(waitLetter)), U16(beepOnError), U16(scanCard),
                                I32(reserved2)});
}

int32_t BoxClientApi::Varn_ReadCodeline(uint16_t unit, VnWindow window, char* codeline, uint16_t* length,
                                        void* reserved1, void* reserved2, void* reserved3, void* reserved4)
{
    if (!Remote())
        return Local->Varn_ReadCodeline(unit, window, codeline, length, reserved1, reserved2, reserved3, reserved4);
    const uint16_t capacity = length ? *length : 0;
    Frame reply;
    const int32_t code = Call(
        Op::ReadCodeline, {U16(unit), U8(codeline != nullptr), U8(length != nullptr), U16(capacity)}, &reply);
    ValueReader r(reply.Values);
    std::vector<uint8_t> text;
    r.Bytes(&text);
    const uint16_t delivered = r.U16();
    if (r.Ok() && code >= 0 && length) {
        PutText(codeline, capacity, text);
        *length = delivered;
    }
    return code;
}

int32_t BoxClientApi::Varn_ReadImage(uint16_t unit, VnWindow window, uint16_t clearImage, char side,
                                     uint16_t reserved1, int32_t reserved2, ImageHandle* front, ImageHandle* back,
                                     void* reserved3, void* reserved4)
{
    if (!Remote())
        return Local->Varn_ReadImage(unit, window, clearImage, side, reserved1, reserved2, front, back, reserved3,
                                     reserved4);
    Frame reply;
    const int32_t code =
        Call(Op::ReadImage,
             {U16(unit), U16(clearImage), U8(static_cast<uint8_t>(side)), U16(reserved1), I32(reserved2),
              U8(front != nullptr), U8(back != nullptr)},
             &reply);
    ValueReader r(reply.Values);
    std::vector<uint8_t> frontBytes, backBytes;
    const bool hasFront = r.Bytes(&frontBytes), hasBack = r.Bytes(&backBytes);
    if (r.Ok()) {
        if (front && hasFront)
            *front = ToImage(std::move(frontBytes));
        if (back && hasBack)
            *back = ToImage(std::move(backBytes));
    }
    return code;
}

int32_t BoxClientApi::Varn_LoadString(uint16_t unit, VnWindow window, char fontLetter, uint16_t length,
                                      const char* text)
{
    if (!Remote())
        return Local->Varn_LoadString(unit, window, fontLetter, length, text);
    return Call(Op::LoadString, {U16(unit), U8(static_cast<uint8_t>(fontLetter)), U16(length), PrintText(text, length)});
}

int32_t BoxClientApi::Varn_LoadStringWithCounter(uint16_t unit, VnWindow window, char fontLetter, const char* text,
                                                 uint16_t length, int32_t counterStart, uint16_t counterDigits)
{
    if (!Remote())
        return Local->Varn_LoadStringWithCounter(unit, window, fontLetter, text, length, counterStart, counterDigits);
    return Call(Op::LoadStringWithCounter, {U16(unit), U8(static_cast<uint8_t>(fontLetter)), PrintText(text, length),
                                            U16(length), I32(counterStart), U16(counterDigits)});
}

int32_t BoxClientApi::Varn_LoadDigitalString(uint16_t unit, VnWindow window, char side, const char* text,
                                             uint16_t length, int32_t arg6, int32_t arg7, const char* fontName,
                                             int32_t fontSize, int32_t bold, int32_t italic, int32_t underline,
                                             int32_t grayTone, uint16_t inch, float x, float y)
{
    if (!Remote())
        return Local->Varn_LoadDigitalString(unit, window, side, text, length, arg6, arg7, fontName, fontSize, bold,
                                             italic, underline, grayTone, inch, x, y);
    return Call(Op::LoadDigitalString,
                {U16(unit), U8(static_cast<uint8_t>(side)), PrintText(text, length), U16(length), I32(arg6),
                 I32(arg7), Text(fontName), I32(fontSize), I32(bold), I32(italic), I32(underline), I32(grayTone),
                 U16(inch), F32(x), F32(y)});
}

int32_t BoxClientApi::Varn_AutoDocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printFlag,
                                         uint16_t codelineType, uint16_t scanMode, uint16_t arg7, uint16_t arg8,
                                         uint16_t documentCount, uint16_t clearImage, char side, uint16_t arg12,
                                         uint16_t saveImageMode, const char* imagesFolder, const char* baseName,
                                         float windowX, float windowY, float windowWidth, float windowHeight,
                                         uint16_t unitCode, uint16_t arg21, uint16_t saveImageFormat,
                                         int32_t jpegQuality, int32_t arg24, int32_t arg25, char waitLetter,
                                         uint16_t beepOnError, void* reserved1, void* reserved2, void* reserved3)
{
    if (!Remote())
        return Local->Varn_AutoDocHandle(unit, window, frontStamp, printFlag, codelineType, scanMode, arg7, arg8,
                                         documentCount, clearImage, side, arg12, saveImageMode, imagesFolder,
                                         baseName, windowX, windowY, windowWidth, windowHeight, unitCode, arg21,
                                         saveImageFormat, jpegQuality, arg24, arg25, waitLetter, beepOnError,
                                         reserved1, reserved2, reserved3);
    return Call(Op::AutoDocHandle,
                {U16(unit),          U16(frontStamp),    U16(printFlag),       U16(codelineType),
                 U16(scanMode),      U16(arg7),          U16(arg8),            U16(documentCount),
                 U16(clearImage),    U8(static_cast<uint8_t>(side)),           U16(arg12),
                 U16(saveImageMode), Text(imagesFolder), Text(baseName),       F32(windowX),
                 F32(windowY),       F32(windowWidth),   F32(windowHeight),    U16(unitCode),
                 U16(arg21),         U16(saveImageFormat), I32(jpegQuality),   I32(arg24),
                 I32(arg25),         U8(static_cast<uint8_t>(waitLetter)),     U16(beepOnError)});
}

int32_t BoxClientApi::Varn_GetDocData(uint16_t unit, VnWindow window, uint32_t* documentNumber, char* frontFileName,
                                      char* backFileName, void* reserved1, void* reserved2, ImageHandle* front,
                                      ImageHandle* back, void* reserved3, void* reserved4, char* opticalCodeline,
                                      char* micrCodeline, char* barcode, void* reserved5, int32_t* extra,
                                      void* reserved6, void* reserved7, void* reserved8)
{
    if (!Remote())
        return Local->Varn_GetDocData(unit, window, documentNumber, frontFileName, backFileName, reserved1,
                                      reserved2, front, back, reserved3, reserved4, opticalCodeline, micrCodeline,
                                      barcode, reserved5, extra, reserved6, reserved7, reserved8);
    const uint16_t mask = static_cast<uint16_t>(Bit(documentNumber, 0) | Bit(frontFileName, 1) |
                                                Bit(backFileName, 2) | Bit(front, 3) | Bit(back, 4) |
                                                Bit(opticalCodeline, 5) | Bit(micrCodeline, 6) | Bit(barcode, 7)) |
                          (extra ? 0x100 : 0);
    Frame reply;
    const int32_t code = Call(Op::GetDocData, {U16(unit), U16(mask)}, &reply);
    ValueReader r(reply.Values);
    const uint32_t number = r.U32();
    std::vector<uint8_t> frontName, backName, frontBytes, backBytes, optical, micr, code39;
    r.Bytes(&frontName), r.Bytes(&backName);
    const bool hasFront = r.Bytes(&frontBytes), hasBack = r.Bytes(&backBytes);
    r.Bytes(&optical), r.Bytes(&micr), r.Bytes(&code39);
    const int32_t left = r.I32();
    if (!r.Ok())
        return code;
    if (documentNumber)
        *documentNumber = number;
    PutText(frontFileName, VnFileNameSize, frontName);
    PutText(backFileName, VnFileNameSize, backName);
    // The unit hands over whatever it holds, nothing included.
    if (front)
        *front = hasFront ? ToImage(std::move(frontBytes)) : nullptr;
    if (back)
        *back = hasBack ? ToImage(std::move(backBytes)) : nullptr;
    PutText(opticalCodeline, VnCodelineSize, optical);
    PutText(micrCodeline, VnCodelineSize, micr);
    PutText(barcode, VnCodelineSize, code39);
    if (extra)
        *extra = left;
    return code;
}

int32_t BoxClientApi::Varn_SetAutoDocOptions(uint16_t unit, VnWindow window, const AutoDocOptions* options)
{
    if (!Remote())
        return Local->Varn_SetAutoDocOptions(unit, window, options);
    const AutoDocOptions o = options ? *options : AutoDocOptions{};
    return Call(Op::SetAutoDocOptions, {U16(unit), U8(options != nullptr), I32(o.Reserved), I32(o.StopOnCodelineError)});
}

int32_t BoxClientApi::Varn_ReadBadge(uint16_t unit, VnWindow window, uint8_t tracks, uint16_t size, char* data,
                                     uint16_t* length)
{
    if (!Remote())
        return Local->Varn_ReadBadge(unit, window, tracks, size, data, length);
    Frame reply;
    const int32_t code = Call(Op::ReadBadge,
                              {U16(unit), U8(tracks), U16(size), U8(data != nullptr), U8(length != nullptr),
                               U16(length ? *length : 0)},
                              &reply);
    ValueReader r(reply.Values);
    std::vector<uint8_t> text;
    r.Bytes(&text);
    const uint16_t delivered = r.U16();
    if (r.Ok() && (code == VnReplyOk || code == VnReplyDataLost)) {
        PutText(data, length ? std::min(size, *length) : size, text);
        if (length)
            *length = delivered;
    }
    return code;
}

// ---- Signals and calibration -----------------------------------------------

namespace {

// Samples into a caller's buffer whose capacity *length gives.
int32_t TakeSamples(int32_t code, const Frame& reply, uint8_t* samples, uint32_t* length)
{
    ValueReader r(reply.Values);
    std::vector<uint8_t> bytes;
    r.Bytes(&bytes);
    const uint32_t delivered = r.U32();
    if (r.Ok() && length) {
        PutBytes(samples, *length, bytes);
        *length = std::min(delivered, *length);
    }
    return code;
}

// A caller-sized buffer the box filled.
int32_t TakeBuffer(int32_t code, const Frame& reply, uint8_t* buffer, size_t size)
{
    ValueReader r(reply.Values);
    std::vector<uint8_t> bytes;
    r.Bytes(&bytes);
    if (r.Ok())
        PutBytes(buffer, size, bytes);
    return code;
}

} // namespace

int32_t BoxClientApi::Varn_ReadE13BSignal(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length)
{
    if (!Remote())
        return Local->Varn_ReadE13BSignal(unit, window, samples, length);
    Frame reply;
    const int32_t code = Call(Op::ReadE13BSignal,
                              {U16(unit), U8(samples != nullptr), U8(length != nullptr), U32(length ? *length : 0)},
                              &reply);
    return TakeSamples(code, reply, samples, length);
}

int32_t BoxClientApi::VnTestCinghia(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length)
{
    if (!Remote())
        return Local->VnTestCinghia(unit, window, samples, length);
    Frame reply;
    const int32_t code = Call(Op::TestCinghia,
                              {U16(unit), U8(samples != nullptr), U8(length != nullptr), U32(length ? *length : 0)},
                              &reply);
    return TakeSamples(code, reply, samples, length);
}

int32_t BoxClientApi::Varn_SetTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t value)
{
    if (!Remote())
        return Local->Varn_SetTrimmerMICR(unit, window, reserved, value);
    return Call(Op::SetTrimmerMicr, {U16(unit), U16(reserved), U8(value)});
}

int32_t BoxClientApi::Varn_ReadTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t* buffer,
                                           uint16_t size)
{
    if (!Remote())
        return Local->Varn_ReadTrimmerMICR(unit, window, reserved, buffer, size);
    Frame reply;
    const int32_t code = Call(Op::ReadTrimmerMicr, {U16(unit), U16(reserved), U8(buffer != nullptr), U16(size)}, &reply);
    return TakeBuffer(code, reply, buffer, size);
}

int32_t BoxClientApi::Varn_ReadTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t* value,
                                              uint16_t size)
{
    if (!Remote())
        return Local->Varn_ReadTimeSampleMICR(unit, window, reserved, value, size);
    Frame reply;
    const int32_t code =
        Call(Op::ReadTimeSampleMicr, {U16(unit), U16(reserved), U8(value != nullptr), U16(size)}, &reply);
    ValueReader r(reply.Values);
    const uint16_t v = r.U16();
    if (r.Ok() && value && code == VnReplyOk)
        *value = v;
    return code;
}

int32_t BoxClientApi::Varn_SetTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t value)
{
    if (!Remote())
        return Local->Varn_SetTimeSampleMICR(unit, window, reserved, value);
    return Call(Op::SetTimeSampleMicr, {U16(unit), U16(reserved), U16(value)});
}

int32_t BoxClientApi::Varn_ScannerCalibration(uint16_t unit, VnWindow window, uint16_t side)
{
    if (!Remote())
        return Local->Varn_ScannerCalibration(unit, window, side);
    return Call(Op::ScannerCalibration, {U16(unit), U16(side)});
}

int32_t BoxClientApi::Varn_PhotosCalibration(uint16_t unit, VnWindow window, uint16_t reserved)
{
    if (!Remote())
        return Local->Varn_PhotosCalibration(unit, window, reserved);
    return Call(Op::PhotosCalibration, {U16(unit), U16(reserved)});
}

int32_t BoxClientApi::Varn_SetConfiguration(uint16_t unit, VnWindow window, const uint8_t* block)
{
    if (!Remote())
        return Local->Varn_SetConfiguration(unit, window, block);
    return Call(Op::SetConfiguration, {U16(unit), block ? Bytes(block, VnFeatureBytesSize) : None()});
}

int32_t BoxClientApi::Varn_ReadCodelineMicrOcr(uint16_t unit, VnWindow window, char* micrCodeline,
                                               uint16_t* micrLength, char* ocrCodeline, uint16_t* ocrLength)
{
    if (!Remote())
        return Local->Varn_ReadCodelineMicrOcr(unit, window, micrCodeline, micrLength, ocrCodeline, ocrLength);
    const uint8_t mask = Bit(micrCodeline, 0) | Bit(micrLength, 1) | Bit(ocrCodeline, 2) | Bit(ocrLength, 3);
    const uint16_t micrCapacity = micrLength ? *micrLength : 0, ocrCapacity = ocrLength ? *ocrLength : 0;
    Frame reply;
    const int32_t code =
        Call(Op::ReadCodelineMicrOcr, {U16(unit), U8(mask), U16(micrCapacity), U16(ocrCapacity)}, &reply);
    ValueReader r(reply.Values);
    std::vector<uint8_t> micr, ocr;
    r.Bytes(&micr);
    const uint16_t micrDelivered = r.U16();
    r.Bytes(&ocr);
    const uint16_t ocrDelivered = r.U16();
    if (r.Ok() && code >= 0 && micrLength && ocrLength) {
        PutText(micrCodeline, micrCapacity, micr);
        PutText(ocrCodeline, ocrCapacity, ocr);
        *micrLength = micrDelivered;
        *ocrLength = ocrDelivered;
    }
    return code;
}

int32_t BoxClientApi::Varn_ReadCMC7Signal(uint16_t unit, VnWindow window, uint8_t* data, uint32_t size)
{
    if (!Remote())
        return Local->Varn_ReadCMC7Signal(unit, window, data, size);
    Frame reply;
    const int32_t code = Call(Op::ReadCmc7Signal, {U16(unit), U8(data != nullptr), U32(size)}, &reply);
    return TakeBuffer(code, reply, data, size);
}

int32_t BoxClientApi::Varn_ImageCalibration(uint16_t unit, VnWindow window, uint16_t mode, uint16_t* value)
{
    if (!Remote())
        return Local->Varn_ImageCalibration(unit, window, mode, value);
    Frame reply;
    const int32_t code =
        Call(Op::ImageCalibration, {U16(unit), U16(mode), U8(value != nullptr), U16(value ? *value : 0)}, &reply);
    ValueReader r(reply.Values);
    const uint16_t v = r.U16();
    if (r.Ok() && value)
        *value = v;
    return code;
}

// ---- Maintenance -------------------------------------------------------------

int32_t BoxClientApi::Varn_DumpPeripheralMemory(uint16_t unit, VnWindow window, uint8_t* buffer, uint32_t size,
                                                uint32_t parameter, uint8_t reserved)
{
    if (!Remote())
        return Local->Varn_DumpPeripheralMemory(unit, window, buffer, size, parameter, reserved);
    Frame reply;
    const int32_t code = Call(Op::DumpPeripheralMemory,
                              {U16(unit), U8(buffer != nullptr), U32(size), U32(parameter), U8(reserved)}, &reply);
    return TakeBuffer(code, reply, buffer, size);
}

int32_t BoxClientApi::Varn_HistoryCommand(uint16_t unit, VnWindow window, uint16_t command, HistoryRecord* record)
{
    if (!Remote())
        return Local->Varn_HistoryCommand(unit, window, command, record);
    HistoryRecord in = record ? *record : HistoryRecord{};
    uint32_t* fields[] = {&in.DocumentsProcessed, &in.DocumentsPrinted, &in.DocumentsStamped,
                          &in.DocumentsRetained,  &in.FeederJams,       &in.MicrReadErrors,
                          &in.E13bReadErrors,     &in.PowerOns,         &in.WorkTime};
    std::vector<Value> arguments{U16(unit), U16(command), U8(record != nullptr), U16(in.Size)};
    for (uint32_t* f : fields)
        arguments.push_back(U32(*f));
    Frame reply;
    const int32_t code = Call(Op::HistoryCommand, std::move(arguments), &reply);
    ValueReader r(reply.Values);
    in.Size = r.U16();
    for (uint32_t* f : fields)
        *f = r.U32();
    if (r.Ok() && record)
        *record = in;
    return code;
}

int32_t BoxClientApi::VnReadPhotosValue(uint16_t unit, VnWindow window, uint8_t* values, int32_t reserved)
{
    if (!Remote())
        return Local->VnReadPhotosValue(unit, window, values, reserved);
    Frame reply;
    const int32_t code = Call(Op::ReadPhotosValue, {U16(unit), U8(values != nullptr), I32(reserved)}, &reply);
    return TakeBuffer(code, reply, values, 8);
}

int32_t BoxClientApi::VnEEPROMCommand(uint16_t unit, VnWindow window, uint16_t command, uint16_t offset,
                                      int16_t count, uint8_t* buffer)
{
    if (!Remote())
        return Local->VnEEPROMCommand(unit, window, command, offset, count, buffer);
    const size_t size = static_cast<size_t>(std::max<int16_t>(count, 0));
    Frame reply;
    const int32_t code = Call(Op::EepromCommand,
                              {U16(unit), U16(command), U16(offset), U16(static_cast<uint16_t>(count)),
                               buffer ? Bytes(buffer, size) : None()},
                              &reply);
    return TakeBuffer(code, reply, buffer, size);
}

int32_t BoxClientApi::VnBeep(uint16_t unit, VnWindow window, uint16_t count, uint16_t timeOn, uint16_t timeOff)
{
    if (!Remote())
        return Local->VnBeep(unit, window, count, timeOn, timeOff);
    return Call(Op::Beep, {U16(unit), U16(count), U16(timeOn), U16(timeOff)});
}

int32_t BoxClientApi::VnLED(uint16_t unit, VnWindow window, uint16_t color, uint16_t timeOn, uint16_t timeOff)
{
    if (!Remote())
        return Local->VnLED(unit, window, color, timeOn, timeOff);
    return Call(Op::Led, {U16(unit), U16(color), U16(timeOn), U16(timeOff)});
}

} // namespace box
