// The image calibration on the virtual unit with a document of known length.
#include <gtest/gtest.h>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "docs/Document.h"
#include "quality/ImageCalibration.h"
#include "quality/ImageCalibrationRun.h"
#include "vnapi/VirtualUnitTestApi.h"

using namespace bench;

namespace {

struct ImageCalibrationOnUnit : ::testing::Test {
    BenchState State;
    VirtualUnitPair Unit = CreateVirtualUnit(TestUnitSetup(17));
    ScriptedOperator Op;

    void LoadBlanks(int count, float millimetres)
    {
        Unit.Control.EmptyFeeder();
        std::vector<DocumentSpec> docs(static_cast<size_t>(count));
        for (DocumentSpec& d : docs) {
            d.Kind = DocumentKind::Blank;
            d.LengthMm = millimetres;
        }
        Unit.Control.LoadDocuments(docs);
    }
    uint16_t UnitValue(uint16_t* write = nullptr)
    {
        uint16_t handle = 0;
        EXPECT_EQ(Unit.Api->VnConnect(nullptr, nullptr, VnConnectionUsb, &handle), 0);
        uint16_t value = 0;
        if (write != nullptr) {
            EXPECT_EQ(Unit.Api->Varn_ImageCalibration(handle, nullptr, 1, write), 0);
        }
        EXPECT_EQ(Unit.Api->Varn_ImageCalibration(handle, nullptr, 0, &value), 0);
        Unit.Api->VnDisconnect(handle, nullptr);
        return value;
    }
};

} // namespace

TEST_F(ImageCalibrationOnUnit, AMisSetUnitIsBroughtWithinHalfAPercentOf150Millimetres)
{
    for (uint16_t misSet : {uint16_t{1523}, uint16_t{1862}}) {
        SCOPED_TRACE(misSet);
        UnitValue(&misSet);
        LoadBlanks(9, 150.0f);
        std::vector<float> measures;
        Bench bench{State, *Unit.Api, Op};
        const bool ok = RunImageCalibration(bench, 150, [&](float e, float m, const PackedBitmap&) {
            EXPECT_FLOAT_EQ(e, 150.0f / 25.4f * 200.0f);
            measures.push_back(m);
        });
        EXPECT_TRUE(ok);
        ASSERT_FALSE(measures.empty());
        EXPECT_LE(measures.size(), 9u);
        EXPECT_NEAR(measures.back(), 1181.1f, 1181.1f * 0.005f);
        EXPECT_GT(std::abs(measures.front() - 1181.1f), 1181.1f * 0.005f); // it was mis-set
        const uint16_t kept = UnitValue();
        EXPECT_NE(kept, misSet);
        EXPECT_GE(kept, ImageCalibrationLowest);
        EXPECT_LE(kept, ImageCalibrationHighest);
    }
}

TEST_F(ImageCalibrationOnUnit, AFailingReadIsReportedAndFails)
{
    LoadBlanks(2, 150.0f);
    ASSERT_TRUE(Unit.Control.ArmOperationFault("Varn_ReadImage", -9));
    Bench bench{State, *Unit.Api, Op};
    EXPECT_FALSE(RunImageCalibration(bench, 150, nullptr));
    ASSERT_FALSE(Op.Messages.empty());
    EXPECT_TRUE(Op.Messages.back().Text.contains("Varn_ReadImage") ||
                Op.Messages.back().Title.contains("Varn_ReadImage"));
}
