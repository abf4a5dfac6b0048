#include "maintenance/MemoryDump.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"

std::string DumpText(const uint8_t* bytes, size_t size)
{
    std::string text;
    text.reserve(size / 16 * 70 + 70);
    char cell[16];
    for (size_t line = 0; line < size; line += 16) {
        std::snprintf(cell, sizeof cell, line == 0 ? "%08X:" : "\r\n%08X:", static_cast<unsigned>(line));
        text += cell;
        for (size_t i = line; i < line + 16 && i < size; ++i) {
            std::snprintf(cell, sizeof cell, i - line == 7 ? " %02X -" : " %02X", bytes[i]);
            text += cell;
        }
    }
    return text;
}

int32_t FetchUnitMemory(Bench& bench, std::vector<uint8_t>& buffer, uint32_t parameter)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return open.Reply;
    if (buffer.size() < UnitMemorySize)
        buffer.resize(UnitMemorySize, 0);
    const int32_t reply = bench.Api.Varn_DumpPeripheralMemory(bench.State.UnitHandle, bench.Window, buffer.data(),
                                                               UnitMemorySize, parameter, 0);
    ReportReply(bench.Op, reply, "Varn_DumpPeripheralMemory");
    CloseUnit(bench);
    return reply;
}

DumpOutcome DumpUnitMemory(Bench& bench, const QString& fileName)
{
    if (fileName.isEmpty())
        return DumpOutcome::NoName;
    const QFileInfo file(fileName);
    if (!file.absoluteDir().exists()) {
        bench.Op.Message(DemoTitle,
                         QString("The folder of the dump file does not exist:\n%1\n\nNo dump was made.")
                             .arg(QDir::toNativeSeparators(file.absolutePath())),
                         MessageButtons::Ok, MessageIcon::Stop);
        return DumpOutcome::NoFolder;
    }
    std::vector<uint8_t> buffer(UnitMemorySize, 0);
    if (FetchUnitMemory(bench, buffer, 0) != VnReplyOk)
        return DumpOutcome::UnitFailed;
    const std::string text = DumpText(buffer.data(), buffer.size());
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !out.commit()) {
        bench.Op.Message(DemoTitle, QString("The dump file could not be written:\n%1\n\n%2").arg(fileName, out.errorString()),
                         MessageButtons::Ok, MessageIcon::Stop);
        return DumpOutcome::NotWritten;
    }
    return DumpOutcome::Written;
}
