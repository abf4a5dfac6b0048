#pragma once

#include <QDialog>

#include "vnapi/VnApi.h"

struct Bench;
class QLineEdit;

// "History Data": the unit's lifetime counters, and their erasure.
class HistoryDataDialog : public QDialog {
    Q_OBJECT
public:
    explicit HistoryDataDialog(Bench& bench, QWidget* parent = nullptr);

    // Reads the counters and shows them; a failure leaves the fields as
    // they are.
    void Refresh();
    void EraseClicked();

private:
    Bench& Session;
    QList<QLineEdit*> Values; // in the order of HistoryLines
    QLineEdit* WorkTime = nullptr;
};
