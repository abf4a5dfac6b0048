#include <gtest/gtest.h>

#include "core/ReplyCodes.h"

// Every reply code with its text, written out by number, and the codes next to
// them that have none.
TEST(ReplyTexts, EveryCodeHasItsTextAndItsNeighboursNone)
{
    const struct {
        int32_t Code;
        const char* Text;
    } known[] = {
        {1, "Varn_FEEDER_EMPTY"},
        {2, "Codeline Truncated !"},
        {5, "Peripheral already connected !\n Do reset command before continue test."},
        {11, "Net busy, retry the command !!!"},
        {14, "Open failed retry"},
        {19, "Varn_COMMAND_NOT_SUPPORTED"},
        {-1, "The module was unable to execute command due to a system error.\n\nPossible reasons: memory allocation "
             "error."},
        {-2, "The module was unable to execute command due to a USB hardware error."},
        {-3, "Peripheral not found.\n\nPossible reasons: peripheral is switched off or not connected to the USB bus."},
        {-4, "Peripheral hardware error."},
        {-7, "Document jammed."},
        {-8, "Peripheral busy"},
        {-9, "Invalid command."},
        {-10, "Data lost : problaby the buffer give is insuficent"},
        {-11, "A command is already in execution\nCurrent command aborted"},
        {-12, "JPEG image not created !"},
        {-13, "There's another command in execution\nImpossible execute the command"},
        {-15, "Image Overwrite !"},
        {-17, "Support library not present"},
        {-18, "DIB image not created !"},
        {-19, "TIFF image not created !"},
        {-22, "Image not present."},
        {-30, "Open failed retry"},
        {-57, "Print format not supported."},
        {-64, "The peripheral was disconnected"},
        {-66, "Calibration FAILED !!!"},
        {-95, "Paper Short !"},
        {-99, "Battery NOT Charged !!!\n\nPease Wait and repeat the command !"},
        {-101, "Illegal Card Filmature !"},
        {-109, "VnConnect Box IP address not founded !"},
        {-300, "The Trimmer value is negative !!!"},
        {-348, "ERROR_OFFSET_FRONT"},
        {-349, "ERROR_OFFSET_REAR"},
        {-350, "ERROR_SCANNER_PWM"},
        {-351, "ERROR_GAIN_FRONT"},
        {-352, "ERROR_GAIN_REAR"},
        {-353, "ERROR_COEFF_FRONT"},
        {-354, "ERROR_COEFF_REAR"},
        {-363, "ERROR_SCANNER_GENERICO"},
        {-1000, "Connection Failed !"},
    };
    for (const auto& k : known)
        EXPECT_EQ(ReplyMessage(k.Code, "Varn_X"), QString("Varn_X\n\n") + k.Text) << k.Code;
    for (int32_t code : {3, 4, 6, 12, 15, 18, 20, -5, -14, -16, -20, -31, -347, -355, -362, -364, -999, -1001})
        EXPECT_EQ(ReplyMessage(code, "Varn_X"), QString("UNKNOWN REPLY CODE NUMBER %1").arg(code)) << code;
}
