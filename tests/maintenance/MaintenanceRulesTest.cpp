// The maintenance tools' rules, against values worked out by hand.
#include <gtest/gtest.h>

#include "core/BenchState.h"
#include "core/Identify.h"
#include "maintenance/HistoryData.h"
#include "maintenance/MemoryDump.h"
#include "maintenance/PeripheralSetup.h"

TEST(SetupBlock, EachChoiceSetsItsBitAndNothingElse)
{
    struct Case {
        SetupChoices Choices;
        ConfigurationBlock Block;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0}, {0x40, 0x43, 0x40, 0x40}},
        {{1, 1, 1, 3, 1, 1}, {0x7B, 0x53, 0x40, 0x40}},
        {{1, 0, 0, 0, 0, 0}, {0x41, 0x43, 0x40, 0x40}},
        {{0, 1, 0, 0, 0, 0}, {0x60, 0x43, 0x40, 0x40}},
        {{0, 0, 1, 0, 0, 0}, {0x48, 0x43, 0x40, 0x40}},
        {{0, 0, 0, 1, 0, 0}, {0x40, 0x47, 0x40, 0x40}},
        {{0, 0, 0, 2, 0, 0}, {0x40, 0x4B, 0x40, 0x40}},
        {{0, 0, 0, 3, 0, 0}, {0x40, 0x53, 0x40, 0x40}},
        {{0, 0, 0, 4, 0, 0}, {0x40, 0x43, 0x40, 0x40}}, // past the list: no badge reader
        {{0, 0, 0, 0, 1, 0}, {0x42, 0x43, 0x40, 0x40}},
        {{0, 0, 0, 0, 0, 1}, {0x50, 0x43, 0x40, 0x40}},
        {{2, 0, 0, 0, 0, 2}, {0x40, 0x43, 0x40, 0x40}}, // past "Present" and "USB"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConfigurationBlockFor(c.Choices), c.Block) << c.Choices.MicrHead << c.Choices.BadgeReader;
        FeatureFlags flags;
        flags.HasScannerFront = 1;
        ApplyChoices(c.Choices, flags);
        FeatureFlags decoded;
        DecodeFeatures(c.Block.data(), decoded);
        EXPECT_EQ(ChoicesFromFeatures(flags), ChoicesFromFeatures(decoded)) << "the flags match the bytes sent";
        EXPECT_EQ(flags.HasScannerFront, 1) << "the scanners are not the dialog's";
    }
}

TEST(HistoryText, WorkTimeInFiveMinuteUnits)
{
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "0:00:00"},     {1, "0:05:00"},     {11, "0:55:00"},           {12, "1:00:00"},
        {13, "1:05:00"},    {288, "24:00:00"},  {0xFFFFFFFFu, "357913941:15:00"},
    };
    for (const auto& [units, text] : cases)
        EXPECT_EQ(WorkTimeText(units), text) << units;
}

TEST(DumpText, LinesOfSixteenWithADashAfterTheEighthAndNoFinalLineEnd)
{
    std::vector<uint8_t> bytes(UnitMemorySize);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i);
    const std::string text = DumpText(bytes.data(), bytes.size());
    // 2304 lines of 9 + 16 * 3 + 2 characters, 2303 CR LF between them.
    EXPECT_EQ(text.size(), 2304u * 59u + 2303u * 2u);
    EXPECT_EQ(text.substr(0, 59 + 2 + 59), "00000000: 00 01 02 03 04 05 06 07 - 08 09 0A 0B 0C 0D 0E 0F\r\n"
                                           "00000010: 10 11 12 13 14 15 16 17 - 18 19 1A 1B 1C 1D 1E 1F");
    EXPECT_EQ(text.substr(text.size() - 61), "\r\n00008FF0: F0 F1 F2 F3 F4 F5 F6 F7 - F8 F9 FA FB FC FD FE FF");
    const uint8_t high[3] = {0xAB, 0x00, 0xFF};
    EXPECT_EQ(DumpText(high, 3), "00000000: AB 00 FF");
    EXPECT_EQ(DumpText(high, 0), "");
}
