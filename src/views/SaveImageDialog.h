// "Save As": the file name, and the format, bit depth, TIFF compression and
// JPEG quality factor it is saved with. The choices are kept for the next
// save of the run.
#pragma once

#include <QDialog>
#include <array>

#include "views/ImageFiles.h"

class Operator;
class QComboBox;
class QLineEdit;
class QSpinBox;

// What the dialog offers again at the next save of the run; the format index
// itself is the bench's LastSaveFormat.
struct SaveDialogChoices {
    QString FileName;
    int QualityFactor = MinQualityFactor;
    TiffCompression Compression = TiffCompression::None;
    std::array<int, 3> BitsPerFormat{}; // 0 until chosen: the picture's own
};

class SaveImageDialog : public QDialog {
    Q_OBJECT
public:
    // formatIndex: the format offered first (index into SaveFormatTable());
    // pictureBits: the bit count that holds the picture without loss.
    SaveImageDialog(Operator& op, int formatIndex, int pictureBits, const SaveDialogChoices& last,
                    QWidget* parent = nullptr);

    int FormatIndex() const;
    // The file name, with the format's suffix added when it has none.
    QString FileName() const;
    SaveOptions Options() const;
    SaveDialogChoices Choices() const;

    // OK needs a file name.
    void accept() override;

private:
    void FillBits(int preferred);
    void UpdateControls();
    void FormatChanged();
    void Browse();

    Operator& Op;
    int PictureBits;
    SaveDialogChoices Last;
    QLineEdit* NameEdit = nullptr;
    QComboBox* FormatBox = nullptr;
    QComboBox* BitsBox = nullptr;
    QComboBox* CompressionBox = nullptr;
    QSpinBox* QualityBox = nullptr;
};
