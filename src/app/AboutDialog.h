#pragma once

#include <QDialog>

// "About Tegu demo test": the program's icon, its texts and an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
