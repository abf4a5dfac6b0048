// The network box's wire protocol: length-prefixed little-endian frames, one
// request and one reply at a time. Pure code: no sockets here, so that every
// length check can be tested (and fuzzed) on plain bytes.
//
// Frame:   u32 body length, then the body (at most MaxBodyBytes).
// Body:    u8 version, u8 kind (1 request, 2 reply), u16 operation,
//          u32 sequence, i32 reply code (0 in requests), u16 value count,
//          then the values.
// Value:   u8 tag, then by tag: none 0 bytes; u8 1; u16 2; i32, u32, f32 4;
//          bytes u32 length and that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace box {

constexpr uint8_t ProtocolVersion = 1;
constexpr size_t LengthPrefixBytes = 4;
constexpr size_t BodyHeaderBytes = 14;
// Two colour images of a large document fit with room to spare.
constexpr uint32_t MaxBodyBytes = 64u << 20;
constexpr uint16_t MaxValues = 64;

enum class FrameKind : uint8_t { Request = 1, Reply = 2 };

// The operations. Numbers are part of the protocol: append, never renumber.
enum class Op : uint16_t {
    Hello = 1, // the box replies 0, or 11 while another client holds its unit
    Open,
    Disconnect,
    Identify,
    PeripheralStatus,
    Reset,
    DocHandle,
    ReadCodeline,
    ReadImage,
    LoadString,
    LoadStringWithCounter,
    LoadDigitalString,
    AutoDocHandle,
    GetDocData,
    SetAutoDocOptions,
    ReadBadge,
    ReadE13BSignal,
    SetTrimmerMicr,
    ReadTrimmerMicr,
    ReadTimeSampleMicr,
    SetTimeSampleMicr,
    ScannerCalibration,
    PhotosCalibration,
    SetConfiguration,
    ReadCodelineMicrOcr,
    ReadCmc7Signal,
    ImageCalibration,
    DumpPeripheralMemory,
    HistoryCommand,
    ReadPhotosValue,
    EepromCommand,
    Beep,
    Led,
    TestCinghia,
    Last = TestCinghia,
};

enum class Tag : uint8_t { None = 0, U8, U16, I32, U32, F32, Bytes, Last = Bytes };

struct Value {
    Tag Kind = Tag::None;
    uint32_t Bits = 0;         // numbers; f32 as its bit pattern
    std::vector<uint8_t> Data; // bytes

    bool operator==(const Value&) const = default;
};

Value None();
Value U8(uint8_t v);
Value U16(uint16_t v);
Value I32(int32_t v);
Value U32(uint32_t v);
Value F32(float v);
Value Bytes(std::vector<uint8_t> v);
Value Bytes(const uint8_t* data, size_t size);
// A text up to its terminator; a null pointer is None.
Value Text(const char* text);

struct Frame {
    FrameKind Kind = FrameKind::Request;
    uint16_t Operation = 0;
    uint32_t Sequence = 0;
    int32_t Code = 0;
    std::vector<Value> Values;

    bool operator==(const Frame&) const = default;
};

enum class DecodeError {
    None,
    TooLong,       // the length prefix is past MaxBodyBytes
    Truncated,     // a field runs past the body's end
    BadVersion,
    BadKind,
    BadTag,
    TooManyValues,
    TrailingBytes, // bytes left after the last value
};

std::string_view DecodeErrorText(DecodeError error);

// The whole frame, length prefix included. A frame over the limit encodes
// anyway; the receiver refuses it.
std::vector<uint8_t> EncodeFrame(const Frame& frame);

// The body length a prefix announces, or TooLong.
DecodeError DecodeLength(const uint8_t* prefix, uint32_t* bodyLength);
DecodeError DecodeBody(const uint8_t* body, size_t size, Frame* frame);
// A whole frame (prefix and body) that must be exactly size bytes long.
DecodeError DecodeFrame(const uint8_t* data, size_t size, Frame* frame);

// Typed reads of a frame's values in order. A missing value or one of
// another tag sets Failed and reads as zero; check Ok() once at the end.
class ValueReader {
public:
    explicit ValueReader(const std::vector<Value>& values) : Values(values) {}
    // It keeps a reference: a temporary would be gone before the first read.
    explicit ValueReader(std::vector<Value>&&) = delete;

    uint8_t U8();
    uint16_t U16();
    int32_t I32();
    uint32_t U32();
    float F32();
    // Present: true for bytes (copied to *out), false for none.
    bool Bytes(std::vector<uint8_t>* out);
    // A presence flag, sent as u8 0 or 1.
    bool Flag() { return U8() != 0; }
    bool Ok() const { return !Failed && Next == Values.size(); }

private:
    const Value* Take(Tag tag);

    const std::vector<Value>& Values;
    size_t Next = 0;
    bool Failed = false;
};

} // namespace box
