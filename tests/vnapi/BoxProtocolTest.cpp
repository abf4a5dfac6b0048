// The network box's frames: their byte layout, round trips of every value
// kind at its limits, and the refusal of truncated, oversized and garbled
// frames.
#include <gtest/gtest.h>

#include "box/BoxProtocol.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/VnCodes.h"

using namespace box;

namespace {

Frame Sample()
{
    Frame f;
    f.Kind = FrameKind::Request;
    f.Operation = static_cast<uint16_t>(Op::DocHandle);
    f.Sequence = 0x01020304;
    f.Code = -2;
    f.Values = {U16(0x1234), Bytes(std::vector<uint8_t>{0xAA})};
    return f;
}

DecodeError Decode(const std::vector<uint8_t>& bytes, Frame* f = nullptr)
{
    Frame ignored;
    return DecodeFrame(bytes.data(), bytes.size(), f ? f : &ignored);
}

} // namespace

TEST(BoxProtocol, FrameLayoutByteForByte)
{
    const std::vector<uint8_t> expected = {0x17, 0,    0,    0,                         // body length 23
                                           1,    1,    7,    0,                         // version, request, op 7
                                           0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, // sequence, code -2
                                           2,    0,                                     // two values
                                           2,    0x34, 0x12,                            // u16
                                           6,    1,    0,    0,    0,    0xAA};         // one byte
    EXPECT_EQ(EncodeFrame(Sample()), expected);
}

TEST(BoxProtocol, EveryValueKindRoundTripsAtItsLimits)
{
    const std::vector<std::vector<Value>> cases = {
        {},
        {None()},
        {U8(0), U8(255)},
        {U16(0), U16(0xFFFF)},
        {I32(INT32_MIN), I32(-1), I32(INT32_MAX)},
        {U32(0), U32(0xFFFFFFFF)},
        {F32(-0.0f), F32(150.5f), F32(1e-38f)},
        {Bytes(std::vector<uint8_t>{}), Bytes(std::vector<uint8_t>(70000, 0x5A)), Text("VARN 1.07")},
        std::vector<Value>(MaxValues, U8(1)),
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        for (FrameKind kind : {FrameKind::Request, FrameKind::Reply}) {
            Frame f;
            f.Kind = kind;
            f.Operation = static_cast<uint16_t>(Op::Last);
            f.Sequence = 0xFFFFFFFF;
            f.Code = VnReplyConnectionFailed;
            f.Values = cases[i];
            Frame back;
            ASSERT_EQ(Decode(EncodeFrame(f), &back), DecodeError::None) << "case " << i;
            EXPECT_EQ(back, f) << "case " << i;
        }
    }
}

TEST(BoxProtocol, EveryCutOfAFrameIsTruncated)
{
    const std::vector<uint8_t> whole = EncodeFrame(Sample());
    for (size_t n = 0; n < whole.size(); ++n) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        if (n >= LengthPrefixBytes) // a body cut short, its prefix telling the truth
            le::WriteU32(cut.data(), static_cast<uint32_t>(n - LengthPrefixBytes));
        EXPECT_EQ(Decode(cut), DecodeError::Truncated) << n << " bytes";
    }
    std::vector<uint8_t> longer = whole;
    longer.push_back(0);
    EXPECT_EQ(Decode(longer), DecodeError::TrailingBytes);
    le::WriteU32(longer.data(), static_cast<uint32_t>(longer.size() - LengthPrefixBytes));
    EXPECT_EQ(Decode(longer), DecodeError::TrailingBytes) << "a byte after the last value";
}

TEST(BoxProtocol, LengthPrefixLimits)
{
    struct Case {
        uint32_t Length;
        DecodeError Expected;
    };
    const Case cases[] = {
        {0, DecodeError::Truncated},
        {BodyHeaderBytes - 1, DecodeError::Truncated},
        {BodyHeaderBytes, DecodeError::None},
        {MaxBodyBytes, DecodeError::None},
        {MaxBodyBytes + 1, DecodeError::TooLong},
        {0xFFFFFFFF, DecodeError::TooLong},
    };
    for (const Case& c : cases) {
        uint8_t prefix[4];
        le::WriteU32(prefix, c.Length);
        uint32_t length = 0;
        EXPECT_EQ(DecodeLength(prefix, &length), c.Expected) << c.Length;
        if (c.Expected == DecodeError::None) {
            EXPECT_EQ(length, c.Length);
        }
    }
}

TEST(BoxProtocol, GarbledBodiesAreRefused)
{
    struct Case {
        size_t Offset; // into the whole frame
        std::vector<uint8_t> Bytes;
        DecodeError Expected;
    };
    const Case cases[] = {
        {4, {0}, DecodeError::BadVersion},
        {4, {2}, DecodeError::BadVersion},
        {5, {0}, DecodeError::BadKind},
        {5, {3}, DecodeError::BadKind},
        {5, {2}, DecodeError::None},                         // a reply is a kind too
        {16, {static_cast<uint8_t>(MaxValues + 1), 0}, DecodeError::TooManyValues},
        {18, {static_cast<uint8_t>(Tag::Last) + 1}, DecodeError::BadTag},
        {22, {2, 0, 0, 0}, DecodeError::Truncated},          // bytes longer than the body
        {22, {0xFF, 0xFF, 0xFF, 0xFF}, DecodeError::Truncated},
        {22, {0, 0, 0, 0}, DecodeError::TrailingBytes},      // the byte left over
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = EncodeFrame(Sample());
        std::copy(c.Bytes.begin(), c.Bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.Offset));
        EXPECT_EQ(Decode(bytes), c.Expected) << "offset " << c.Offset;
    }
}

TEST(BoxProtocol, ValueReaderTakesValuesInOrderAndFailsOnAnotherKind)
{
    const std::vector<Value> values = {U8(7), U16(9), None(), Text("ab")};
    ValueReader good(values);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(good.U8(), 7);
    EXPECT_EQ(good.U16(), 9);
    EXPECT_FALSE(good.Bytes(&bytes)) << "none reads as absent bytes";
    EXPECT_TRUE(good.Bytes(&bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 'b'}));
    EXPECT_TRUE(good.Ok());

    ValueReader wrongKind(values);
    EXPECT_EQ(wrongKind.U16(), 0);
    EXPECT_FALSE(wrongKind.Ok());
    ValueReader leftOver(values);
    leftOver.U8();
    EXPECT_FALSE(leftOver.Ok()) << "values left unread";
    const std::vector<Value> noValues;
    ValueReader pastEnd(noValues);
    pastEnd.I32();
    EXPECT_FALSE(pastEnd.Ok());
}
