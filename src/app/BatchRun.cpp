#include "app/BatchRun.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <unistd.h>

#include "app/BatchOperator.h"
#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "device/UnitCommands.h"
#include "documents/AutoDocRun.h"
#include "documents/DocumentRun.h"

namespace {

bool IsWriteFailure(int32_t status)
{
    return status == VnReplyJpegNotCreated || status == VnReplyDibNotCreated || status == VnReplyTiffNotCreated ||
           status == VnReplyImageOverwrite;
}

bool HasReject(const DocumentRecord& r)
{
    return r.Micr.contains('!') || r.Optical.contains('!') || r.Barcode.contains('!');
}

// Applies the options to the settings; false for a value that is not understood.
bool ApplyOptions(const BatchOptions& o, BenchState& state, QString& problem)
{
    SettingsRecord& s = state.Settings;
    if (o.Count > 65535) {
        problem = "--count must be 0 to 65535";
        return false;
    }
    if (o.Count >= 0)
        s.DocumentCount = static_cast<uint16_t>(o.Count);
    if (o.Unit == "box") {
        state.UnitType = UnitTypes::NetworkBox;
        state.ConnectionType = VnConnectionNetworkBox;
    } else if (o.Unit.isEmpty() || o.Unit == "usb") {
        state.UnitType = UnitTypes::Usb;
        state.ConnectionType = VnConnectionUsb;
    } else {
        problem = "--unit must be usb or box";
        return false;
    }
    if (o.Images == "jpeg" || o.Images == "bmp" || o.Images == "tiff") {
        s.SaveImageMode = SaveImageModes::On;
        s.SaveImageFormat = o.Images == "jpeg" ? SaveFormats::Jpeg : o.Images == "bmp" ? SaveFormats::Bmp
                                                                                         : SaveFormats::Tiff;
    } else if (o.Images == "none") {
        s.SaveImageMode = SaveImageModes::Off;
    } else if (!o.Images.isEmpty()) {
        problem = "--images must be jpeg, bmp, tiff or none";
        return false;
    }
    if (!o.Codelines.isEmpty()) {
        uint8_t bits = 0;
        for (const QString& name : o.Codelines.split(',')) {
            if (name == "micr")
                bits |= CodelineBits::Micr;
            else if (name == "ocr")
                bits |= CodelineBits::Ocr;
            else if (name == "barcode")
                bits |= CodelineBits::Barcode;
            else if (name == "pdf417")
                bits |= CodelineBits::Pdf417;
            else if (name != "none") {
                problem = "--codeline takes micr, ocr, barcode, pdf417 or none, separated by commas";
                return false;
            }
        }
        s.CodelineType = bits;
    }
    // Nothing is shown: no image windows, no codeline boxes.
    state.ViewImageOption = 0;
    state.ViewCodelineOption = 0;
    state.StopOnCodelineError = o.StopOnError ? 1 : 0;
    state.NumberFilesAcrossRun = true;
    state.DocumentFileNumber = 0;
    return true;
}

// The documents one after the other, as "Read One Doc." repeated; the result
// of the last step.
int32_t ReadDocuments(Bench& bench, const BatchOperator& op, bool stopOnError)
{
    const DocumentDialogs asStored{[](Bench&) { return 1; }, [](Bench&) {}};
    const uint32_t count = bench.State.Settings.DocumentCount != 0 ? bench.State.Settings.DocumentCount : 65535;
    int32_t result = 0;
    for (uint32_t i = 0; i < count && result == 0; ++i) {
        result = HandleOneDocument(bench, asStored);
        if (stopOnError && !op.Documents().empty() && HasReject(op.Documents().back()))
            break;
    }
    return result;
}

int DocumentRunExit(const BenchState& state, const BatchOperator& op, int32_t last, bool stopOnError)
{
    const auto& docs = op.Documents();
    if (docs.empty())
        return last == VnReplyFeederEmpty ? BatchExit::FeederEmpty
                                          : IsWriteFailure(last) ? BatchExit::WriteFailed : BatchExit::Failed;
    for (const DocumentRecord& r : docs)
        if (IsWriteFailure(r.Status))
            return BatchExit::WriteFailed;
    if (state.SaveFailureReported)
        return BatchExit::WriteFailed;
    for (const DocumentRecord& r : docs)
        if (r.Status == VnReplyStoppedOnCodelineError || (stopOnError && HasReject(r)))
            return BatchExit::CodelineError;
    for (const DocumentRecord& r : docs)
        if (r.Status < 0)
            return BatchExit::Failed;
    return last < 0 ? BatchExit::Failed : BatchExit::Ok;
}

} // namespace

int RunBatch(const BatchOptions& options, BenchState& state, VnApi& api, std::FILE* out, std::FILE* err)
{
    const bool documents = options.Command == "read" || options.Command == "auto";
    if (!documents && options.Command != "status" && options.Command != "identify") {
        std::fprintf(err, "Varnw: unknown batch command \"%s\" (read, auto, status or identify)\n",
                     options.Command.toLocal8Bit().constData());
        return BatchExit::Usage;
    }
    QString problem;
    if (!ApplyOptions(options, state, problem)) {
        std::fprintf(err, "Varnw: %s\n", problem.toLocal8Bit().constData());
        return BatchExit::Usage;
    }
    if (!options.OutFolder.isEmpty()) {
        const QString folder = QDir(options.OutFolder).absolutePath();
        if (!QDir().mkpath(folder)) {
            std::fprintf(err, "Varnw: cannot make the folder %s\n", folder.toLocal8Bit().constData());
            return BatchExit::WriteFailed;
        }
        state.OutputFolder = folder.toStdString();
    }

    const bool progress = documents && !options.Quiet && isatty(fileno(err));
    BatchOperator op(out, err, options.Json, progress, documents ? state.Settings.DocumentCount : 0);
    Bench bench{state, api, op};

    if (options.Command == "identify") {
        if (IdentifyUnit(bench, false) != 0)
            return BatchExit::UnitNotFound;
        const UnitIdentity& id = state.Identity;
        const QString text = FormatIdentifyText(id, state.Features);
        if (options.Json) {
            QJsonObject o{{"model", QString::fromLatin1(id.DeviceModel.data())},
                          {"firmware", QString::fromLatin1(id.FirmwareVersion.data())},
                          {"releaseDate", QString::fromLatin1(id.ReleaseDate.data())},
                          {"featureBytes", QJsonArray{id.FeatureBytes[0], id.FeatureBytes[1], id.FeatureBytes[2],
                                                      id.FeatureBytes[3]}},
                          {"text", text}};
            std::fprintf(out, "%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
        } else {
            std::fprintf(out, "%s", text.toLocal8Bit().constData());
        }
        return BatchExit::Ok;
    }

    const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
    if (!open.Proceed) {
        CloseUnit(bench);
        return BatchExit::UnitNotFound;
    }
    int exit = BatchExit::Ok;
    if (options.Command == "status") {
        uint8_t senseKey = 0;
        uint8_t sensor[VnSensorBytesSize] = {};
        const int32_t reply = api.Varn_PeripheralStatus(state.UnitHandle, nullptr, &senseKey, sensor);
        if (ReportReply(op, reply, "Varn_PeripheralStatus") != 0) {
            exit = BatchExit::Failed;
        } else if (options.Json) {
            QJsonObject o{{"senseKey", senseKey},
                          {"senseText", SenseKeyText(senseKey)},
                          {"sensors", QJsonArray{sensor[0], sensor[1]}},
                          {"sensorText", SensorStatusText(sensor)}};
            std::fprintf(out, "%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
        } else {
            std::fprintf(out, "%s\n%s", SenseKeyText(senseKey).toLocal8Bit().constData(),
                         SensorStatusText(sensor).toLocal8Bit().constData());
        }
    } else {
        IdentifyForGeneration(bench);
        state.SaveFailureReported = false;
        const int32_t last = options.Command == "auto" ? RunAutoDocHandle(bench)
                                                        : ReadDocuments(bench, op, options.StopOnError);
        op.FinishProgress();
        exit = DocumentRunExit(state, op, last, options.StopOnError);
        int rejects = 0;
        for (const DocumentRecord& r : op.Documents())
            rejects += HasReject(r) ? 1 : 0;
        if (options.Json) {
            QJsonObject summary{{"command", options.Command},
                                {"documents", static_cast<qint64>(op.Documents().size())},
                                {"withRejects", rejects},
                                {"exit", exit}};
            std::fprintf(out, "%s\n",
                         QJsonDocument(QJsonObject{{"summary", summary}}).toJson(QJsonDocument::Compact).constData());
        } else {
            std::fprintf(out, "documents %zu, with rejects %d, exit %d\n", op.Documents().size(), rejects, exit);
        }
    }
    CloseUnit(bench);
    return exit;
}
