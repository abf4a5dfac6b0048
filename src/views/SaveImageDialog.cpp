#include "views/SaveImageDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Operator.h"

namespace {

const char* const CompressionNames[] = {"None", "CCITT RLE", "CCITT G3 1-D", "CCITT G3 2-D", "CCITT G4"};

bool HasKnownSuffix(const QString& name)
{
    static const QStringList known = {"bmp", "jpg", "jpeg", "jff", "jtf", "tif", "tiff"};
    return known.contains(QFileInfo(name).suffix().toLower());
}

QString FilterOf(const SaveFormatEntry& entry)
{
    return QStringLiteral("%1 (*.%2)").arg(QLatin1String(entry.Name), QLatin1String(entry.Suffix));
}

} // namespace

SaveImageDialog::SaveImageDialog(Operator& op, int formatIndex, int pictureBits, const SaveDialogChoices& last,
                                 QWidget* parent)
    : QDialog(parent), Op(op), PictureBits(pictureBits), Last(last)
{
    setObjectName("SaveImageDialog");
    setWindowTitle("Save As");
    const auto& table = SaveFormatTable();

    NameEdit = new QLineEdit(last.FileName, this);
    NameEdit->setObjectName("FileNameEdit");
    NameEdit->setMinimumWidth(320);
    NameEdit->setMaxLength(259); // the path buffer holds 260 with its NUL
    auto* browse = new QPushButton("&Browse...", this);
    browse->setObjectName("BrowseButton");
    connect(browse, &QPushButton::clicked, this, &SaveImageDialog::Browse);

    FormatBox = new QComboBox(this);
    FormatBox->setObjectName("FormatCombo");
    for (const SaveFormatEntry& entry : table)
        FormatBox->addItem(QLatin1String(entry.Name));
    FormatBox->setCurrentIndex(std::clamp(formatIndex, 0, static_cast<int>(table.size()) - 1));

    BitsBox = new QComboBox(this);
    BitsBox->setObjectName("BitsCombo");

    CompressionBox = new QComboBox(this);
    CompressionBox->setObjectName("CompressionCombo");
    for (const char* name : CompressionNames)
        CompressionBox->addItem(QLatin1String(name));
    CompressionBox->setCurrentIndex(static_cast<int>(last.Compression));

    QualityBox = new QSpinBox(this);
    QualityBox->setObjectName("QualitySpin");
    QualityBox->setRange(MinQualityFactor, MaxQualityFactor);
    QualityBox->setValue(std::clamp(last.QualityFactor, MinQualityFactor, MaxQualityFactor));

    FillBits(last.BitsPerFormat[static_cast<size_t>(FormatIndex())]);
    UpdateControls();
    connect(FormatBox, &QComboBox::currentIndexChanged, this, &SaveImageDialog::FormatChanged);
    connect(BitsBox, &QComboBox::currentIndexChanged, this, &SaveImageDialog::UpdateControls);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("SaveButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("Cancel");
    // Some desktops' button texts carry mnemonics of their own that would
    // clash with the labels' ones.
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &SaveImageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(NameEdit);
    nameRow->addWidget(browse);
    // Each label takes its control's mnemonic; "&Browse..." has B, so the
    // bit depth takes P.
    auto label = [this](const char* text, const char* name, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    auto* form = new QFormLayout;
    form->addRow(label("File &name:", "FileNameLabel", NameEdit), nameRow);
    form->addRow(label("&Format:", "FormatLabel", FormatBox), FormatBox);
    form->addRow(label("Bits per &pixel:", "BitsLabel", BitsBox), BitsBox);
    form->addRow(label("&Compression:", "CompressionLabel", CompressionBox), CompressionBox);
    form->addRow(label("&Quality factor:", "QualityLabel", QualityBox), QualityBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int SaveImageDialog::FormatIndex() const { return std::max(FormatBox->currentIndex(), 0); }

void SaveImageDialog::FillBits(int preferred)
{
    const SaveFormatEntry& entry = SaveFormatTable()[static_cast<size_t>(FormatIndex())];
    const QSignalBlocker block(BitsBox);
    BitsBox->clear();
    for (int bits : entry.BitDepths)
        BitsBox->addItem(QString::number(bits), bits);
    // The last choice for this format, else the picture's own depth, else the
    // deepest the format offers.
    int index = BitsBox->findData(preferred);
    if (index < 0)
        index = BitsBox->findData(PictureBits);
    if (index < 0)
        index = BitsBox->count() - 1;
    BitsBox->setCurrentIndex(index);
}

void SaveImageDialog::UpdateControls()
{
    const SaveFormat format = SaveFormatTable()[static_cast<size_t>(FormatIndex())].Format;
    CompressionBox->setEnabled(format == SaveFormat::Tiff && BitsBox->currentData().toInt() == 1);
    QualityBox->setEnabled(format == SaveFormat::Jpeg);
}

void SaveImageDialog::FormatChanged()
{
    const SaveFormatEntry& entry = SaveFormatTable()[static_cast<size_t>(FormatIndex())];
    FillBits(Last.BitsPerFormat[static_cast<size_t>(FormatIndex())]);
    // A name that ends in another format's suffix follows the format.
    const QString name = NameEdit->text();
    if (HasKnownSuffix(name)) {
        const QFileInfo info(name);
        const QString stem = name.left(name.size() - info.suffix().size());
        NameEdit->setText(stem + QLatin1String(entry.Suffix));
    }
    UpdateControls();
}

void SaveImageDialog::Browse()
{
    const SaveFormatEntry& entry = SaveFormatTable()[static_cast<size_t>(FormatIndex())];
    QString path = NameEdit->text();
    if (Op.AskSaveFileName({FilterOf(entry)}, QLatin1String(entry.Suffix), path))
        NameEdit->setText(path);
}

QString SaveImageDialog::FileName() const
{
    const QString name = NameEdit->text().trimmed();
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + '.' + QLatin1String(SaveFormatTable()[static_cast<size_t>(FormatIndex())].Suffix);
}

SaveOptions SaveImageDialog::Options() const
{
    SaveOptions options;
    options.Format = SaveFormatTable()[static_cast<size_t>(FormatIndex())].Format;
    options.BitsPerPixel = BitsBox->currentData().toInt();
    options.QualityFactor = QualityBox->value();
    options.Compression = options.Format == SaveFormat::Tiff && options.BitsPerPixel == 1
                              ? static_cast<TiffCompression>(CompressionBox->currentIndex())
                              : TiffCompression::None;
    return options;
}

SaveDialogChoices SaveImageDialog::Choices() const
{
    SaveDialogChoices choices = Last;
    choices.FileName = FileName();
    choices.QualityFactor = QualityBox->value();
    choices.Compression = static_cast<TiffCompression>(CompressionBox->currentIndex());
    choices.BitsPerFormat[static_cast<size_t>(FormatIndex())] = BitsBox->currentData().toInt();
    return choices;
}

void SaveImageDialog::accept()
{
    if (NameEdit->text().trimmed().isEmpty()) {
        Op.Beep();
        NameEdit->setFocus();
        return;
    }
    QDialog::accept();
}
