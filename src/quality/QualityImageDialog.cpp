#include "quality/QualityImageDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "quality/QualityBench.h"
#include "vnapi/imaging/BmpFile.h"

using namespace bench;

namespace {

// Kept for the run, as the plot and the first-call flag of the open dialog.
RowProfiles RunProfiles;
PackedBitmap RunPlot;
bool FileDialogOpenedBefore = false;

constexpr int BandButtonNumbers[6] = {1009, 1010, 1008, 1012, 1013, 1011};
constexpr int BandColumns[6] = {158, 354, 552, 740, 944, 1142};
constexpr const char* BandLabels[6] = {"Red", "Green", "Blue", "Yellow", "Black", "White"};

QImage PlotImage(const PackedBitmap& plot)
{
    const int w = plot.Width();
    const int h = plot.Height();
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* entry = plot.ColorEntry(QualityPlotPixel(plot, x, y));
            image.setPixel(x, h - 1 - y, qRgb(entry[2], entry[1], entry[0]));
        }
    return image;
}

bool SaveImage(const std::vector<uint8_t>& bytes, const QString& path)
{
    const PackedBitmap dib(bytes);
    return imaging::SaveBmp(&dib, QFile::encodeName(path).constData()) == 0;
}

} // namespace

QualityImageDialog::QualityImageDialog(Bench& bench, QWidget* parent) : QDialog(parent), Session(bench)
{
    setObjectName("QualityImageDialog");
    setWindowTitle("Check Quality Image");
    SettingsRecord& settings = bench.State.Settings;
    const std::string folder = bench.State.ProgramFolder + "Images";
    settings.QualityImageFolder.fill(0);
    std::snprintf(settings.QualityImageFolder.data(), settings.QualityImageFolder.size(), "%s", folder.c_str());

    auto* bandGroup = new QGroupBox("Color Checked", this);
    bandGroup->setObjectName("BandGroup");
    auto* bandLayout = new QVBoxLayout(bandGroup);
    for (int i = 0; i < 6; ++i) {
        Bands[static_cast<size_t>(i)] = new QRadioButton(BandLabels[i], bandGroup);
        Bands[static_cast<size_t>(i)]->setObjectName(QString("Band%1").arg(BandLabels[i]));
        Bands[static_cast<size_t>(i)]->setChecked(settings.QualityChoice1 == BandButtonNumbers[i]);
        bandLayout->addWidget(Bands[static_cast<size_t>(i)]);
        connect(Bands[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this] {
            if (!Image.empty()) {
                ShowBand();
                update();
            }
        });
    }
    auto* scaleGroup = new QGroupBox("Scale", this);
    scaleGroup->setObjectName("ScaleGroup");
    auto* scaleLayout = new QVBoxLayout(scaleGroup);
    Colour = new QRadioButton("Color", scaleGroup);
    Colour->setObjectName("ScaleColor");
    Grey = new QRadioButton("Grey", scaleGroup);
    Grey->setObjectName("ScaleGrey");
    Colour->setChecked(settings.QualityChoice2 == 1225);
    Grey->setChecked(settings.QualityChoice2 == 1227);
    scaleLayout->addWidget(Colour);
    scaleLayout->addWidget(Grey);
    auto* sideGroup = new QGroupBox("Side", this);
    sideGroup->setObjectName("SideGroup");
    auto* sideLayout = new QVBoxLayout(sideGroup);
    Front = new QRadioButton("Front", sideGroup);
    Front->setObjectName("SideFront");
    Back = new QRadioButton("Back", sideGroup);
    Back->setObjectName("SideBack");
    Front->setChecked(settings.QualityChoice3 == 1203);
    Back->setChecked(settings.QualityChoice3 == 1204);
    sideLayout->addWidget(Front);
    sideLayout->addWidget(Back);

    auto button = [this](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    };
    QPushButton* load = button("&Load Document", "LoadButton");
    QPushButton* scan = button("&Scan Document", "ScanButton");
    QPushButton* calibration = button("&Calibration", "CalibrationButton");
    calibration->setEnabled(false);
    SaveFiles = button("Save values on &files", "SaveFilesButton");
    SaveFiles->setEnabled(false);
    QPushButton* white = button("&White Doc.", "WhiteButton");
    QPushButton* check = button("Chec&k", "CheckButton");

    ResultLabel = new QLabel(this);
    ResultLabel->setObjectName("ResultText");
    ResultLabel->setMinimumHeight(3 * fontMetrics().height());

    auto* controls = new QHBoxLayout;
    controls->addWidget(bandGroup);
    controls->addWidget(scaleGroup);
    controls->addWidget(sideGroup);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {load, scan, calibration, SaveFiles, white, check})
        buttons->addWidget(b);
    controls->addLayout(buttons);
    controls->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1); // the plot is painted in the upper part
    layout->addWidget(ResultLabel);
    layout->addLayout(controls);
    resize(760, 720);

    connect(scan, &QPushButton::clicked, this, &QualityImageDialog::ScanDocument);
    connect(load, &QPushButton::clicked, this, [this] {
        // The first dialog of the session starts in the folder kept in the
        // settings; later ones where the last one ended.
        QString path = FileDialogOpenedBefore ? QString()
                                              : QString::fromLatin1(Session.State.Settings.QualityImageFolder.data());
        FileDialogOpenedBefore = true;
        if (Session.Op.AskOpenFileName({"*.BMP (*.bmp)", "ALL (*.*)"}, "bmp", path) && !path.isEmpty())
            LoadDocument(path);
    });
    connect(SaveFiles, &QPushButton::clicked, this, &QualityImageDialog::SaveValues);
    connect(white, &QPushButton::clicked, this, &QualityImageDialog::WhiteDocument);
    connect(check, &QPushButton::clicked, this, &QualityImageDialog::CheckImage);
}

QString QualityImageDialog::ImagesFolder() const
{
    return QString::fromStdString(Session.State.ProgramFolder) + "Images/";
}

int QualityImageDialog::CheckedBandColumn() const
{
    for (size_t i = 0; i < 6; ++i)
        if (Bands[i]->isChecked())
            return BandColumns[i];
    return -1;
}

void QualityImageDialog::ShowBand()
{
    const int column = CheckedBandColumn();
    BandStatistics statistics;
    if (column < 0 || !ComputeBandStatistics(column, BandWidth, Image, RunProfiles, statistics)) {
        const auto problem = TestImageProblem(Image);
        Result = column < 0 ? QString("No band chosen !") : QString::fromStdString(problem.value_or("Image too small !"));
        ResultLabel->setText(Result);
        return;
    }
    Result = QString::fromStdString(StatisticsText(statistics));
    const auto layout = ReadTestImageLayout(Image);
    HalveProfiles(layout->Height, RunProfiles, statistics.Light[BlueLight].Average,
                  statistics.Light[GreenLight].Average, statistics.Light[RedLight].Average);
    ResultLabel->setText(Result);
    RunPlot = DrawProfilePlot(layout->Height, layout->Colour, RunProfiles);
}

void QualityImageDialog::ScanDocument()
{
    RunProfiles.Clear();
    ImageHandle image;
    if (ReadTestDocument(Session, Front->isChecked(), Colour->isChecked(), image) == 0 && image) {
        Image = image->Bytes();
        SaveImage(Image, ImagesFolder() + "Document.bmp");
        ShowBand();
    }
    SaveFiles->setEnabled(true);
    update();
}

void QualityImageDialog::LoadDocument(const QString& path)
{
    LoadedBitmap loaded = LoadQualityBitmap(QFile::encodeName(path).toStdString());
    if (!loaded.Opened)
        return;
    if (!loaded.Problem.empty()) {
        Session.Op.Message(DemoTitle, QString::fromStdString(loaded.Problem), MessageButtons::Ok,
                           MessageIcon::Warning);
        return;
    }
    Image = std::move(loaded.Bytes);
    ShowBand();
    update();
}

void QualityImageDialog::SaveValues()
{
    if (!Image.empty())
        AppendBandReports(Image, RunProfiles);
}

void QualityImageDialog::WhiteDocument()
{
    GreyHistogram histogram{};
    ImageHandle image;
    if (ReadTestDocument(Session, Front->isChecked(), false, image) == 0 && image) {
        SaveImage(image->Bytes(), ImagesFolder() + "Document.bmp");
        CountGreyLevels(image->Bytes(), histogram);
        const int level = MostFrequentGreyLevel(histogram);
        const uint32_t count = histogram[static_cast<size_t>(level)];
        Result = QString::fromStdString(HistogramText(level, count));
        RunPlot = DrawHistogramPlot(count, histogram);
        ResultLabel->setText(Result);
    }
    update();
}

void QualityImageDialog::CheckImage()
{
    if (Image.empty())
        return;
    std::string message;
    const auto layout = ReadTestImageLayout(Image);
    if (layout && layout->Colour) {
        if (CheckColourTestImage(Image, message, RunProfiles) == 1)
            message = "Test Image  OK !";
    } else {
        GreyByProducts byProducts;
        if (CheckGreyTestImage(Image, message, RunProfiles, byProducts) == 1)
            message = "Test Image  OK !";
        SaveImage(Image, ImagesFolder() + QString::asprintf("Document_%04d_%d_%d.bmp", SaveCounter,
                                                            byProducts.WhiteSpread, byProducts.WhiteMaxStep));
        ++SaveCounter;
    }
    Result = QString::fromStdString(message);
    Session.Op.Message(DemoTitle, Result, MessageButtons::Ok, MessageIcon::Information);
}

void QualityImageDialog::done(int result)
{
    SettingsRecord& settings = Session.State.Settings;
    for (size_t i = 0; i < 6; ++i)
        if (Bands[i]->isChecked()) {
            settings.QualityChoice1 = static_cast<uint16_t>(BandButtonNumbers[i]);
            break;
        }
    if (Colour->isChecked())
        settings.QualityChoice2 = 1225;
    else if (Grey->isChecked())
        settings.QualityChoice2 = 1227;
    if (Front->isChecked())
        settings.QualityChoice3 = 1203;
    else if (Back->isChecked())
        settings.QualityChoice3 = 1204;
    QDialog::done(result);
}

void QualityImageDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (RunPlot.Bytes().size() < 40)
        return;
    QPainter painter(this);
    painter.drawImage(width() / 100, height() / 4, PlotImage(RunPlot));
}
