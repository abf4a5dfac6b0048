#pragma once

#include <QDialog>

struct Bench;
class QLineEdit;
class QPushButton;

// "Input Dump File Name": the file the unit's memory is dumped into.
class DumpMemoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit DumpMemoryDialog(Bench& bench, QWidget* parent = nullptr);

    void BrowseClicked();
    void OkClicked();

private:
    void SetControlsEnabled(bool enabled);

    Bench& Session;
    QLineEdit* FileName = nullptr;
    QPushButton* Browse = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
};
