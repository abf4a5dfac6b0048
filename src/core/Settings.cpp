#include "core/Settings.h"
#include "core/SettingsCodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include "vnapi/ByteOrder.h"

namespace {

// One walk over every field with its offset, shared by the reader and the
// writer so that the two cannot drift apart.
template <class Record, class Visitor> void VisitFields(Record& s, Visitor& v)
{
    v.U16(0x000, s.FrontStamp);
    v.U16(0x004, s.EndorsePrintMode);
    v.U32(0x008, s.EndorseBold);
    v.Text(0x00C, s.EndorseString);
    v.U8(0x0D4, s.OcrReadType);
    v.U32(0x0D8, s.SaveCodelineOnFile);
    v.U32(0x0DC, s.ResetCodelineFile);
    v.U16(0x0E0, s.DocDestination);
    v.U16(0x0E2, s.ScanMode);
    v.U8(0x0E4, s.ImageSide);
    v.U8(0x0E8, s.BadgeTracks);
    v.U16(0x0EA, s.SaveImageMode);
    v.U16(0x0EC, s.SaveImageFormat);
    v.U16(0x0EE, s.JpegQuality);
    v.U16(0x0F0, s.ClearImage);
    v.U16(0x0F2, s.DocumentCount);
    v.U8(0x0F4, s.BeepOnError);
    v.F32(0x0F8, s.OcrWindowX);
    v.F32(0x0FC, s.OcrWindowY);
    v.F32(0x100, s.OcrWindowWidth);
    v.F32(0x104, s.OcrWindowHeight);
    v.U16(0x108, s.OcrWindowInch);
    v.U16(0x110, s.WaitTimeout);
    v.U16(0x112, s.SignalFileCounter);
    v.U32(0x114, s.CheckCodeline);
    v.Text(0x118, s.CodelineBase);
    v.U16(0x218, s.Unused536);
    v.U16(0x21A, s.Unused538);
    v.U16(0x21C, s.Unused540);
    v.U16(0x21E, s.Unused542);
    v.F32(0x220, s.Unused544);
    v.I32(0x224, s.SetupMicrHead);
    v.I32(0x228, s.SetupVoidingStamp);
    v.I32(0x22C, s.SetupInkJetPrinter);
    v.I32(0x230, s.SetupBadgeReader);
    v.I32(0x234, s.SetupProcessCard);
    v.I32(0x238, s.SetupPoweredBy);
    v.U16(0x246, s.ReleasePrint);
    v.U32(0x248, s.ReleaseBold);
    v.Text(0x24C, s.ReleaseString);
    v.U8(0x314, s.ReleaseSide);
    v.U16(0x316, s.ReleaseFrontStamp);
    v.U16(0x318, s.ReleaseSortMode);
    v.U16(0x31A, s.DocSpeedReads);
    v.U16(0x31C, s.DocSpeedLimit1);
    v.U16(0x31E, s.DocSpeedLimit2);
    v.U16(0x320, s.Unused800);
    v.U16(0x322, s.Unused802);
    v.U32(0x324, s.ReadTestCount);
    v.Text(0x328, s.ReadTestCodeline);
    v.U32(0x428, s.ReadTestDelay);
    v.F32(0x42C, s.BarcodeWindowX);
    v.F32(0x430, s.BarcodeWindowY);
    v.F32(0x434, s.BarcodeWindowWidth);
    v.F32(0x438, s.BarcodeWindowHeight);
    v.U16(0x43C, s.BarcodeWindowInch);
    v.U8(0x43E, s.BarcodeType);
    v.U8(0x43F, s.CodelineType);
    v.U32(0x444, s.Unused1092);
    v.U16(0x448, s.BeepCount);
    v.U16(0x44A, s.BeepTimeOn);
    v.U16(0x44C, s.BeepTimeOff);
    v.U16(0x44E, s.LedColor);
    v.U16(0x450, s.LedTimeOn);
    v.U16(0x452, s.LedTimeOff);
    v.U16(0x454, s.SingleColor);
    v.F32(0x458, s.MicrVoltFor100);
    v.U16(0x45C, s.MicrSignalValue);
    v.U16(0x45E, s.MicrToleranceMinus);
    v.U16(0x460, s.MicrTolerancePlus);
    v.U16(0x462, s.MicrConsecutiveOk);
    v.F32(0x478, s.CutWindowX);
    v.F32(0x47C, s.CutWindowY);
    v.F32(0x480, s.CutWindowHeight);
    v.F32(0x484, s.CutWindowWidth);
    v.U16(0x488, s.CutWindowInch);
    v.U16(0x48A, s.Unused1162);
    v.U16(0x48E, s.QualityChoice1);
    v.U16(0x490, s.QualityChoice2);
    v.U16(0x492, s.QualityChoice3);
    v.Text(0x494, s.QualityImageFolder);
    v.F32(0x598, s.Pdf417WindowX);
    v.F32(0x59C, s.Pdf417WindowY);
    v.F32(0x5A0, s.Pdf417WindowWidth);
    v.F32(0x5A4, s.Pdf417WindowHeight);
    v.U16(0x5A8, s.PrintHigh);
    v.Text(0x5AA, s.BoxIpAddress);
    v.U16(0x5BE, s.BoxPort);
    v.U32(0x5C0, s.EmcStepTime);
    v.Text(0x5C4, s.DigitalString);
    v.I16(0x68C, s.DigitalPrintSide);
    v.Text(0x68E, s.DigitalFontName);
    v.U16(0x706, s.DigitalFontSize);
    v.U16(0x708, s.DigitalInch);
    v.F32(0x70C, s.DigitalX);
    v.F32(0x710, s.DigitalY);
    v.U16(0x714, s.DigitalGrayTone);
    v.U32(0x718, s.DigitalBold);
    v.U32(0x71C, s.DigitalItalic);
    v.U32(0x720, s.DigitalUnderline);
    v.U16(0x724, s.ScanCard);
    v.U32(0x728, s.ImageCounter);
    v.Text(0x72C, s.BoxNodeName);
    v.U32(0x754, s.ConnectByNodeName);
}

struct Writer {
    uint8_t* Out;
    void U8(size_t at, uint8_t v) { Out[at] = v; }
    void U16(size_t at, uint16_t v) { le::WriteU16(Out + at, v); }
    void I16(size_t at, int16_t v) { le::WriteI16(Out + at, v); }
    void U32(size_t at, uint32_t v) { le::WriteU32(Out + at, v); }
    void I32(size_t at, int32_t v) { le::WriteI32(Out + at, v); }
    void F32(size_t at, float v) { le::WriteF32(Out + at, v); }
    template <size_t N> void Text(size_t at, const CharField<N>& v) { std::memcpy(Out + at, v.data(), N); }
};

struct Reader {
    const uint8_t* In;
    void U8(size_t at, uint8_t& v) { v = In[at]; }
    void U16(size_t at, uint16_t& v) { v = le::ReadU16(In + at); }
    void I16(size_t at, int16_t& v) { v = le::ReadI16(In + at); }
    void U32(size_t at, uint32_t& v) { v = le::ReadU32(In + at); }
    void I32(size_t at, int32_t& v) { v = le::ReadI32(In + at); }
    void F32(size_t at, float& v) { v = le::ReadF32(In + at); }
    template <size_t N> void Text(size_t at, CharField<N>& v) { std::memcpy(v.data(), In + at, N); }
};

} // namespace

SettingsRecord DefaultSettings()
{
    SettingsRecord s;
    s.OcrReadType = 'B';
    s.ResetCodelineFile = 1;
    s.DocDestination = Destinations::Sorted;
    s.ScanMode = ScanModes::Gray256At200;
    s.ImageSide = 'X';
    s.BadgeTracks = 224;
    s.SaveImageMode = SaveImageModes::Off;
    s.JpegQuality = 128;
    s.ClearImage = 1;
    s.DocumentCount = 1;
    s.OcrWindowX = 6.0f;
    s.OcrWindowY = 4.0f;
    s.OcrWindowWidth = 150.0f;
    s.OcrWindowHeight = 10.5f;
    s.WaitTimeout = 'G';
    s.SignalFileCounter = 1;
    s.Unused536 = 100;
    s.Unused538 = 7;
    s.Unused540 = 7;
    s.Unused542 = 10;
    s.Unused544 = 2.0f;
    s.ReleaseSide = 'X';
    s.ReleaseSortMode = ReleaseModes::Sort;
    s.DocSpeedReads = 5;
    s.DocSpeedLimit1 = 10;
    s.DocSpeedLimit2 = 13;
    s.Unused800 = 4;
    s.Unused802 = 1;
    s.ReadTestCount = 10;
    s.BarcodeWindowX = 90.0f;
    s.BarcodeWindowY = 4.0f;
    s.BarcodeWindowWidth = 125.0f;
    s.BarcodeWindowHeight = 12.0f;
    s.BarcodeType = '2';
    s.SingleColor = 3;
    s.MicrVoltFor100 = 2.0f;
    s.MicrSignalValue = 100;
    s.MicrToleranceMinus = 7;
    s.MicrTolerancePlus = 7;
    s.MicrConsecutiveOk = 5;
    s.Unused1162 = 3;
    // The network box emulator runs on this machine.
    SetText(s.BoxIpAddress, "127.0.0.1");
    s.BoxPort = 4000;
    SetText(s.DigitalString, "Digital string");
    SetText(s.DigitalFontName, "Arial");
    s.DigitalFontSize = 20;
    s.DigitalX = 10.0f;
    s.DigitalY = 21.0f;
    s.ImageCounter = 1;
    SetText(s.BoxNodeName, "localhost");
    return s;
}

std::array<uint8_t, SettingsRecord::Size> EncodeSettings(const SettingsRecord& record)
{
    std::array<uint8_t, SettingsRecord::Size> bytes = record.Gaps;
    Writer writer{bytes.data()};
    VisitFields(record, writer);
    return bytes;
}

SettingsRecord DecodeSettings(const uint8_t* bytes, size_t count)
{
    SettingsRecord record;
    if (count > SettingsRecord::Size)
        count = SettingsRecord::Size;
    if (count > 0)
        std::memcpy(record.Gaps.data(), bytes, count);
    Reader reader{record.Gaps.data()};
    VisitFields(record, reader);
    return record;
}

SettingsRecord LoadSettingsFile(const std::string& path)
{
    // Only a plain file holds a record: a folder of that name opens on some
    // systems and reads as nothing, which would give an all-zero record.
    const QString name = QString::fromStdString(path);
    if (!QFileInfo(name).isFile())
        return DefaultSettings();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return DefaultSettings();
    std::array<uint8_t, SettingsRecord::Size> bytes{};
    const qint64 count = file.read(reinterpret_cast<char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (count < 0)
        return DefaultSettings();
    return DecodeSettings(bytes.data(), static_cast<size_t>(count));
}

bool SaveSettingsFile(const std::string& path, const SettingsRecord& record)
{
    // Written beside the file, flushed to the disk and renamed over it: a
    // crash or a full disk leaves the earlier record whole. Plain system calls,
    // each checked: QSaveFile reported success for a record the disk had cut
    // short, and renamed it over the good one.
    const auto bytes = EncodeSettings(record);
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat existing {};
    const mode_t mode = stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool written = fchmod(fd, mode) == 0;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? static_cast<size_t>(n) : 0;
    }
    written = fsync(fd) == 0 && written;
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
