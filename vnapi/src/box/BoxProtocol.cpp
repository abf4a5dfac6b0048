#include "box/BoxProtocol.h"

#include <cstring>

#include "vnapi/ByteOrder.h"

namespace box {

Value None() { return {}; }
Value U8(uint8_t v) { return {Tag::U8, v, {}}; }
Value U16(uint16_t v) { return {Tag::U16, v, {}}; }
Value I32(int32_t v) { return {Tag::I32, static_cast<uint32_t>(v), {}}; }
Value U32(uint32_t v) { return {Tag::U32, v, {}}; }
Value F32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return {Tag::F32, bits, {}};
}
Value Bytes(std::vector<uint8_t> v) { return {Tag::Bytes, 0, std::move(v)}; }
Value Bytes(const uint8_t* data, size_t size) { return Bytes(std::vector<uint8_t>(data, data + size)); }
Value Text(const char* text)
{
    if (!text)
        return None();
    return Bytes(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

std::string_view DecodeErrorText(DecodeError error)
{
    switch (error) {
    case DecodeError::None: return "none";
    case DecodeError::TooLong: return "length past the limit";
    case DecodeError::Truncated: return "truncated frame";
    case DecodeError::BadVersion: return "unknown protocol version";
    case DecodeError::BadKind: return "unknown frame kind";
    case DecodeError::BadTag: return "unknown value tag";
    case DecodeError::TooManyValues: return "too many values";
    case DecodeError::TrailingBytes: return "bytes after the last value";
    }
    return "?";
}

namespace {

size_t NumberBytes(Tag tag)
{
    switch (tag) {
    case Tag::U8: return 1;
    case Tag::U16: return 2;
    case Tag::I32:
    case Tag::U32:
    case Tag::F32: return 4;
    default: return 0;
    }
}

} // namespace

std::vector<uint8_t> EncodeFrame(const Frame& frame)
{
    size_t size = LengthPrefixBytes + BodyHeaderBytes;
    for (const Value& v : frame.Values)
        size += 1 + (v.Kind == Tag::Bytes ? 4 + v.Data.size() : NumberBytes(v.Kind));
    std::vector<uint8_t> out(size);
    uint8_t* p = out.data();
    le::WriteU32(p, static_cast<uint32_t>(size - LengthPrefixBytes));
    p += 4;
    *p++ = ProtocolVersion;
    *p++ = static_cast<uint8_t>(frame.Kind);
    le::WriteU16(p, frame.Operation);
    le::WriteU32(p + 2, frame.Sequence);
    le::WriteI32(p + 6, frame.Code);
    le::WriteU16(p + 10, static_cast<uint16_t>(frame.Values.size()));
    p += 12;
    for (const Value& v : frame.Values) {
        *p++ = static_cast<uint8_t>(v.Kind);
        switch (v.Kind) {
        case Tag::U8: *p++ = static_cast<uint8_t>(v.Bits); break;
        case Tag::U16: le::WriteU16(p, static_cast<uint16_t>(v.Bits)); p += 2; break;
        case Tag::I32:
        case Tag::U32:
        case Tag::F32: le::WriteU32(p, v.Bits); p += 4; break;
        case Tag::Bytes:
            le::WriteU32(p, static_cast<uint32_t>(v.Data.size()));
            p += 4;
            if (!v.Data.empty())
                std::memcpy(p, v.Data.data(), v.Data.size());
            p += v.Data.size();
            break;
        case Tag::None: break;
        }
    }
    return out;
}

DecodeError DecodeLength(const uint8_t* prefix, uint32_t* bodyLength)
{
    const uint32_t length = le::ReadU32(prefix);
    if (length > MaxBodyBytes)
        return DecodeError::TooLong;
    if (length < BodyHeaderBytes)
        return DecodeError::Truncated;
    *bodyLength = length;
    return DecodeError::None;
}

DecodeError DecodeBody(const uint8_t* body, size_t size, Frame* frame)
{
    if (size > MaxBodyBytes)
        return DecodeError::TooLong;
    if (size < BodyHeaderBytes)
        return DecodeError::Truncated;
    if (body[0] != ProtocolVersion)
        return DecodeError::BadVersion;
    if (body[1] != static_cast<uint8_t>(FrameKind::Request) && body[1] != static_cast<uint8_t>(FrameKind::Reply))
        return DecodeError::BadKind;
    Frame f;
    f.Kind = static_cast<FrameKind>(body[1]);
    f.Operation = le::ReadU16(body + 2);
    f.Sequence = le::ReadU32(body + 4);
    f.Code = le::ReadI32(body + 8);
    const uint16_t count = le::ReadU16(body + 12);
    if (count > MaxValues)
        return DecodeError::TooManyValues;
    size_t at = BodyHeaderBytes;
    f.Values.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        if (at >= size)
            return DecodeError::Truncated;
        const uint8_t tag = body[at++];
        if (tag > static_cast<uint8_t>(Tag::Last))
            return DecodeError::BadTag;
        Value v;
        v.Kind = static_cast<Tag>(tag);
        if (v.Kind == Tag::Bytes) {
            if (size - at < 4)
                return DecodeError::Truncated;
            const uint32_t length = le::ReadU32(body + at);
            at += 4;
            if (size - at < length)
                return DecodeError::Truncated;
            v.Data.assign(body + at, body + at + length);
            at += length;
        } else {
            const size_t n = NumberBytes(v.Kind);
            if (size - at < n)
                return DecodeError::Truncated;
            if (n == 1)
                v.Bits = body[at];
            else if (n == 2)
                v.Bits = le::ReadU16(body + at);
            else if (n == 4)
                v.Bits = le::ReadU32(body + at);
            at += n;
        }
        f.Values.push_back(std::move(v));
    }
    if (at != size)
        return DecodeError::TrailingBytes;
    *frame = std::move(f);
    return DecodeError::None;
}

DecodeError DecodeFrame(const uint8_t* data, size_t size, Frame* frame)
{
    if (size < LengthPrefixBytes)
        return DecodeError::Truncated;
    uint32_t length = 0;
    if (const DecodeError e = DecodeLength(data, &length); e != DecodeError::None)
        return e;
    if (size - LengthPrefixBytes != length)
        return size - LengthPrefixBytes < length ? DecodeError::Truncated : DecodeError::TrailingBytes;
    return DecodeBody(data + LengthPrefixBytes, length, frame);
}

const Value* ValueReader::Take(Tag tag)
{
    if (Failed || Next >= Values.size() || Values[Next].Kind != tag) {
        Failed = true;
        return nullptr;
    }
    return &Values[Next++];
}

uint8_t ValueReader::U8()
{
    const Value* v = Take(Tag::U8);
    return v ? static_cast<uint8_t>(v->Bits) : 0;
}

uint16_t ValueReader::U16()
{
    const Value* v = Take(Tag::U16);
    return v ? static_cast<uint16_t>(v->Bits) : 0;
}

int32_t ValueReader::I32()
{
    const Value* v = Take(Tag::I32);
    return v ? static_cast<int32_t>(v->Bits) : 0;
}

uint32_t ValueReader::U32()
{
    const Value* v = Take(Tag::U32);
    return v ? v->Bits : 0;
}

float ValueReader::F32()
{
    const Value* v = Take(Tag::F32);
    if (!v)
        return 0.0f;
    float f;
    std::memcpy(&f, &v->Bits, sizeof f);
    return f;
}

bool ValueReader::Bytes(std::vector<uint8_t>* out)
{
    if (!Failed && Next < Values.size() && Values[Next].Kind == Tag::None) {
        ++Next;
        return false;
    }
    const Value* v = Take(Tag::Bytes);
    if (!v)
        return false;
    *out = v->Data;
    return true;
}

} // namespace box
