#include "documents/InputDataDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "documents/DialogFields.h"

InputDataDialog::InputDataDialog(InputDataUse use, uint16_t& bwThreshold, QWidget* parent)
    : QDialog(parent), Use(use), BwThreshold(bwThreshold)
{
    setObjectName("InputDataDialog");
    setWindowTitle("Input data");

    QString valueLabel = "Polo Filter ( Range 50-600 )";
    if (use == InputDataUse::Brightness)
        valueLabel = "Brightness ( Range -1000 to 1000 )";
    else if (use == InputDataUse::Contrast)
        valueLabel = "Contrast ( Range -1000 to 1000 )";

    ValueGroup = new QGroupBox(valueLabel, this);
    ValueGroup->setObjectName("ValueGroup");
    ValueEdit = new QLineEdit("450", ValueGroup);
    ValueEdit->setObjectName("ValueEdit");
    (new QVBoxLayout(ValueGroup))->addWidget(ValueEdit);

    ThresholdGroup = new QGroupBox("Threshold Kmx 3 ( Range 0-15 )", this);
    ThresholdGroup->setObjectName("ThresholdGroup");
    ThresholdEdit = new QLineEdit(ThresholdGroup);
    ThresholdEdit->setObjectName("ThresholdEdit");
    (new QVBoxLayout(ThresholdGroup))->addWidget(ThresholdEdit);
    // Only the conversion has a second value.
    if (use == InputDataUse::ConvertToBw)
        ThresholdEdit->setText("8");
    else
        ThresholdGroup->setEnabled(false);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &InputDataDialog::OnOk);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ValueGroup);
    layout->addWidget(ThresholdGroup);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void InputDataDialog::OnOk()
{
    // The ranges in the labels are advice only; values go on as typed.
    if (Use == InputDataUse::ConvertToBw) {
        BwThreshold = static_cast<uint16_t>(dialogfields::LeadingUnsigned(ThresholdEdit->text()));
        done(static_cast<uint16_t>(dialogfields::LeadingUnsigned(ValueEdit->text())));
    } else {
        done(static_cast<int16_t>(dialogfields::LeadingWhole(ValueEdit->text())));
    }
}
