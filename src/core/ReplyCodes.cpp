#include "core/ReplyCodes.h"

#include "core/Operator.h"
#include "vnapi/VnCodes.h"

namespace {

struct ReplyEntry {
    int32_t Code;
    const char* Text;
};

constexpr ReplyEntry ReplyTable[] = {
    {VnReplyFeederEmpty, "Varn_FEEDER_EMPTY"},
    {VnReplyCodelineTruncated, "Codeline Truncated !"},
    {VnReplyAlreadyConnected, "Peripheral already connected !\n Do reset command before continue test."},
    {VnReplyNetBusy, "Net busy, retry the command !!!"},
    {VnReplyOpenFailedRetry, "Open failed retry"},
    {VnReplyCommandNotSupported, "Varn_COMMAND_NOT_SUPPORTED"},
    {VnReplySystemError, "The module was unable to execute command due to a system error.\n\n"
                         "Possible reasons: memory allocation error."},
    {VnReplyUsbHardwareError, "The module was unable to execute command due to a USB hardware error."},
    {VnReplyPeripheralNotFound,
     "Peripheral not found.\n\nPossible reasons: peripheral is switched off or not connected to the USB bus."},
    {VnReplyHardwareError, "Peripheral hardware error."},
    {VnReplyJammed, "Document jammed."},
    {VnReplyBusy, "Peripheral busy"},
    {VnReplyInvalidCommand, "Invalid command."},
    {VnReplyDataLost, "Data lost : problaby the buffer give is insuficent"},
    {VnReplyAborted, "A command is already in execution\nCurrent command aborted"},
    {VnReplyJpegNotCreated, "JPEG image not created !"},
    {VnReplyCommandInExecution, "There's another command in execution\nImpossible execute the command"},
    {VnReplyImageOverwrite, "Image Overwrite !"},
    {VnReplySupportLibraryNotPresent, "Support library not present"},
    {VnReplyDibNotCreated, "DIB image not created !"},
    {VnReplyTiffNotCreated, "TIFF image not created !"},
    {VnReplyImageNotPresent, "Image not present."},
    {VnReplyOpenFailed, "Open failed retry"},
    {VnReplyPrintFormatNotSupported, "Print format not supported."},
    {VnReplyDisconnected, "The peripheral was disconnected"},
    {VnReplyCalibrationFailed, "Calibration FAILED !!!"},
    {VnReplyPaperShort, "Paper Short !"},
    {VnReplyBatteryNotCharged, "Battery NOT Charged !!!\n\nPease Wait and repeat the command !"},
    {VnReplyIllegalCardFilmature, "Illegal Card Filmature !"},
    {VnReplyBoxNotFound, "VnConnect Box IP address not founded !"},
    {VnReplyTrimmerNegative, "The Trimmer value is negative !!!"},
    {VnReplyErrorOffsetFront, "ERROR_OFFSET_FRONT"},
    {VnReplyErrorOffsetRear, "ERROR_OFFSET_REAR"},
    {VnReplyErrorScannerPwm, "ERROR_SCANNER_PWM"},
    {VnReplyErrorGainFront, "ERROR_GAIN_FRONT"},
    {VnReplyErrorGainRear, "ERROR_GAIN_REAR"},
    {VnReplyErrorCoeffFront, "ERROR_COEFF_FRONT"},
    {VnReplyErrorCoeffRear, "ERROR_COEFF_REAR"},
    {VnReplyErrorScannerGeneric, "ERROR_SCANNER_GENERICO"},
    {VnReplyConnectionFailed, "Connection Failed !"},
};

} // namespace

const char* ReplyText(int32_t code)
{
    for (const auto& entry : ReplyTable)
        if (entry.Code == code)
            return entry.Text;
    return "";
}

QString ReplyMessage(int32_t code, const QString& label)
{
    const char* text = ReplyText(code);
    if (*text == 0)
        return QString::asprintf("UNKNOWN REPLY CODE NUMBER %d", code);
    return label + QStringLiteral("\n\n") + QString::fromLatin1(text);
}

int ReportReply(Operator& op, int32_t code, const QString& label)
{
    if (code == VnReplyOk)
        return 0;
    op.Message(ErrorTitle, ReplyMessage(code, label), MessageButtons::Ok, MessageIcon::None);
    return 1;
}
