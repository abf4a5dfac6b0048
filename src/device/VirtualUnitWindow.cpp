#include "device/VirtualUnitWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Fast enough to follow an automatic run, slow enough to cost nothing.
constexpr int RefreshMilliseconds = 200;
// A signal is shown at least this long, so a short blink is not missed.
constexpr qint64 ShortestShownMs = 1500;

const char* const LedNames[] = {"Green", "Red", "Amber"};
const QColor LedColours[] = {QColor(40, 200, 60), QColor(230, 40, 40), QColor(255, 170, 0)};

QString Text(const std::string& s) { return QString::fromStdString(s); }

QString Hex(uint8_t byte) { return QString("%1").arg(byte, 2, 16, QChar('0')).toUpper(); }

QString Describe(const std::optional<DocumentSummary>& d)
{
    if (!d)
        return "-";
    QString text = Text(d->Kind);
    if (!d->Codeline.empty())
        text += "  " + Text(d->Codeline);
    return text;
}

QString DescribePocket(const PocketRecord& pocket)
{
    return pocket.Count == 0 ? QString("empty")
                             : QString("%1   last: %2").arg(pocket.Count).arg(Describe(pocket.Last));
}

bool SameFeeder(const std::vector<DocumentSummary>& a, const std::vector<DocumentSummary>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DocumentSummary& x, const DocumentSummary& y) {
        return x.Kind == y.Kind && x.Codeline == y.Codeline && x.Details == y.Details;
    });
}

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent)
{
    auto* b = Named(new QPushButton(text, parent), name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

std::string FeederLinesFor(const PanelDocumentChoice& c, unsigned first)
{
    std::string lines;
    const int count = std::max(c.Count, 0);
    const bool plain = c.Micr == "E13B" && c.Ocr.empty() && c.Barcode.empty() && !c.Pdf417;
    if (c.Kind == "Cheque" && plain)
        return count > 0 ? "Cheques = " + std::to_string(count) + "\n" : std::string();
    for (int i = 0; i < count; ++i) {
        std::string line = "Document = " + c.Kind;
        if (c.Kind == "Cheque") {
            line += " | Micr = " + c.Micr;
            if (!c.Ocr.empty())
                line += " | Ocr = " + c.Ocr;
            // Beside an OCR line the generator leaves the barcode text out.
            if (!c.Barcode.empty())
                line += " | Barcode = " + c.Barcode + " | BarcodeText = " + std::to_string(40001000u + first + i);
            if (c.Pdf417)
                line += " | Pdf417 = VARN BENCH DOCUMENT " + std::to_string(first + i);
        } else if (c.Kind == "Blank") {
            line += " | Length = " + std::to_string(c.LengthMm);
        }
        lines += line + "\n";
    }
    return lines;
}

// ---- Lamp ------------------------------------------------------------------

PanelLamp::PanelLamp(QWidget* parent) : QWidget(parent) { setFixedSize(22, 22); }

void PanelLamp::SetLit(bool lit, const QColor& colour)
{
    if (lit == IsLit && colour == LampColour)
        return;
    IsLit = lit;
    LampColour = colour;
    update();
}

void PanelLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = IsLit ? LampColour : LampColour.darker(300);
    QRadialGradient glow(QPointF(8, 8), 12);
    glow.setColorAt(0, IsLit ? fill.lighter(160) : fill);
    glow.setColorAt(1, fill);
    p.setBrush(glow);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawEllipse(QRectF(2, 2, 18, 18));
}

// ---- Window ----------------------------------------------------------------

VirtualUnitWindow::VirtualUnitWindow(VirtualUnitControl control, QWidget* frame)
    : QWidget(frame, Qt::Tool), Control(std::move(control))
{
    setObjectName("VirtualUnitWindow");
    setWindowTitle("Virtual Unit");

    auto* tabs = Named(new QTabWidget(this), "PanelTabs");
    tabs->addTab(BuildAddTab(), "&Documents");
    tabs->addTab(BuildFaultTab(), "&Faults");
    tabs->addTab(BuildBadgeTab(), "&Badge");
    tabs->addTab(BuildMemoryTab(), "&Memory");

    auto* split = Named(new QSplitter(Qt::Vertical, this), "PanelSplit");
    split->addWidget(BuildFeeder());
    split->addWidget(tabs);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);
    split->setSizes({380, 250});

    Message = Named(new QLabel(this), "PanelMessage");
    Message->setStyleSheet("color: #555;");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addWidget(BuildStatus());
    layout->addWidget(BuildPockets());
    layout->addWidget(split, 1);
    layout->addWidget(Message);

    Refresh();
    ShowCondition(Snapshot.Condition);
    Timer = new QTimer(this);
    Timer->setObjectName("PanelTimer");
    connect(Timer, &QTimer::timeout, this, &VirtualUnitWindow::Refresh);
    Timer->start(RefreshMilliseconds);
    resize(560, 720);
}

QWidget* VirtualUnitWindow::BuildStatus()
{
    auto* box = new QGroupBox("Unit", this);
    auto* grid = new QGridLayout(box);
    StatusText = Named(new QLabel(box), "UnitStatus");
    StatusText->setWordWrap(true);
    Led = Named(new PanelLamp(box), "LedLamp");
    LedText = Named(new QLabel("LED: off", box), "LedText");
    Beeper = Named(new PanelLamp(box), "BeepLamp");
    BeepText = Named(new QLabel("Beep: none", box), "BeepText");
    grid->addWidget(StatusText, 0, 0, 1, 4);
    grid->addWidget(Led, 1, 0);
    grid->addWidget(LedText, 1, 1);
    grid->addWidget(Beeper, 1, 2);
    grid->addWidget(BeepText, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* VirtualUnitWindow::BuildFeeder()
{
    auto* box = new QGroupBox("Feeder (top first)", this);
    FeederTitle = nullptr;
    FeederView = Named(new QTreeWidget(box), "FeederList");
    FeederView->setHeaderLabels({"#", "Kind", "Codeline", "Details"});
    FeederView->setRootIsDecorated(false);
    FeederView->setUniformRowHeights(true);
    FeederView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FeederView->setAlternatingRowColors(true);
    FeederView->header()->setStretchLastSection(true);
    FeederView->setColumnWidth(0, 30);
    FeederView->setColumnWidth(1, 105);
    FeederView->setColumnWidth(2, 245);
    FeederView->setMinimumHeight(140);
    auto* remove = Button("&Remove", "RemoveDocuments", box);
    auto* clear = Button("&Clear Feeder", "ClearFeeder", box);
    connect(remove, &QPushButton::clicked, this, &VirtualUnitWindow::RemoveSelected);
    connect(clear, &QPushButton::clicked, this, [this] {
        Control.EmptyFeeder();
        Say("Feeder emptied.");
        Refresh();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(remove);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(FeederView);
    layout->addLayout(buttons);
    return box;
}

QWidget* VirtualUnitWindow::BuildPockets()
{
    auto* box = new QGroupBox("Path and pockets", this);
    auto* form = new QFormLayout(box);
    form->setVerticalSpacing(2);
    InPath = Named(new QLabel(box), "InPath");
    Retained = Named(new QLabel(box), "RetainedPocket");
    Sorted = Named(new QLabel(box), "SortedPocket");
    Ejected = Named(new QLabel(box), "EjectedPocket");
    form->addRow("In the path:", InPath);
    form->addRow("Retained:", Retained);
    form->addRow("Sorted:", Sorted);
    form->addRow("Ejected:", Ejected);
    return box;
}

QWidget* VirtualUnitWindow::BuildAddTab()
{
    auto* page = new QWidget(this);
    AddKind = Named(new QComboBox(page), "AddKind");
    AddKind->addItem("Cheques", "Cheque");
    AddKind->addItem("E13B calibration document", "E13bCalibration");
    AddKind->addItem("Colour test document", "ColourTest");
    AddKind->addItem("White document", "White");
    AddKind->addItem("Document of a given length", "Blank");
    AddKind->addItem("Card", "Card");
    AddCount = Named(new QSpinBox(page), "AddCount");
    AddCount->setRange(1, 500);
    AddMicr = Named(new QComboBox(page), "AddMicr");
    AddMicr->addItem("E13B", "E13B");
    AddMicr->addItem("CMC7", "CMC7");
    AddOcr = Named(new QComboBox(page), "AddOcr");
    AddOcr->addItem("none", "");
    AddOcr->addItem("OCR-A", "OcrA");
    AddOcr->addItem("OCR-B", "OcrB");
    AddBarcode = Named(new QComboBox(page), "AddBarcode");
    AddBarcode->addItem("none", "");
    AddBarcode->addItem("2 of 5", "TwoOfFive");
    AddBarcode->addItem("Code 39", "Code39");
    AddBarcode->addItem("Code 128", "Code128");
    AddPdf417 = Named(new QCheckBox("PDF417 symbol", page), "AddPdf417");
    AddLength = Named(new QSpinBox(page), "AddLength");
    AddLength->setRange(20, 400);
    AddLength->setValue(200);
    AddLength->setSuffix(" mm");
    auto* add = Button("&Add to Feeder", "AddDocuments", page);
    connect(add, &QPushButton::clicked, this, &VirtualUnitWindow::AddDocuments);

    const auto kindChanged = [this] {
        const QString kind = AddKind->currentData().toString();
        const bool cheque = kind == "Cheque";
        for (QWidget* w : std::initializer_list<QWidget*>{AddMicr, AddOcr, AddBarcode, AddPdf417})
            w->setEnabled(cheque);
        AddLength->setEnabled(kind == "Blank");
    };
    connect(AddKind, &QComboBox::currentIndexChanged, this, kindChanged);
    kindChanged();

    auto* optional = new QHBoxLayout;
    optional->addWidget(new QLabel("OCR", page));
    optional->addWidget(AddOcr);
    optional->addWidget(new QLabel("Barcode", page));
    optional->addWidget(AddBarcode);
    optional->addWidget(AddPdf417);
    optional->addStretch(1);
    auto* form = new QFormLayout(page);
    form->addRow("Kind:", AddKind);
    form->addRow("How many:", AddCount);
    form->addRow("MICR font:", AddMicr);
    form->addRow("Optional:", optional);
    form->addRow("Length:", AddLength);
    form->addRow("", add);
    return page;
}

QWidget* VirtualUnitWindow::BuildFaultTab()
{
    auto* page = new QWidget(this);
    auto* onCall = new QGroupBox("Reply code on the next call", page);
    FaultOperation = Named(new QComboBox(onCall), "FaultOperation");
    FaultOperation->setEditable(true);
    FaultOperation->addItems({"Varn_DocHandle", "Varn_ReadImage", "Varn_ReadCodeline", "Varn_AutoDocHandle",
                              "Varn_GetDocData", "Varn_Identify", "Varn_PeripheralStatus", "Varn_Reset", "VnConnect",
                              "Varn_ReadBadge", "Varn_ReadE13BSignal", "Varn_ScannerCalibration", "VnBeep", "VnLED"});
    FaultReply = Named(new QSpinBox(onCall), "FaultReply");
    FaultReply->setRange(-999, 999);
    FaultReply->setValue(-2);
    auto* armCall = Button("Arm", "ArmCallFault", onCall);
    connect(armCall, &QPushButton::clicked, this, &VirtualUnitWindow::ArmCallFault);
    auto* callRow = new QHBoxLayout(onCall);
    callRow->addWidget(FaultOperation, 1);
    callRow->addWidget(new QLabel("replies", onCall));
    callRow->addWidget(FaultReply);
    callRow->addWidget(armCall);

    auto* onDoc = new QGroupBox("On a document (1 = the next one fed)", page);
    FaultOrdinal = Named(new QSpinBox(onDoc), "FaultOrdinal");
    FaultOrdinal->setRange(1, 9999);
    FaultOrdinal->setPrefix("no. ");
    FaultKind = Named(new QComboBox(onDoc), "FaultKind");
    FaultKind->addItem("Jam", int(DocumentFaultKind::Jam));
    FaultKind->addItem("Double feed", int(DocumentFaultKind::DoubleFeed));
    FaultKind->addItem("Double feed, stopped", int(DocumentFaultKind::DoubleFeedStop));
    FaultKind->addItem("Reply code", int(DocumentFaultKind::Reply));
    FaultDocReply = Named(new QSpinBox(onDoc), "FaultDocumentReply");
    FaultDocReply->setRange(-999, 999);
    FaultDocReply->setValue(-4);
    auto* armDoc = Button("Arm", "ArmDocumentFault", onDoc);
    connect(armDoc, &QPushButton::clicked, this, &VirtualUnitWindow::ArmDocumentFault);
    connect(FaultKind, &QComboBox::currentIndexChanged, this,
            [this] { FaultDocReply->setEnabled(FaultKind->currentData().toInt() == int(DocumentFaultKind::Reply)); });
    FaultDocReply->setEnabled(false);
    auto* docRow = new QHBoxLayout(onDoc);
    docRow->addWidget(FaultOrdinal);
    docRow->addWidget(FaultKind, 1);
    docRow->addWidget(FaultDocReply);
    docRow->addWidget(armDoc);

    auto* condition = new QGroupBox("Condition of the unit", page);
    Magnetised = Named(new QCheckBox("Magnetised belt", condition), "MagnetisedBelt");
    Loose = Named(new QCheckBox("Loose document", condition), "LooseDocument");
    Wear = Named(new QDoubleSpinBox(condition), "BeltWear");
    Wear->setRange(0, 1);
    Wear->setSingleStep(0.1);
    Ripple = Named(new QDoubleSpinBox(condition), "SpeedRipple");
    Ripple->setRange(0, 30);
    Ripple->setSuffix(" %");
    Lamp = Named(new QDoubleSpinBox(condition), "LampLevel");
    Lamp->setRange(0.1, 1.5);
    Lamp->setSingleStep(0.1);
    StreakOn = Named(new QCheckBox("Streak at", condition), "StreakOn");
    Streak = Named(new QDoubleSpinBox(condition), "StreakHeight");
    Streak->setRange(0, 100);
    Streak->setSuffix(" mm");
    auto* apply = Button("A&pply", "ApplyCondition", condition);
    connect(apply, &QPushButton::clicked, this, &VirtualUnitWindow::ApplyCondition);
    auto* grid = new QGridLayout(condition);
    grid->addWidget(new QLabel("Worn belt (0..1):", condition), 0, 0);
    grid->addWidget(Wear, 0, 1);
    grid->addWidget(Magnetised, 0, 2);
    grid->addWidget(new QLabel("Lamp (1 good):", condition), 1, 0);
    grid->addWidget(Lamp, 1, 1);
    grid->addWidget(Loose, 1, 2);
    grid->addWidget(new QLabel("Speed ripple:", condition), 2, 0);
    grid->addWidget(Ripple, 2, 1);
    auto* streakRow = new QHBoxLayout;
    streakRow->addWidget(StreakOn);
    streakRow->addWidget(Streak);
    grid->addLayout(streakRow, 2, 2);
    grid->addWidget(apply, 3, 2, Qt::AlignRight);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(onCall);
    layout->addWidget(onDoc);
    layout->addWidget(condition);
    layout->addStretch(1);
    return page;
}

QWidget* VirtualUnitWindow::BuildBadgeTab()
{
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    const char* names[] = {"Track1", "Track2", "Track3"};
    for (int i = 0; i < 3; ++i) {
        Track[i] = Named(new QLineEdit(page), names[i]);
        form->addRow(QString("Track %1:").arg(i + 1), Track[i]);
    }
    Track[0]->setPlaceholderText("B4000123456789012^DOE/JANE^2812");
    auto* swipe = Button("S&wipe Badge", "SwipeBadge", page);
    connect(swipe, &QPushButton::clicked, this, &VirtualUnitWindow::Swipe);
    form->addRow("", swipe);
    return page;
}

QWidget* VirtualUnitWindow::BuildMemoryTab()
{
    auto* page = new QWidget(this);
    KeptText = Named(new QLabel(page), "KeptValues");
    HistoryText = Named(new QLabel(page), "HistoryCounters");
    for (QLabel* l : {KeptText, HistoryText}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    }
    auto* reset = Button("Reset to a &Fresh Unit", "ResetKept", page);
    connect(reset, &QPushButton::clicked, this, &VirtualUnitWindow::ResetKept);
    auto* power = Button("&Power Cycle", "PowerCycle", page);
    connect(power, &QPushButton::clicked, this, [this] {
        Control.PowerCycle();
        Say("Switched off and on.");
        Refresh();
    });
    auto* columns = new QHBoxLayout;
    columns->addWidget(KeptText, 1);
    columns->addWidget(HistoryText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(power);
    buttons->addWidget(reset);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    return page;
}

void VirtualUnitWindow::PlaceBeside(const QWidget& frame)
{
    const QRect f = frame.frameGeometry();
    QPoint at(f.right() + 1, f.top());
    if (const QScreen* screen = frame.screen()) {
        const QRect free = screen->availableGeometry();
        at.setX(std::min(at.x(), free.right() - width()));
        resize(width(), std::min(height(), free.height() - 30));
    }
    move(at);
}

QString VirtualUnitWindow::LedColourName() const
{
    if (Snapshot.LastLed.Calls == 0 || Snapshot.LastLed.Value > 2)
        return {};
    return LedNames[Snapshot.LastLed.Value];
}

void VirtualUnitWindow::Say(const QString& text) { Message->setText(text); }

// ---- Showing -----------------------------------------------------------------

void VirtualUnitWindow::Refresh()
{
    // The snapshot is taken under the unit's lock and painted after it.
    VirtualUnitState s = Control.State();
    const bool feederChanged = !HaveSnapshot || !SameFeeder(s.Feeder, Snapshot.Feeder);
    Snapshot = std::move(s);
    HaveSnapshot = true;
    const VirtualUnitState& st = Snapshot;

    QStringList status;
    status << (st.Open ? QString("Connected (handle %1)").arg(st.Handle) : QString("Not connected"));
    if (st.JustOn)
        status << "just ON";
    if (st.Jammed)
        status << "<b>jammed</b>";
    if (st.Silent)
        status << "<b>silent (interference)</b>";
    if (st.AutoRunActive)
        status << "automatic run";
    if (st.BadgeReadWaiting)
        status << "badge read waiting";
    if (st.Badge)
        status << "badge swiped";
    status << QString("sense key %1, sensors %2 %3")
                  .arg(st.SenseKey)
                  .arg(st.Sensor[0], 2, 16, QChar('0'))
                  .arg(st.Sensor[1], 2, 16, QChar('0'));
    status << QString("%1 fed since power-on").arg(st.DocumentsFed);
    StatusText->setText(status.join(" · "));

    InPath->setText(st.InPath ? Describe(st.InPath) + (st.Jammed ? "  (stuck)" : "  (held)") : QString("clear"));
    Retained->setText(DescribePocket(st.Retained));
    Sorted->setText(DescribePocket(st.Sorted));
    Ejected->setText(DescribePocket(st.Ejected));
    if (feederChanged)
        ShowFeeder();
    ShowSignals();

    const auto& c = st.Configuration;
    KeptText->setText(QString("<b>Kept values</b><br>Trimmer: %1<br>Time sample: %2<br>Image calibration: %3<br>"
                              "Configuration: %4 %5 %6 %7%8<br>Memory write failures: %9")
                          .arg(st.Trimmer)
                          .arg(st.TimeSample)
                          .arg(st.ImageCalibration)
                          .arg(Hex(c[0]), Hex(c[1]), Hex(c[2]), Hex(c[3]))
                          .arg(st.ConfigurationWritten ? " (written)" : "")
                          .arg(st.MemoryWriteFailures));
    const HistoryRecord& h = st.History;
    HistoryText->setText(QString("<b>History</b><br>Processed: %1<br>Printed: %2<br>Stamped: %3<br>Retained: %4<br>"
                                 "Jams: %5<br>MICR errors: %6 (E13B %7)<br>Power-ons: %8<br>Work time: %9 min")
                             .arg(h.DocumentsProcessed)
                             .arg(h.DocumentsPrinted)
                             .arg(h.DocumentsStamped)
                             .arg(h.DocumentsRetained)
                             .arg(h.FeederJams)
                             .arg(h.MicrReadErrors)
                             .arg(h.E13bReadErrors)
                             .arg(h.PowerOns)
                             .arg(qulonglong(h.WorkTime) * 5));
}

void VirtualUnitWindow::ShowFeeder()
{
    const auto& feeder = Snapshot.Feeder;
    FeederView->setUpdatesEnabled(false);
    FeederView->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(int(feeder.size()));
    for (size_t i = 0; i < feeder.size(); ++i) {
        const DocumentSummary& d = feeder[i];
        auto* item = new QTreeWidgetItem(
            QStringList{QString::number(i + 1), Text(d.Kind), Text(d.Codeline), Text(d.Details)});
        item->setData(0, Qt::UserRole, qulonglong(i));
        if (!d.Codeline.empty())
            item->setFont(2, QFont("Monospace"));
        items << item;
    }
    FeederView->addTopLevelItems(items);
    FeederView->setUpdatesEnabled(true);
    if (auto* box = qobject_cast<QGroupBox*>(FeederView->parentWidget()))
        box->setTitle(QString("Feeder: %1 document%2 (top first)").arg(feeder.size()).arg(feeder.size() == 1 ? "" : "s"));
}

void VirtualUnitWindow::ShowSignals()
{
    const SignalRecord& led = Snapshot.LastLed;
    if (led.Calls != LedCalls) {
        LedCalls = led.Calls;
        LedSince.start();
    }
    if (led.Calls == 0) {
        Led->SetLit(false, Qt::gray);
    } else {
        const QColor colour = led.Value <= 2 ? LedColours[led.Value] : QColor(Qt::white);
        const qint64 period = qint64(led.TimeOn) + led.TimeOff;
        const qint64 age = LedSince.isValid() ? LedSince.elapsed() : ShortestShownMs;
        // Blinks by the asked pattern while the request is fresh, then
        // keeps its colour, dimmed, to say what was last asked.
        const bool active = age < std::max<qint64>(period, ShortestShownMs);
        const bool on = active && (period == 0 || age % std::max<qint64>(period, 1) < std::max<int>(led.TimeOn, 150));
        Led->SetLit(on, colour);
        LedText->setText(QString("LED: %1, %2 ms on / %3 ms off (%4×)")
                             .arg(LedColourName().isEmpty() ? QString::number(led.Value) : LedColourName())
                             .arg(led.TimeOn)
                             .arg(led.TimeOff)
                             .arg(led.Calls));
    }
    const SignalRecord& beep = Snapshot.LastBeep;
    if (beep.Calls != BeepCalls) {
        BeepCalls = beep.Calls;
        BeepSince.start();
    }
    if (beep.Calls != 0) {
        const qint64 length = qint64(beep.Value) * (qint64(beep.TimeOn) + beep.TimeOff);
        const bool sounding = BeepSince.isValid() && BeepSince.elapsed() < std::max(length, ShortestShownMs);
        Beeper->SetLit(sounding, QColor(80, 140, 255));
        BeepText->setText(QString("Beep: %1 × (%2 + %3 ms) (%4×)")
                              .arg(beep.Value)
                              .arg(beep.TimeOn)
                              .arg(beep.TimeOff)
                              .arg(beep.Calls));
    }
}

// ---- Acting ------------------------------------------------------------------

void VirtualUnitWindow::AddDocuments()
{
    PanelDocumentChoice c;
    c.Kind = AddKind->currentData().toString().toStdString();
    c.Count = AddCount->value();
    c.Micr = AddMicr->currentData().toString().toStdString();
    c.Ocr = AddOcr->currentData().toString().toStdString();
    c.Barcode = AddBarcode->currentData().toString().toStdString();
    c.Pdf417 = AddPdf417->isChecked();
    c.LengthMm = AddLength->value();
    const bool understood = Control.LoadDocumentsFromText(FeederLinesFor(c, Added + 1));
    Added += unsigned(c.Count);
    Say(understood ? QString("%1 × %2 added at the bottom of the stack.").arg(c.Count).arg(AddKind->currentText())
                   : QString("The unit did not take every document."));
    Refresh();
}

void VirtualUnitWindow::RemoveSelected()
{
    std::vector<size_t> rows;
    for (QTreeWidgetItem* item : FeederView->selectedItems())
        rows.push_back(size_t(item->data(0, Qt::UserRole).toULongLong()));
    // From the bottom up, so the places still name the same documents.
    std::sort(rows.rbegin(), rows.rend());
    int removed = 0;
    for (size_t row : rows)
        removed += Control.RemoveDocument(row) ? 1 : 0;
    Say(rows.empty() ? QString("Select the documents to take out.") : QString("%1 taken out.").arg(removed));
    Refresh();
}

void VirtualUnitWindow::ArmCallFault()
{
    const QString operation = FaultOperation->currentText().trimmed();
    if (Control.ArmOperationFault(operation.toStdString(), FaultReply->value()))
        Say(QString("The next %1 replies %2.").arg(operation).arg(FaultReply->value()));
    else
        Say(QString("Not armed: unknown operation \"%1\" or a reply of 0.").arg(operation));
}

void VirtualUnitWindow::ArmDocumentFault()
{
    const auto kind = static_cast<DocumentFaultKind>(FaultKind->currentData().toInt());
    const uint32_t ordinal = uint32_t(FaultOrdinal->value());
    Control.ArmDocumentFault(ordinal, kind, FaultDocReply->value());
    Say(QString("Armed: %1 on document no. %2 from now.").arg(FaultKind->currentText()).arg(ordinal));
}

void VirtualUnitWindow::ShowCondition(const UnitCondition& c)
{
    Magnetised->setChecked(c.MagnetisedBelt);
    Loose->setChecked(c.LooseDocument);
    Wear->setValue(c.BeltWear);
    Ripple->setValue(c.SpeedRipplePercent);
    Lamp->setValue(c.LampLevel);
    StreakOn->setChecked(c.StreakMm >= 0);
    Streak->setValue(c.StreakMm >= 0 ? c.StreakMm : 20.0);
}

void VirtualUnitWindow::ApplyCondition()
{
    UnitCondition c;
    c.MagnetisedBelt = Magnetised->isChecked();
    c.LooseDocument = Loose->isChecked();
    c.BeltWear = Wear->value();
    c.SpeedRipplePercent = Ripple->value();
    c.LampLevel = Lamp->value();
    c.StreakMm = StreakOn->isChecked() ? Streak->value() : -1.0;
    Control.SetCondition(c);
    Say("The unit's condition is set.");
    Refresh();
}

void VirtualUnitWindow::Swipe()
{
    Control.SwipeBadge({Track[0]->text().toStdString(), Track[1]->text().toStdString(),
                        Track[2]->text().toStdString()});
    Say("Badge swiped.");
    Refresh();
}

void VirtualUnitWindow::ResetKept()
{
    Say(Control.ResetKeptValues() ? QString("Kept values as the unit left the factory.")
                                  : QString("Reset, but the memory file could not be written."));
    Refresh();
}
