#include "app/BatchOperator.h"

#include <QCoreApplication>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "documents/CodelineFields.h"

namespace {

// One line whatever the text: its line ends are written as "\n".
QByteArray OneLine(const QString& text)
{
    QString line = text;
    line.replace('\r', QString()).replace('\n', QStringLiteral("\\n"));
    return line.toLocal8Bit();
}

QJsonObject E13bJson(const QString& codeline)
{
    const bench::E13bFields f = bench::ParseE13bCodeline(codeline.toStdString());
    return {{"auxiliaryOnUs", QString::fromStdString(f.AuxiliaryOnUs)},
            {"routing", QString::fromStdString(f.Routing)},
            {"routingCheck", bench::RoutingCheckName(f.Check)},
            {"account", QString::fromStdString(f.Account)},
            {"serial", QString::fromStdString(f.Serial)},
            {"amount", QString::fromStdString(f.Amount)}};
}

QJsonArray Cmc7Json(const QString& codeline)
{
    QJsonArray fields;
    for (const bench::Cmc7Field& f : bench::ParseCmc7Codeline(codeline.toStdString()))
        fields.append(QJsonObject{{"symbol", QString::fromStdString(f.Symbol)}, {"text", QString::fromStdString(f.Text)}});
    return fields;
}

// A CMC7 line carries its symbols as the letters A to E, an E13B line never.
bool LooksCmc7(const QString& codeline)
{
    for (const QChar c : codeline)
        if (c >= QChar('A') && c <= QChar('E'))
            return true;
    return false;
}

} // namespace

QByteArray DocumentJson(uint32_t number, const DocumentRecord& record)
{
    QJsonObject o{{"document", static_cast<qint64>(number)},
                  {"status", record.Status},
                  {"micr", record.Micr},
                  {"optical", record.Optical},
                  {"barcode", record.Barcode},
                  {"images", QJsonArray::fromStringList(record.ImageFiles)},
                  {"rejects", record.Micr.contains('!') || record.Optical.contains('!') || record.Barcode.contains('!')}};
    if (!record.Micr.isEmpty()) {
        if (LooksCmc7(record.Micr))
            o.insert("cmc7Fields", Cmc7Json(record.Micr));
        else
            o.insert("e13bFields", E13bJson(record.Micr));
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

BatchOperator::BatchOperator(std::FILE* out, std::FILE* err, bool json, bool progress, uint32_t expected)
    : Out(out), Err(err), Json(json), Progress(progress), Expected(expected)
{
    Clock.start();
}

MessageAnswer BatchOperator::Message(const QString& title, const QString& text, MessageButtons buttons, MessageIcon)
{
    FinishProgress();
    ++Messages;
    // Nobody can answer: a question takes the answer that changes nothing.
    const char* said = "";
    MessageAnswer answer = MessageAnswer::Ok;
    if (buttons == MessageButtons::OkCancel) {
        answer = MessageAnswer::Cancel;
        said = " [answered Cancel]";
    } else if (buttons == MessageButtons::YesNo) {
        answer = MessageAnswer::No;
        said = " [answered No]";
    }
    std::fprintf(Err, "%s: %s%s\n", OneLine(title).constData(), OneLine(text).constData(), said);
    std::fflush(Err);
    return answer;
}

int BatchOperator::Exec(QDialog& dialog)
{
    FinishProgress();
    std::fprintf(Err, "%s: not opened in a scripted run\n", OneLine(dialog.windowTitle()).constData());
    return QDialog::Rejected;
}

void BatchOperator::PumpEvents() { QCoreApplication::processEvents(); }

void BatchOperator::DocumentDone(const DocumentRecord& record)
{
    Records.push_back(record);
    const auto number = static_cast<uint32_t>(Records.size());
    if (Json) {
        std::fprintf(Out, "%s\n", DocumentJson(number, record).constData());
    } else {
        std::fprintf(Out, "%u\t%d\t%s\t%s\t%s\t%s\n", number, record.Status, OneLine(record.Micr).constData(),
                     OneLine(record.Optical).constData(), OneLine(record.Barcode).constData(),
                     OneLine(record.ImageFiles.join(' ')).constData());
    }
    std::fflush(Out);
    if (Progress && Clock.elapsed() > 1000) {
        const double perSecond = number * 1000.0 / static_cast<double>(std::max<qint64>(1, Clock.elapsed()));
        if (Expected != 0)
            std::fprintf(Err, "\r%u of %u documents, %.1f per second", number, Expected, perSecond);
        else
            std::fprintf(Err, "\r%u documents, %.1f per second", number, perSecond);
        std::fflush(Err);
        ProgressShown = true;
    }
}

void BatchOperator::FinishProgress()
{
    if (ProgressShown)
        std::fprintf(Err, "\n");
    ProgressShown = false;
}
