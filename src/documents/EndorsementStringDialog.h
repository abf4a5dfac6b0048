#pragma once

#include <QDialog>

#include "core/Settings.h"

class QLineEdit;

// "Endorsement String": one edit under "Print String". OK copies the text
// (up to 199 characters) into the field it was opened on; Cancel leaves it.
// Serves both the endorsement of a run and the release of a held document.
class EndorsementStringDialog : public QDialog {
    Q_OBJECT
public:
    EndorsementStringDialog(CharField<200>& field, QWidget* parent = nullptr);

    void accept() override;

private:
    CharField<200>& Field;
    QLineEdit* PrintString = nullptr;
};
