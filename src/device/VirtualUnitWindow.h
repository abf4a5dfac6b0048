// The virtual unit's panel: a tool window beside the frame that shows what
// lies in the unit and what it was last asked to do, and does with the unit
// what a person's hands do with a real one (documents in the feeder, a jam, a
// badge swipe). It talks to the unit through its own control only; the view
// is refreshed from snapshots, so it never holds the unit while it paints.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <string>

#include "vnapi/VirtualUnitTestApi.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;
class QTreeWidget;

// A round lamp: the LED and the beeper.
class PanelLamp : public QWidget {
public:
    explicit PanelLamp(QWidget* parent);
    void SetLit(bool lit, const QColor& colour);
    bool Lit() const { return IsLit; }
    QColor Colour() const { return LampColour; }
    QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsLit = false;
    QColor LampColour{Qt::gray};
};

// What the "Add" controls ask for, as lines of the set-up file's [Feeder]
// section. Kind: "Cheque", "E13bCalibration", "ColourTest", "White", "Blank",
// "Card"; first numbers the generated texts so that each added cheque differs.
struct PanelDocumentChoice {
    std::string Kind = "Cheque";
    int Count = 1;
    std::string Micr = "E13B"; // or "CMC7"
    std::string Ocr;           // "", "OcrA", "OcrB"
    std::string Barcode;       // "", "TwoOfFive", "Code39", "Code128"
    bool Pdf417 = false;
    int LengthMm = 200;        // for "Blank"
};
std::string FeederLinesFor(const PanelDocumentChoice& choice, unsigned first);

class VirtualUnitWindow : public QWidget {
    Q_OBJECT

public:
    // A tool window of frame (kept above it, closed with it).
    VirtualUnitWindow(VirtualUnitControl control, QWidget* frame);

    // Takes a snapshot of the unit and shows it; the timer calls it.
    void Refresh();
    // Puts the window against the right edge of the frame.
    void PlaceBeside(const QWidget& frame);

    // The LED as the panel shows it: its colour's name ("Green", "Red",
    // "Amber"), empty while the unit was never asked to light it.
    QString LedColourName() const;
    const VirtualUnitState& Shown() const { return Snapshot; }

private:
    QWidget* BuildStatus();
    QWidget* BuildFeeder();
    QWidget* BuildPockets();
    QWidget* BuildAddTab();
    QWidget* BuildFaultTab();
    QWidget* BuildBadgeTab();
    QWidget* BuildMemoryTab();
    void ShowFeeder();
    void ShowSignals();
    void Say(const QString& text);

    void AddDocuments();
    void RemoveSelected();
    void ArmCallFault();
    void ArmDocumentFault();
    void ApplyCondition();
    void ShowCondition(const UnitCondition& c);
    void Swipe();
    void ResetKept();

    VirtualUnitControl Control;
    VirtualUnitState Snapshot;
    bool HaveSnapshot = false;
    QTimer* Timer = nullptr;
    unsigned Added = 0;

    // Signals: when the last LED and beep request was seen.
    uint32_t LedCalls = 0;
    uint32_t BeepCalls = 0;
    QElapsedTimer LedSince;
    QElapsedTimer BeepSince;

    QLabel* StatusText = nullptr;
    PanelLamp* Led = nullptr;
    QLabel* LedText = nullptr;
    PanelLamp* Beeper = nullptr;
    QLabel* BeepText = nullptr;
    QTreeWidget* FeederView = nullptr;
    QLabel* FeederTitle = nullptr;
    QLabel* InPath = nullptr;
    QLabel* Retained = nullptr;
    QLabel* Sorted = nullptr;
    QLabel* Ejected = nullptr;
    QLabel* KeptText = nullptr;
    QLabel* HistoryText = nullptr;
    QLabel* Message = nullptr;

    QComboBox* AddKind = nullptr;
    QSpinBox* AddCount = nullptr;
    QComboBox* AddMicr = nullptr;
    QComboBox* AddOcr = nullptr;
    QComboBox* AddBarcode = nullptr;
    QCheckBox* AddPdf417 = nullptr;
    QSpinBox* AddLength = nullptr;

    QComboBox* FaultOperation = nullptr;
    QSpinBox* FaultReply = nullptr;
    QSpinBox* FaultOrdinal = nullptr;
    QComboBox* FaultKind = nullptr;
    QSpinBox* FaultDocReply = nullptr;
    QCheckBox* Magnetised = nullptr;
    QCheckBox* Loose = nullptr;
    QDoubleSpinBox* Wear = nullptr;
    QDoubleSpinBox* Ripple = nullptr;
    QDoubleSpinBox* Lamp = nullptr;
    QCheckBox* StreakOn = nullptr;
    QDoubleSpinBox* Streak = nullptr;

    QLineEdit* Track[3] = {};
};
