// "&Open File..." and "&Save File..." through the frame: the file dialogs
// answered by script, the current front image, and the "Save As" choices.
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <tiffio.h>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "app/FrameWindow.h"
#include "core/CommandTable.h"
#include "views/ChildWindows.h"
#include "views/DibToBitmap.h"
#include "views/ImageChild.h"
#include "views/ImageFiles.h"
#include "views/SaveImageDialog.h"
#include "vnapi/ByteOrder.h"

namespace {

// Scripted answers, but the pictures it is asked to show do open windows.
class WindowingOperator : public ScriptedOperator {
public:
    FrameWindow* Frame = nullptr;
    void ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow) override
    {
        ScriptedOperator::ShowImage(title, image, fitToWindow);
        Frame->ImageWindows().ShowImage(title, image, fitToWindow);
    }
};

QImage BlackAndWhite(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, ((x / 5 + y / 3) % 4 == 0) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

QString ComboText(QDialog& dialog, const char* name)
{
    return dialog.findChild<QComboBox*>(name)->currentText();
}

} // namespace

class ImageFilesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openShowsTheFileAndMakesItTheCurrentFrontImage();
    void cancelledOpenLeavesTheCurrentFrontImage();
    void unreadableFileOpensNothing();
    void openTiff();
    void saveOffersTheLastFormatAgain();
    void failedSaveIsReported();
    void saveDialogOffers_data();
    void saveDialogOffers();
    void chosenDepthAndCompressionReachTheFile();
    void browseAsksForASaveName();
    void okNeedsAFileName();
    void allFilesMeansNamesWithoutADotToo();
    void saveDialogMnemonicsAreDistinct();

private:
    ImageChild* ShowPicture(const QImage& picture);

    QTemporaryDir Dir;
    std::unique_ptr<BenchState> State;
    std::unique_ptr<RecordingVnApi> Api;
    std::unique_ptr<WindowingOperator> Op;
    std::unique_ptr<FrameWindow> Frame;
};

void ImageFilesTest::init()
{
    State = std::make_unique<BenchState>();
    State->ProgramFolder = Dir.path().toStdString() + "/";
    Api = std::make_unique<RecordingVnApi>();
    Op = std::make_unique<WindowingOperator>();
    Frame = std::make_unique<FrameWindow>(*State, *Api, Op.get());
    Op->Frame = Frame.get();
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
}

void ImageFilesTest::cleanup()
{
    Frame.reset();
    Op.reset();
    Api.reset();
    State.reset();
}

ImageChild* ImageFilesTest::ShowPicture(const QImage& picture)
{
    QMdiSubWindow* sub = Frame->ImageWindows().CreateImageChild(std::string(1, '\0'), "picture", picture, true);
    return qobject_cast<ImageChild*>(sub->widget());
}

void ImageFilesTest::openShowsTheFileAndMakesItTheCurrentFrontImage()
{
    // A BMP with no resolution in its header.
    auto dib = BitmapToDib(BlackAndWhite(120, 60), 24);
    dib->SetResolution(0, 0);
    const QString path = Dir.filePath("cheque.bmp");
    QVERIFY(SaveDibAsBmp(*dib, path.toStdString()));

    std::string loadedPath;
    Api->SetHook("Varn_LoadImageFile", [&loadedPath](ApiCall& call) {
        loadedPath = static_cast<const char*>(call.Pointers[0]);
        *static_cast<ImageHandle*>(call.Pointers[1]) = PackedBitmap::Create(5, 4, 8, 200);
    });
    State->FitImageOption = 0;
    Op->QueueOpenFileName(path);
    Frame->OnFrameCommand(Cmd::OpenFile);

    QCOMPARE(Op->FileDialogs.size(), size_t(1));
    QVERIFY(!Op->FileDialogs[0].Save);
    QCOMPARE(Op->FileDialogs[0].Filters,
             (QStringList{"ALL (*)", "JPEG (*.jpg *.jff *.jtf)", "TIF (*.tif)", "BMP (*.bmp)"}));
    QCOMPARE(Op->FileDialogs[0].DefaultSuffix, QString("bmp"));

    QCOMPARE(QString::fromStdString(State->OpenFilePath), path);
    QCOMPARE(QString::fromStdString(loadedPath), path);
    QVERIFY(State->CurrentFrontImage);
    QCOMPARE(State->CurrentFrontImage->Width(), 5);

    const auto windows = Frame->MdiClient()->subWindowList();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows[0]->windowTitle(), path);
    auto* child = qobject_cast<ImageChild*>(windows[0]->widget());
    QVERIFY(!child->IsFitToWindow());
    QCOMPARE(child->Record().Bitmap.size(), QSize(120, 60));
    QCOMPARE(ImageDpiX(child->Record().Bitmap), 150);
    QCOMPARE(ImageDpiY(child->Record().Bitmap), 150);
    QVERIFY(child->findChildren<QWidget*>("VarnTEXT").isEmpty());
}

void ImageFilesTest::cancelledOpenLeavesTheCurrentFrontImage()
{
    State->CurrentFrontImage = PackedBitmap::Create(3, 3, 8, 300);
    State->OpenFilePath = "earlier.bmp";
    const PackedBitmap* before = State->CurrentFrontImage.get();

    Op->QueueOpenFileName(""); // Cancel
    Frame->OnFrameCommand(Cmd::OpenFile);
    Frame->OnFrameCommand(Cmd::OpenFile); // no answer at all: cancelled as well

    QCOMPARE(State->CurrentFrontImage.get(), before);
    QCOMPARE(State->OpenFilePath, std::string("earlier.bmp"));
    QVERIFY(Api->Calls().empty());
    QVERIFY(Frame->MdiClient()->subWindowList().isEmpty());
    QCOMPARE(Op->FileDialogs.size(), size_t(2));
}

void ImageFilesTest::unreadableFileOpensNothing()
{
    const QString path = Dir.filePath("junk.jpg");
    QFile junk(path);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a picture");
    junk.close();
    Op->QueueOpenFileName(path);
    Frame->OnFrameCommand(Cmd::OpenFile);
    QVERIFY(Frame->MdiClient()->subWindowList().isEmpty());
    QVERIFY(Api->CallsOf("Varn_LoadImageFile").empty());
    QVERIFY(!State->CurrentFrontImage);
}

void ImageFilesTest::openTiff()
{
    const QImage picture = BlackAndWhite(90, 40);
    SaveOptions options;
    options.Format = SaveFormat::Tiff;
    options.BitsPerPixel = 1;
    options.Compression = TiffCompression::CcittGroup4;
    const QString path = Dir.filePath("page.tif");
    QVERIFY(SaveImageToFile(picture, path, options));

    Op->QueueOpenFileName(path);
    Frame->OnFrameCommand(Cmd::OpenFile);
    QCOMPARE(Op->ImageTitles, (std::vector<QString>{path}));
    const auto windows = Frame->MdiClient()->subWindowList();
    QCOMPARE(windows.size(), 1);
    const QImage shown = qobject_cast<ImageChild*>(windows[0]->widget())->Record().Bitmap;
    QCOMPARE(shown.format(), QImage::Format_Mono);
    QCOMPARE(shown.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(5, 0), qRgb(255, 255, 255));
    QCOMPARE(Api->CallsOf("Varn_LoadImageFile").size(), size_t(1));
}

void ImageFilesTest::saveOffersTheLastFormatAgain()
{
    const QImage picture = BlackAndWhite(64, 48);
    ShowPicture(picture);
    const QString first = Dir.filePath("first");
    Op->QueueDialog([&first](QDialog& dialog) {
        if (dialog.windowTitle() != "Save As" || dialog.findChild<QComboBox*>("FormatCombo")->currentIndex() != 0)
            return -99;
        dialog.findChild<QLineEdit*>("FileNameEdit")->setText(first);
        dialog.findChild<QComboBox*>("FormatCombo")->setCurrentIndex(1);
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::SaveFile);
    QCOMPARE(State->LastSaveFormat, 1);
    QImage back;
    QVERIFY(LoadImageFile(first + ".jpg", back));
    QCOMPARE(back.size(), picture.size());
    QVERIFY(!Op->BusyCursor);

    QString format, name;
    Op->QueueDialog([&](QDialog& dialog) {
        format = ComboText(dialog, "FormatCombo");
        name = dialog.findChild<QLineEdit*>("FileNameEdit")->text();
        dialog.findChild<QPushButton*>("Cancel")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::SaveFile);
    QCOMPARE(format, QString("JPEG"));
    QCOMPARE(name, first + ".jpg");
    QCOMPARE(State->LastSaveFormat, 1);
}

void ImageFilesTest::failedSaveIsReported()
{
    ShowPicture(BlackAndWhite(64, 48));
    const QString path = Dir.filePath("no-such-folder/picture");
    Op->QueueDialog([&path](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("FileNameEdit")->setText(path);
        dialog.findChild<QComboBox*>("FormatCombo")->setCurrentIndex(0);
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::SaveFile);
    QVERIFY(!QFile::exists(path + ".bmp"));
    QCOMPARE(Op->Messages.size(), size_t(1));
    QCOMPARE(Op->Messages[0].Title, QString("Varn ERROR"));
    QVERIFY2(Op->Messages[0].Text.contains(path), qPrintable(Op->Messages[0].Text));
    QVERIFY(!Op->BusyCursor);
}

void ImageFilesTest::saveDialogOffers_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("depths");
    QTest::addColumn<bool>("quality");
    QTest::addColumn<QString>("compressionAt1Bit"); // "" when not offered

    QTest::newRow("BMP") << 0 << QStringList{"1", "4", "8", "24"} << false << "";
    QTest::newRow("JPEG") << 1 << QStringList{"8", "24"} << true << "";
    QTest::newRow("TIFF") << 2 << QStringList{"1", "4", "8", "24"} << false << "CCITT G4";
}

void ImageFilesTest::saveDialogOffers()
{
    QFETCH(int, format);
    QFETCH(QStringList, depths);
    QFETCH(bool, quality);
    QFETCH(QString, compressionAt1Bit);

    ScriptedOperator op;
    SaveDialogChoices last;
    last.Compression = TiffCompression::CcittGroup4;
    SaveImageDialog dialog(op, format, 24, last);
    QCOMPARE(dialog.windowTitle(), QString("Save As"));
    auto* bits = dialog.findChild<QComboBox*>("BitsCombo");
    QStringList offered;
    for (int i = 0; i < bits->count(); ++i)
        offered << bits->itemText(i);
    QCOMPARE(offered, depths);
    QCOMPARE(bits->currentText(), QString("24")); // the picture's own depth

    auto* spin = dialog.findChild<QSpinBox*>("QualitySpin");
    QCOMPARE(spin->isEnabled(), quality);
    QCOMPARE(spin->minimum(), 2);
    QCOMPARE(spin->maximum(), 255);
    QCOMPARE(spin->value(), 2);

    auto* compression = dialog.findChild<QComboBox*>("CompressionCombo");
    QVERIFY(!compression->isEnabled());
    bits->setCurrentIndex(bits->findText(depths.first()));
    QCOMPARE(compression->isEnabled(), !compressionAt1Bit.isEmpty());
    if (!compressionAt1Bit.isEmpty()) {
        QStringList names;
        for (int i = 0; i < compression->count(); ++i)
            names << compression->itemText(i);
        QCOMPARE(names, (QStringList{"None", "CCITT RLE", "CCITT G3 1-D", "CCITT G3 2-D", "CCITT G4"}));
        QCOMPARE(compression->currentText(), compressionAt1Bit);
        QCOMPARE(dialog.Options().Compression, TiffCompression::CcittGroup4);
    } else {
        QCOMPARE(dialog.Options().Compression, TiffCompression::None);
    }
}

void ImageFilesTest::chosenDepthAndCompressionReachTheFile()
{
    ShowPicture(BlackAndWhite(200, 100));
    const QString bmp = Dir.filePath("four.bmp");
    Op->QueueDialog([&bmp](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("FileNameEdit")->setText(bmp);
        dialog.findChild<QComboBox*>("FormatCombo")->setCurrentIndex(0);
        auto* bits = dialog.findChild<QComboBox*>("BitsCombo");
        bits->setCurrentIndex(bits->findText("4"));
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::SaveFile);
    QFile file(bmp);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(54);
    QCOMPARE(le::ReadU16(reinterpret_cast<const uint8_t*>(header.constData()) + 28), uint16_t(4));

    const QString tif = Dir.filePath("fax.tif");
    Op->QueueDialog([&tif](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("FileNameEdit")->setText(tif);
        dialog.findChild<QComboBox*>("FormatCombo")->setCurrentIndex(2);
        auto* bits = dialog.findChild<QComboBox*>("BitsCombo");
        bits->setCurrentIndex(bits->findText("1"));
        dialog.findChild<QComboBox*>("CompressionCombo")->setCurrentText("CCITT G3 2-D");
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::SaveFile);
    TIFF* tiff = TIFFOpen(QFile::encodeName(tif).constData(), "r");
    QVERIFY(tiff);
    uint16_t compression = 0, bitsPerSample = 0;
    uint32_t options = 0;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetField(tiff, TIFFTAG_GROUP3OPTIONS, &options);
    TIFFClose(tiff);
    QCOMPARE(compression, uint16_t(COMPRESSION_CCITTFAX3));
    QCOMPARE(options & GROUP3OPT_2DENCODING, uint32_t(GROUP3OPT_2DENCODING));
    QCOMPARE(bitsPerSample, uint16_t(1));
    QCOMPARE(State->LastSaveFormat, 2);
}

void ImageFilesTest::browseAsksForASaveName()
{
    ScriptedOperator op;
    SaveImageDialog dialog(op, 2, 8, SaveDialogChoices{});
    auto* name = dialog.findChild<QLineEdit*>("FileNameEdit");
    name->setText("scan.bmp");
    op.QueueSaveFileName(Dir.filePath("chosen.tif"));
    dialog.findChild<QPushButton*>("BrowseButton")->click();
    QCOMPARE(name->text(), Dir.filePath("chosen.tif"));
    QCOMPARE(op.FileDialogs.size(), size_t(1));
    QVERIFY(op.FileDialogs[0].Save);
    QCOMPARE(op.FileDialogs[0].Filters, QStringList{"TIFF (*.tif)"});
    QCOMPARE(op.FileDialogs[0].DefaultSuffix, QString("tif"));

    // Cancelled: the name stays.
    op.QueueSaveFileName("");
    dialog.findChild<QPushButton*>("BrowseButton")->click();
    QCOMPARE(name->text(), Dir.filePath("chosen.tif"));

    // A name with a format's suffix follows the format; one without gets it.
    dialog.findChild<QComboBox*>("FormatCombo")->setCurrentIndex(1);
    QCOMPARE(name->text(), Dir.filePath("chosen.jpg"));
    name->setText("plain");
    QCOMPARE(dialog.FileName(), QString("plain.jpg"));
}

void ImageFilesTest::okNeedsAFileName()
{
    ScriptedOperator op;
    SaveImageDialog dialog(op, 0, 24, SaveDialogChoices{});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.findChild<QPushButton*>("OK")->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(op.Beeps, 1);
    dialog.findChild<QLineEdit*>("FileNameEdit")->setText(Dir.filePath("x"));
    dialog.findChild<QPushButton*>("OK")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void ImageFilesTest::allFilesMeansNamesWithoutADotToo()
{
    // The patterns between the brackets, matched as a file dialog matches them.
    const QString all = OpenFileFilters().at(0);
    QCOMPARE(all.section(' ', 0, 0), QString("ALL"));
    const QString inside = all.mid(all.indexOf('(') + 1).chopped(1);
    auto matches = [&inside](const QString& name) {
        for (const QString& pattern : inside.split(' ', Qt::SkipEmptyParts))
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch())
                return true;
        return false;
    };
    QVERIFY(matches("Image_0001"));
    QVERIFY(matches("cheque.bmp"));
    QVERIFY(matches("archive.tar.gz"));
}

void ImageFilesTest::saveDialogMnemonicsAreDistinct()
{
    ScriptedOperator op;
    SaveImageDialog dialog(op, 0, 24, SaveDialogChoices{});
    QSet<QChar> keys;
    auto take = [&keys](const QString& text) {
        const qsizetype at = text.indexOf('&');
        if (at < 0 || at + 1 >= text.size())
            return true;
        const QChar key = text.at(at + 1).toLower();
        const bool fresh = !keys.contains(key);
        keys.insert(key);
        return fresh;
    };
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().contains('&'))
            continue;
        // Without a buddy a label shows its ampersand.
        QVERIFY2(label->buddy(), qPrintable(label->text()));
        QVERIFY2(take(label->text()), qPrintable(label->text()));
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        QVERIFY2(take(button->text()), qPrintable(button->text()));
    QCOMPARE(dialog.findChild<QLabel*>("FileNameLabel")->buddy(), dialog.findChild<QLineEdit*>("FileNameEdit"));
    QCOMPARE(dialog.findChild<QLabel*>("BitsLabel")->text(), QString("Bits per &pixel:"));
    QCOMPARE(dialog.findChild<QLabel*>("BitsLabel")->buddy(), dialog.findChild<QComboBox*>("BitsCombo"));
    QCOMPARE(keys.size(), 6);
}

QTEST_MAIN(ImageFilesTest)
#include "tst_imagefiles.moc"
