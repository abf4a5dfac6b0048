#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "quality/QualityCheck.h"
#include "quality/QualityPlots.h"

struct Bench;
class QLabel;
class QPushButton;
class QRadioButton;

// "Check Quality Image": scans or loads an image of the colour test
// document, shows a band's statistics and row profiles, runs the quality
// check, writes the band reports and plots a white document's histogram.
class QualityImageDialog : public QDialog {
    Q_OBJECT
public:
    explicit QualityImageDialog(Bench& bench, QWidget* parent = nullptr);

    void ScanDocument();
    void LoadDocument(const QString& path);
    void CheckImage();
    void SaveValues();
    void WhiteDocument();
    // The checked buttons go back to the settings.
    void done(int result) override;

    const QString& ResultText() const { return Result; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowBand();
    int CheckedBandColumn() const;
    QString ImagesFolder() const;

    Bench& Session;
    std::vector<uint8_t> Image; // empty: no image held
    QString Result;
    int SaveCounter = 1;
    std::array<QRadioButton*, 6> Bands{}; // Red, Green, Blue, Yellow, Black, White
    QRadioButton* Colour = nullptr;
    QRadioButton* Grey = nullptr;
    QRadioButton* Front = nullptr;
    QRadioButton* Back = nullptr;
    QPushButton* SaveFiles = nullptr;
    QLabel* ResultLabel = nullptr;
};
