#include "documents/ImageCommands.h"

#include <functional>

#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandIds.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "documents/CutImageDialog.h"
#include "documents/InputDataDialog.h"
#include "documents/ReadBadgeDialog.h"
#include "documents/ReadSingleImageDialog.h"
#include "core/Operator.h"

namespace {

// One device-library image operation: source in, new image in result.
using ImageOperation = std::function<int32_t(const PackedBitmap& source, ImageHandle& result)>;

// Applies the operation to the current front, then to the current back while
// the last operation of the command succeeded (an error on the front skips
// the back). lastSucceeded carries that across passes.
void ProcessPass(Bench& bench, const ImageOperation& operation, const QString& label, bool& lastSucceeded,
                 ImageHandle& front, ImageHandle& back)
{
    const BenchState& st = bench.State;
    if (st.CurrentFrontImage)
        lastSucceeded = ReportReply(bench.Op, operation(*st.CurrentFrontImage, front), label) == 0;
    if (st.CurrentBackImage && lastSucceeded)
        lastSucceeded = ReportReply(bench.Op, operation(*st.CurrentBackImage, back), label) == 0;
}

void FreeResult(Bench& bench, ImageHandle& result)
{
    if (!result)
        return;
    bench.Api.Varn_FreeImage(bench.Window, &result);
    // Cleared whatever the library left in it: a freed result is never shown
    // or freed again by a later pass.
    result.reset();
}

void ShowAndFree(Bench& bench, uint32_t documentNumber, ImageHandle& front, ImageHandle& back)
{
    if (front || back) {
        DocumentShow show;
        show.DocumentNumber = documentNumber;
        show.Front = front.get();
        show.Back = back.get();
        bench.Op.ShowDocumentImages(show);
    }
    FreeResult(bench, front);
    FreeResult(bench, back);
}

// The shape of brightness, contrast and cut: open, dialog, one pass, close.
void ProcessCurrentImages(Bench& bench, const std::function<ImageOperation()>& askOperation, const QString& label)
{
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return;
    const ImageOperation operation = askOperation();
    bool lastSucceeded = true;
    ImageHandle front, back;
    ProcessPass(bench, operation, label, lastSucceeded, front, back);
    ShowAndFree(bench, 0, front, back);
    CloseUnit(bench);
}

void BrightnessOrContrast(Bench& bench, InputDataUse use)
{
    const bool brightness = use == InputDataUse::Brightness;
    ProcessCurrentImages(
        bench,
        [&]() -> ImageOperation {
            InputDataDialog dialog(use, bench.State.BwThreshold);
            const int32_t value = static_cast<int16_t>(bench.Op.Exec(dialog));
            return [&bench, value, brightness](const PackedBitmap& source, ImageHandle& result) {
                return brightness ? bench.Api.Varn_ImageBrightness(bench.Window, &source, value, &result)
                                  : bench.Api.Varn_ImageContrast(bench.Window, &source, value, &result);
            };
        },
        brightness ? "Varn_ImageBrightness" : "Varn_ImageContrast");
}

// Reads the last document's images with the given side and shows them, back
// first; freeAfter releases them through the library once shown.
void ReadAndShowImages(Bench& bench, char side, bool freeAfter)
{
    if (!OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops).Proceed)
        return;
    auto& st = bench.State;
    ImageHandle front, back;
    const int32_t reply = bench.Api.Varn_ReadImage(st.UnitHandle, bench.Window, st.Settings.ClearImage, side, 0, 0,
                                                   &front, &back, nullptr, nullptr);
    // 1 is a document without images here: nothing to show, nothing to say.
    if (reply != VnReplyOk && reply != VnReplyFeederEmpty) {
        ReportReply(bench.Op, reply, "Varn_ReadImage");
        CloseUnit(bench);
        return;
    }
    const bool fit = st.FitImageOption != 0;
    if (back && back->IsValid())
        bench.Op.ShowImage("Back", *back, fit);
    if (front && front->IsValid())
        bench.Op.ShowImage("Front", *front, fit);
    // The windows keep their own copies; otherwise the handles go with this scope.
    if (freeAfter) {
        FreeResult(bench, front);
        FreeResult(bench, back);
    }
    CloseUnit(bench);
}

} // namespace

char SingleColorSide(uint8_t imageSide, uint16_t singleColor)
{
    if (singleColor < 1 || singleColor > 3)
        return 'N';
    const int plane = singleColor - 1;
    switch (imageSide) {
    case 'F': return "GHI"[plane];
    case 'B': return "CDE"[plane];
    case 'X': return "YWZ"[plane];
    default: return 'N';
    }
}

void ConvertToBwCommand(Bench& bench)
{
    if (!OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops).Proceed)
        return;
    InputDataDialog dialog(InputDataUse::ConvertToBw, bench.State.BwThreshold);
    const auto filter = static_cast<uint16_t>(bench.Op.Exec(dialog));
    auto convert = [&bench](int32_t method, uint16_t parameter) -> ImageOperation {
        return [&bench, method, parameter](const PackedBitmap& source, ImageHandle& result) {
            return bench.Api.Varn_ConvertImageToBW(bench.Window, method, &source, &result, parameter, 0.0f);
        };
    };
    const QString label = "Varn_ConvertImageToBW";
    bool lastSucceeded = true;
    ImageHandle front, back;
    ProcessPass(bench, convert(4, filter), label, lastSucceeded, front, back);
    ShowAndFree(bench, 1, front, back);
    ProcessPass(bench, convert(6, bench.State.BwThreshold), label, lastSucceeded, front, back);
    ShowAndFree(bench, 101, front, back);
    CloseUnit(bench);
}

void BrightnessImageCommand(Bench& bench) { BrightnessOrContrast(bench, InputDataUse::Brightness); }

void ContrastImageCommand(Bench& bench) { BrightnessOrContrast(bench, InputDataUse::Contrast); }

void CutImageCommand(Bench& bench)
{
    ProcessCurrentImages(
        bench,
        [&]() -> ImageOperation {
            CutImageDialog dialog(bench.State.Settings);
            bench.Op.Exec(dialog);
            const SettingsRecord& s = bench.State.Settings;
            return [&bench, s](const PackedBitmap& source, ImageHandle& result) {
                return bench.Api.Varn_CutImage(bench.Window, &source, s.CutWindowInch, s.CutWindowX, s.CutWindowY,
                                               s.CutWindowWidth, s.CutWindowHeight, &result);
            };
        },
        "Varn_CutImage");
}

void ReloadImageCommand(Bench& bench)
{
    ReadAndShowImages(bench, static_cast<char>(bench.State.Settings.ImageSide), false);
}

void ReadSingleColorCommand(Bench& bench)
{
    auto& s = bench.State.Settings;
    ReadSingleImageDialog dialog(s);
    if (bench.Op.Exec(dialog) != ReadSingleImageDialog::OkResult)
        return;
    ReadAndShowImages(bench, SingleColorSide(s.ImageSide, s.SingleColor), true);
}

void RegisterImageCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::ConvertToBw, ConvertToBwCommand);
    registry.Add(Cmd::BrightnessImage, BrightnessImageCommand);
    registry.Add(Cmd::ContrastImage, ContrastImageCommand);
    registry.Add(Cmd::CutImage, CutImageCommand);
    registry.Add(Cmd::ReloadImage, [](Bench& bench) {
        MenusGreyed greyed(bench.Op);
        ReloadImageCommand(bench);
    });
    registry.Add(Cmd::ReadSingleColor, [](Bench& bench) {
        MenusGreyed greyed(bench.Op);
        ReadSingleColorCommand(bench);
    });
    registry.Add(Cmd::ReadBadge, ReadBadgeCommand);
}
