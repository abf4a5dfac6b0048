#pragma once

#include <QDialog>
#include <array>

struct Bench;
struct BenchState;
struct SettingsRecord;
class Operator;
class QCheckBox;
class QPushButton;
class QRadioButton;

// "Release Document": what becomes of a document held in the unit. "&Sort"
// stores the choices and ends it; "Eject Document" stores at once. There is
// no way out but "&Sort".
class ReleaseDocumentDialog : public QDialog {
    Q_OBJECT
public:
    ReleaseDocumentDialog(BenchState& state, Operator& op, QWidget* parent = nullptr);

    // "&Sort".
    void accept() override;
    // Escape does nothing.
    void reject() override {}

protected:
    // Nor does the close box.
    void closeEvent(QCloseEvent* event) override;

private:
    void OnEjectClicked();
    void SetSortControlsEnabled(bool enabled);

    SettingsRecord& Settings;
    Operator& Op;

    static constexpr int SideCount = 4;
    std::array<QRadioButton*, SideCount> Sides{};
    QCheckBox* FrontStamp = nullptr;
    QCheckBox* Print = nullptr;
    QCheckBox* Bold = nullptr;
    QPushButton* Endorsement = nullptr;
    QCheckBox* EjectDocument = nullptr;
};

// Shows the dialog for a retained document through the operator.
void RunReleaseDocumentDialog(Bench& bench);
