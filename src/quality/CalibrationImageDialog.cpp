#include "quality/CalibrationImageDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/Operator.h"
#include "quality/ImageCalibrationRun.h"

namespace {

// The status pictures: an hourglass-coloured disc while busy, green on
// success, red on failure.
QPixmap StatusDisc(const QColor& colour)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(2, 2, 28, 28);
    return picture;
}

QString Pixels(float value) { return QString::asprintf("%0.2f", static_cast<double>(value)); }

} // namespace

CalibrationImageDialog::CalibrationImageDialog(Bench& bench, QWidget* parent) : QDialog(parent), Session(bench)
{
    setObjectName("CalibrationImageDialog");
    setWindowTitle("Calibration Image");

    auto* lengthGroup = new QGroupBox("Insert document lenght", this);
    lengthGroup->setObjectName("LengthGroup");
    auto* lengthLayout = new QHBoxLayout(lengthGroup);
    auto* mm = new QLabel("mm. :", lengthGroup);
    mm->setObjectName("LengthLabel");
    Length = new QLineEdit(lengthGroup);
    Length->setObjectName("LengthField");
    Length->setValidator(new QIntValidator(0, 99999, Length));
    lengthLayout->addWidget(mm);
    lengthLayout->addWidget(Length);

    auto* pixelGroup = new QGroupBox("Horizontal Pixel nr.", this);
    pixelGroup->setObjectName("PixelGroup");
    auto* pixelLayout = new QGridLayout(pixelGroup);
    auto* teoric = new QLabel("Teoric :", pixelGroup);
    teoric->setObjectName("TheoreticalLabel");
    Theoretical = new QLabel("00000.00", pixelGroup);
    Theoretical->setObjectName("TheoreticalValue");
    auto* read = new QLabel("Read :", pixelGroup);
    read->setObjectName("MeasuredLabel");
    Measured = new QLabel("00000.00", pixelGroup);
    Measured->setObjectName("MeasuredValue");
    pixelLayout->addWidget(teoric, 0, 0);
    pixelLayout->addWidget(Theoretical, 0, 1);
    pixelLayout->addWidget(read, 1, 0);
    pixelLayout->addWidget(Measured, 1, 1);

    Pictures[0] = StatusDisc(QColor(255, 200, 0));
    Pictures[1] = StatusDisc(QColor(0, 170, 0));
    Pictures[2] = StatusDisc(QColor(210, 0, 0));
    StatusPicture = new QLabel(this);
    StatusPicture->setObjectName("StatusPicture");
    StatusPicture->setFixedSize(32, 32);
    StatusText = new QLabel(this);
    StatusText->setObjectName("StatusText");
    auto* statusLayout = new QHBoxLayout;
    statusLayout->addWidget(StatusPicture);
    statusLayout->addWidget(StatusText, 1);

    Calibrate = new QPushButton("&Calibration", this);
    Calibrate->setObjectName("CalibrationButton");
    Exit = new QPushButton("E&xit", this);
    Exit->setObjectName("ExitButton");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Calibrate);
    buttons->addWidget(Exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lengthGroup);
    layout->addWidget(pixelGroup);
    layout->addLayout(statusLayout);
    layout->addLayout(buttons);

    connect(Calibrate, &QPushButton::clicked, this, &CalibrationImageDialog::RunCalibration);
    connect(Exit, &QPushButton::clicked, this, &QDialog::accept);
    Length->setFocus();
}

void CalibrationImageDialog::ShowStatus(Status status, const QString& text)
{
    StatusPicture->setPixmap(Pictures[static_cast<int>(status)]);
    StatusText->setText(text);
}

void CalibrationImageDialog::SetControlsEnabled(bool enabled)
{
    Length->setEnabled(enabled);
    Calibrate->setEnabled(enabled);
    Exit->setEnabled(enabled);
}

void CalibrationImageDialog::RunCalibration()
{
    ShowStatus(Status::Busy, "Wait !");
    SetControlsEnabled(false);
    const auto millimetres = Length->text().toUInt();
    const bool ok = bench::RunImageCalibration(Session, millimetres, [this](float e, float m, const PackedBitmap&) {
        Theoretical->setText(Pixels(e));
        Measured->setText(Pixels(m));
        Session.Op.PumpEvents();
    });
    if (ok)
        ShowStatus(Status::Success, "Calibration Ok !");
    else
        ShowStatus(Status::Failure, "Calibration Ko !");
    SetControlsEnabled(true);
}
