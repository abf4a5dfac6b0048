// The operator of a scripted run: nobody is there. Every message box becomes
// one line on standard error, a question takes its safe answer and says so,
// a dialog is not opened, and each document a run hands over is written out.
#pragma once

#include <QElapsedTimer>
#include <cstdio>
#include <vector>

#include "core/Operator.h"

class BatchOperator : public Operator {
public:
    // json: one JSON object per document on out; progress: a progress line on
    // err during runs longer than a second; expected: documents asked, 0 unknown.
    BatchOperator(std::FILE* out, std::FILE* err, bool json, bool progress, uint32_t expected);

    MessageAnswer Message(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon) override;
    void Beep() override {}
    void Tone(int, int) override {}
    int Exec(QDialog& dialog) override;
    void PumpEvents() override;
    void SetBusyCursor(bool) override {}
    void EnableMainMenu(bool) override {}
    void CloseAllChildren() override {}
    int ShowDocumentImages(const DocumentShow&) override { return 0; }
    void ShowImage(const QString&, const PackedBitmap&, bool) override {}
    void ShowStatus(const QString&) override {}
    void DocumentDone(const DocumentRecord& record) override;

    // Ends the progress line, if one was drawn.
    void FinishProgress();

    const std::vector<DocumentRecord>& Documents() const { return Records; }
    int MessagesShown() const { return Messages; }

private:
    std::FILE* Out;
    std::FILE* Err;
    bool Json;
    bool Progress;
    uint32_t Expected;
    QElapsedTimer Clock;
    bool ProgressShown = false;
    int Messages = 0;
    std::vector<DocumentRecord> Records;
};

// The JSON object of one document (numbered from 1), codeline fields included.
QByteArray DocumentJson(uint32_t number, const DocumentRecord& record);
