#include "micr/SaveSignalRun.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "micr/DecodeLibrary.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalFiles.h"
#include "core/Operator.h"
#include "platform/Platform.h"

using namespace bench;

namespace {

constexpr uint32_t Cmc7DataSize = 1024;

// A text file of the run, one line per document; absent when it cannot be
// opened.
class RunTextFile {
public:
    RunTextFile() = default;
    ~RunTextFile()
    {
        if (File)
            std::fclose(File);
    }
    RunTextFile(const RunTextFile&) = delete;
    RunTextFile& operator=(const RunTextFile&) = delete;
    bool Open(const std::string& path, bool reset)
    {
        File = std::fopen(path.c_str(), reset ? "w+" : "a+");
        return File != nullptr;
    }
    void WriteLine(const char* text)
    {
        if (File)
            std::fprintf(File, "%s\n", text);
    }

private:
    std::FILE* File = nullptr;
};

// Ends one document: reported failures end the run.
bool Failed(Bench& bench, int32_t reply, const char* label) { return ReportReply(bench.Op, reply, label) != 0; }

} // namespace

void SaveSignalRun(Bench& bench, int saveCodelines, int reset, int micrAndOcr, const DecodeLibrary& decode,
                   const SaveSignalHooks& hooks)
{
    BenchState& st = bench.State;
    SettingsRecord& s = st.Settings;
    VnApi& api = bench.Api;
    const std::string folder = st.ProgramFolder + "Dati/";
    if (!platform::EnsureFolder(st.ProgramFolder + "Dati")) {
        bench.Op.Message(DemoTitle, "Can't create the Folder \"Dati\" !!!", MessageButtons::Ok,
                         MessageIcon::Information);
        return;
    }
    MenusGreyed greyed(bench.Op);
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AlreadyConnectedGoesOn).Proceed)
        return;
    IdentifyForGeneration(bench);
    const SignalBuffer buffer = NewSignalBuffer();
    if (!buffer) {
        CloseUnit(bench);
        return;
    }
    const uint16_t unit = st.UnitHandle;
    const VnWindow window = bench.Window;

    RunTextFile codelineFile;
    RunTextFile ocrFile;
    // Emptying a file starts the numbering again.
    if (saveCodelines && codelineFile.Open(folder + "CodelineVarn.txt", reset != 0) && reset)
        s.SignalFileCounter = 0;
    if (micrAndOcr && ocrFile.Open(folder + "Codeline_Ocr_Varn.txt", reset != 0) && reset)
        s.SignalFileCounter = 0;

    const auto feed = [&] {
        return api.Varn_DocHandle(unit, window, s.FrontStamp, 0, micrAndOcr ? VnCodelineMicrOcr : VnCodelineMicr, 'F',
                                  VnScanModeGrey256At200, 0, VnDestinationSorted, 'W', 0, nullptr, 0, 0);
    };
    int32_t reply = feed();
    bool deviceFailed = false;
    while (reply == VnReplyOk) {
        const uint16_t number = s.SignalFileCounter;
        uint32_t length = SignalBufferSize;
        if ((deviceFailed = Failed(bench, api.Varn_ReadE13BSignal(unit, window, buffer.get(), &length),
                                   "Varn_ReadE13BSignal")))
            break;
        const uint32_t delivered = std::min(length, SignalBufferSize);
        const SaveSignalChoices choices = hooks.Choices ? hooks.Choices() : SaveSignalChoices{};
        if (choices.ReadCmc7) {
            WriteSignalFile(folder + NumberedSignalName("CMC7_signal_Varn_", number, ".kmx"), buffer.get(),
                            delivered);
            std::memset(buffer.get(), 0, Cmc7DataSize);
            if ((deviceFailed = Failed(bench, api.Varn_ReadCMC7Signal(unit, window, buffer.get(), Cmc7DataSize),
                                       "Varn_ReadCMC7Signal")))
                break;
            WriteSignalFile(folder + NumberedSignalName("CMC7_Data_Varn_", number, ".kmx"), buffer.get(),
                            Cmc7DataSize);
        } else {
            const std::string dump = folder + NumberedSignalName("SgnE13B_Varn_", number, ".kmx");
            if (decode.GenerateDump != nullptr)
                decode.GenerateDump(dump.c_str());
            else
                WriteSignalFile(dump, buffer.get(), delivered);
        }
        if (choices.SaveImage) {
            ImageHandle front;
            if ((deviceFailed = Failed(bench,
                                       api.Varn_ReadImage(unit, window, 0, 'F', 0, 0, &front, nullptr, nullptr,
                                                          nullptr),
                                       "Varn_ReadImage")))
                break;
            const std::string path = folder + NumberedSignalName("Front_SgnE13B_", number, ".bmp");
            api.Varn_SaveBMP(window, front.get(), path.c_str());
            api.Varn_FreeImage(window, &front);
        }
        char micr[256] = {};
        char ocr[256] = {};
        uint16_t micrLength = sizeof micr;
        uint16_t ocrLength = sizeof ocr;
        const int32_t read = micrAndOcr ? api.Varn_ReadCodelineMicrOcr(unit, window, micr, &micrLength, ocr, &ocrLength)
                                        : api.Varn_ReadCodeline(unit, window, micr, &micrLength, nullptr, nullptr,
                                                                nullptr, nullptr);
        if ((deviceFailed = Failed(bench, read, "Varn_ReadCodeline")))
            break;
        micr[sizeof micr - 1] = 0;
        ocr[sizeof ocr - 1] = 0;
        codelineFile.WriteLine(micr);
        ocrFile.WriteLine(ocr);
        ++s.SignalFileCounter;
        if (micr[0] != 0) {
            std::snprintf(st.LastCodeline.data(), st.LastCodeline.size(), "%s", micr);
            if (hooks.AddListLine) {
                hooks.AddListLine(QString::fromLatin1(micr));
                if (micrAndOcr)
                    hooks.AddListLine(QString::fromLatin1(ocr));
            }
            bench.Op.PumpEvents();
        }
        reply = feed();
    }
    if (!deviceFailed)
        ReportReply(bench.Op, reply, "Varn_DocHandle");
    CloseUnit(bench);
}
