// The unit's calibrations act on what it keeps; its memory dump shows it.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "unit/VirtualUnit.h"
#include "vnapi/ByteOrder.h"

namespace {

// The operation name of a log entry.
std::string NameAt(const std::vector<uint8_t>& m, size_t entry)
{
    const char* name = reinterpret_cast<const char*>(m.data() + 0x510 + 32 * entry + 6);
    return std::string(name, strnlen(name, 26));
}

// Rows darker than 85 % of the image's median row, over the middle half of
// the columns: the streak of a dirty sensor element.
int DarkRows(const PackedBitmap& image)
{
    std::vector<double> means;
    const int32_t w = image.Width();
    for (int32_t r = 0; r < image.Height(); ++r) {
        const uint8_t* row = image.Row(r);
        double sum = 0;
        for (int32_t x = w / 4; x < 3 * w / 4; ++x)
            sum += row[x];
        means.push_back(sum / (w / 2));
    }
    std::vector<double> sorted = means;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    return static_cast<int>(std::count_if(means.begin(), means.end(), [&](double m) { return m < 0.85 * median; }));
}

// Dark rows of the front and the back of a plain white document.
std::pair<int, int> StreakRows(OpenUnit& unit)
{
    unit.Control().EmptyFeeder();
    EXPECT_TRUE(unit.Control().LoadDocumentsFromText("Document = White\n"));
    EXPECT_EQ(unit.FeedFor(0, 'X', VnScanModeGrey256At200), 0);
    ImageHandle front, back;
    EXPECT_EQ(unit.Api().Varn_ReadImage(unit.Handle, nullptr, 1, 'X', 0, 0, &front, &back, nullptr, nullptr), 0);
    if (!front || !back)
        return {-1, -1};
    return {DarkRows(*front), DarkRows(*back)};
}

std::array<uint16_t, 2> PhotoReadings(OpenUnit& unit)
{
    uint8_t values[8] = {};
    EXPECT_EQ(unit.Api().VnReadPhotosValue(unit.Handle, nullptr, values, 0), 0);
    return {le::ReadU16(values), le::ReadU16(values + 2)};
}

} // namespace

TEST(VirtualUnitMaintenance, EachSideCalibrationEvensOutItsStreakAndKeepsIt)
{
    TemporaryFolder folder;
    VirtualUnitSetup setup = TestUnitSetup(4);
    setup.StreakMm = 20.0;
    setup.MemoryFile = folder.Folder() + "VarnUnit.mem";
    {
        OpenUnit unit(setup);
        const auto before = StreakRows(unit);
        EXPECT_GE(before.first, 1);
        EXPECT_LE(before.first, 3) << "a line, not a shadow";
        EXPECT_GE(before.second, 1);
        ASSERT_EQ(unit.Api().Varn_ScannerCalibration(unit.Handle, nullptr, 1), 0);
        const auto frontDone = StreakRows(unit);
        EXPECT_EQ(frontDone.first, 0);
        EXPECT_GE(frontDone.second, 1) << "the back is calibrated on its own";
        ASSERT_EQ(unit.Api().Varn_ScannerCalibration(unit.Handle, nullptr, 0), 0);
        EXPECT_EQ(StreakRows(unit), std::make_pair(0, 0));
    }
    OpenUnit again(setup);
    EXPECT_EQ(StreakRows(again), std::make_pair(0, 0)) << "the shading is kept";
    // Dirt somewhere else: the old shading does not cover it.
    setup.StreakMm = 40.0;
    OpenUnit moved(setup);
    EXPECT_GE(StreakRows(moved).first, 1);
}

TEST(VirtualUnitMaintenance, PhotoCalibrationBringsReadingsIntoRange)
{
    using namespace virtualunit;
    for (uint32_t seed : {1u, 8u, 77u}) {
        OpenUnit unit(TestUnitSetup(seed));
        unit.Control().LoadCheques(1); // the feeder sensor covered, the trigger clear
        const auto fresh = PhotoReadings(unit);
        EXPECT_LT(fresh[0], PhotoCoveredLowest) << "an uncalibrated emitter is weak, seed " << seed;
        ASSERT_EQ(unit.Api().Varn_PhotosCalibration(unit.Handle, nullptr, 0), 0);
        for (int i = 0; i < 20; ++i) {
            const auto r = PhotoReadings(unit);
            EXPECT_GE(r[0], PhotoCoveredLowest);
            EXPECT_LE(r[0], PhotoCoveredHighest);
            EXPECT_GE(r[1], PhotoClearLowest);
            EXPECT_LE(r[1], PhotoClearHighest);
        }
        unit.Control().EmptyFeeder();
        const auto empty = PhotoReadings(unit);
        EXPECT_GE(empty[0], PhotoClearLowest);
        EXPECT_LE(empty[0], PhotoClearHighest);
    }
}

TEST(VirtualUnitMaintenance, MemoryDumpHoldsKeptValuesAndTheOperationLog)
{
    OpenUnit unit(TestUnitSetup(5));
    const uint8_t block[4] = {0x40, 0x43, 0x40, 0x40};
    ASSERT_EQ(unit.Api().Varn_SetConfiguration(unit.Handle, nullptr, block), 0);
    ASSERT_EQ(unit.Api().Varn_PhotosCalibration(unit.Handle, nullptr, 0), 0);
    EXPECT_EQ(unit.Api().Varn_ScannerCalibration(unit.Handle, nullptr, 7), -9);
    std::vector<uint8_t> m(36864, 0);
    ASSERT_EQ(unit.Api().Varn_DumpPeripheralMemory(unit.Handle, nullptr, m.data(), 36864, 0, 0), 0);
    EXPECT_EQ(std::vector<uint8_t>(m.begin() + 0x80, m.begin() + 0x84), std::vector<uint8_t>(block, block + 4));
    EXPECT_EQ(m[0x85] & 2, 2) << "photo sensors calibrated";
    EXPECT_NEAR(le::ReadU16(m.data() + 0x94), 256, 3) << "feeder emitter drive";
    EXPECT_EQ(le::ReadU16(m.data() + 0x90), 0xFFFF) << "no dirty element";

    ASSERT_EQ(std::string(reinterpret_cast<const char*>(m.data() + 0x500)), "OPLOG");
    EXPECT_EQ(le::ReadU16(m.data() + 0x508), 63);
    // Varn_Open, Varn_SetConfiguration, Varn_PhotosCalibration, Varn_ScannerCalibration.
    EXPECT_EQ(le::ReadU32(m.data() + 0x50C), 4u);
    EXPECT_EQ(le::ReadU16(m.data() + 0x50A), 4);
    const char* names[] = {"Varn_Open", "Varn_SetConfiguration", "Varn_PhotosCalibration", "Varn_ScannerCalibration"};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(le::ReadU32(m.data() + 0x510 + 32 * i), i + 1);
        EXPECT_EQ(NameAt(m, i), names[i]);
    }
    EXPECT_EQ(static_cast<int16_t>(le::ReadU16(m.data() + 0x510 + 3 * 32 + 4)), -9);
    EXPECT_EQ(le::ReadU32(m.data() + 0x510 + 4 * 32), 0u) << "slots not yet used are empty";

    // 63 slots: the 64th operation overwrites the first.
    for (int i = 0; i < 58; ++i)
        unit.Api().Varn_PeripheralStatus(unit.Handle, nullptr, nullptr, nullptr);
    ASSERT_EQ(unit.Api().Varn_DumpPeripheralMemory(unit.Handle, nullptr, m.data(), 36864, 0, 0), 0);
    EXPECT_EQ(NameAt(m, 0), "Varn_Open");
    ASSERT_EQ(unit.Api().Varn_DumpPeripheralMemory(unit.Handle, nullptr, m.data(), 36864, 0, 0), 0);
    EXPECT_EQ(le::ReadU32(m.data() + 0x50C), 64u);
    EXPECT_EQ(le::ReadU16(m.data() + 0x50A), 1);
    EXPECT_EQ(le::ReadU32(m.data() + 0x510), 64u);
    EXPECT_EQ(NameAt(m, 0), "Varn_DumpPeripheralMemory");
    EXPECT_EQ(le::ReadU32(m.data() + 0x510 + 32), 2u);
    EXPECT_EQ(le::ReadU32(m.data() + 0x510 + 62 * 32), 63u);
}
