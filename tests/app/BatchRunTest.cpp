// "Varnw --batch": the real program, no display, on the virtual unit beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "app/BatchOperator.h"
#include "app/BatchRun.h"
#include "docs/Document.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct Ran {
    int Exit = -1;
    QByteArray Out, Err;
};

// A copy of the bench with the given unit set-up beside it, run with args.
Ran RunBench(const QTemporaryDir& dir, const QByteArray& unitSetup, const QStringList& args)
{
    const QString program = dir.filePath("Varnw");
    if (!QFile::exists(program)) {
        EXPECT_TRUE(QFile::copy(VARNW_PATH, program));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    }
    QFile setup(dir.filePath("VarnUnit.ini"));
    EXPECT_TRUE(setup.open(QIODevice::WriteOnly | QIODevice::Truncate));
    setup.write(unitSetup);
    setup.close();
    QFile::remove(dir.filePath("VarnUnit.mem"));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(240000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

const QByteArray FiftyCheques = "[Unit]\nTimeScale = 0\nSeed = 4\n[Feeder]\nCheques = 50\n";

} // namespace

TEST(BatchRun, AnAutomaticRunOfFiftyChequesGivesTheirCodelinesAndImages)
{
    QTemporaryDir dir;
    const Ran ran = RunBench(dir, FiftyCheques,
                             {"--batch", "auto", "--count", "50", "--json", "--out", dir.filePath("out"), "--images",
                              "jpeg", "--codeline", "micr"});
    ASSERT_EQ(ran.Exit, BatchExit::Ok) << ran.Err.constData();

    // The same set-up in this process stacks the same cheques.
    QTemporaryDir twin;
    QFile setup(twin.filePath("VarnUnit.ini"));
    ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
    setup.write(FiftyCheques);
    setup.close();
    const std::vector<DocumentSpec> stack =
        CreateVirtualUnitInFolder(twin.path().toStdString() + "/").Control.FeederContents();
    ASSERT_EQ(stack.size(), 50u);

    const QList<QByteArray> lines = ran.Out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 51) << ran.Out.constData();
    for (int i = 0; i < 50; ++i) {
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(lines[i], &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].constData();
        EXPECT_EQ(doc["document"].toInt(), i + 1);
        EXPECT_EQ(doc["status"].toInt(), 0);
        EXPECT_EQ(doc["micr"].toString().toStdString(), stack[static_cast<size_t>(i)].Codeline);
        EXPECT_EQ(doc["e13bFields"].toObject()["routingCheck"].toString(), "valid") << lines[i].constData();
        EXPECT_EQ(doc["images"].toArray().size(), 2);
    }
    const QJsonObject summary = QJsonDocument::fromJson(lines[50]).object()["summary"].toObject();
    EXPECT_EQ(summary["documents"].toInt(), 50);
    EXPECT_EQ(summary["withRejects"].toInt(), 0);
    EXPECT_EQ(QDir(dir.filePath("out")).entryList({"*.jpg"}, QDir::Files).size(), 100);
    EXPECT_FALSE(QFile::exists(dir.filePath("Varnw.Cfg"))) << "a scripted run leaves the settings alone";
}

TEST(BatchRun, EachFailureHasItsExitStatusAndItsLineOnStandardError)
{
    QTemporaryDir dir;
    struct Case {
        QByteArray Setup;
        QStringList Args;
        int Exit;
        QByteArray ErrorLine;
    };
    const Case cases[] = {
        {"[Unit]\nTimeScale = 0\n[Faults]\nOnCall = Varn_GetDocData 1\n", {"--batch", "auto", "--count", "3"},
         BatchExit::FeederEmpty, "Varn ERROR: Varn_GetDocData\\n\\nVarn_FEEDER_EMPTY\n"},
        {"[Unit]\nTimeScale = 0\n[Feeder]\nCheques = 0\n", {"--batch", "read", "--count", "2"},
         BatchExit::FeederEmpty, "Varn_FEEDER_EMPTY"},
        {"[Unit]\nTimeScale = 0\n", {"--batch", "identify", "--unit", "box"}, BatchExit::UnitNotFound,
         "VnConnect Box IP address not founded !\n"},
        {"[Unit]\nTimeScale = 0\n", {"--batch", "status", "--unit", "box"}, BatchExit::UnitNotFound,
         "Varn ERROR: Varn_Open\\n\\nVnConnect Box IP address not founded !\n"},
        {"", {"--batch", "print"}, BatchExit::Usage, "unknown batch command"},
        {"", {"--batch", "auto", "--images", "gif"}, BatchExit::Usage, "--images"},
        {"", {"--batch", "auto", "--count", "many"}, BatchExit::Usage, "--count"},
        {"[Unit]\nTimeScale = 0\n", {"--batch", "status"}, BatchExit::Ok, ""},
    };
    for (const Case& c : cases) {
        const Ran ran = RunBench(dir, c.Setup, c.Args);
        EXPECT_EQ(ran.Exit, c.Exit) << c.Args.join(' ').toStdString() << "\n" << ran.Err.constData();
        EXPECT_TRUE(ran.Err.contains(c.ErrorLine)) << c.Args.join(' ').toStdString() << "\n" << ran.Err.constData();
        if (c.Exit == BatchExit::Ok) {
            EXPECT_TRUE(ran.Out.startsWith("Peripheral Ok !")) << ran.Out.constData();
        }
    }
}

TEST(BatchRun, QuestionsTakeTheAnswerThatChangesNothingAndSaySo)
{
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    BatchOperator op(stdout, err, false, false, 0);
    struct Case {
        MessageButtons Buttons;
        MessageAnswer Answer;
    };
    for (const Case c : {Case{MessageButtons::Ok, MessageAnswer::Ok}, Case{MessageButtons::OkCancel, MessageAnswer::Cancel},
                         Case{MessageButtons::YesNo, MessageAnswer::No}})
        EXPECT_EQ(op.Message("Varn ERROR", "Erase\nall ?", c.Buttons, MessageIcon::Question), c.Answer);
    std::rewind(err);
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, err);
    std::fclose(err);
    EXPECT_EQ(std::string(text, n), "Varn ERROR: Erase\\nall ?\nVarn ERROR: Erase\\nall ? [answered Cancel]\n"
                                    "Varn ERROR: Erase\\nall ? [answered No]\n");
}
