#include <gtest/gtest.h>

#include "text/FontRaster.h"

TEST(FontRaster, RendersInstalledOcrFaces)
{
    for (FontFace face : {FontFace::OcrA, FontFace::OcrB, FontFace::Sans}) {
        FontRaster raster(face, 24.0);
        ASSERT_TRUE(raster.IsValid()) << FontPath(face);
        int baseline = 0;
        const GlyphMask line = raster.RenderLine("0123", &baseline);
        EXPECT_GT(line.Width, 40);
        EXPECT_EQ(baseline, raster.Ascent());
        int ink = 0;
        for (uint8_t c : line.Coverage)
            ink += c > 128;
        EXPECT_GT(ink, 50) << "the digits leave ink";
        // Nothing is drawn below the descent line.
        EXPECT_LE(line.Height, raster.Ascent() + raster.Descent());
    }
}

TEST(FontRaster, DistinctDigitsHaveDistinctGlyphs)
{
    FontRaster raster(FontFace::OcrB, 20.0);
    ASSERT_TRUE(raster.IsValid());
    const auto& one = raster.GlyphFor('1');
    const auto& eight = raster.GlyphFor('8');
    EXPECT_NE(one.Mask.Coverage, eight.Mask.Coverage);
    EXPECT_EQ(one.Advance, eight.Advance) << "OCR-B is monospaced";
}
