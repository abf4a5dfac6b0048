// Collecting raw material for the analysis of misreads: every document the
// feeder delivers leaves its magnetic signal (or CMC7 signal and data), its
// front image on request and its codelines in the folder "Dati", all under
// one running number, SignalFileCounter.
#pragma once

#include <QString>
#include <functional>

struct Bench;
struct DecodeLibrary;

// The options read again at every document.
struct SaveSignalChoices {
    bool ReadCmc7 = false;
    bool SaveImage = false;
};

struct SaveSignalHooks {
    std::function<SaveSignalChoices()> Choices;
    // Appends a codeline to the dialog's list.
    std::function<void(const QString&)> AddListLine;
};

// The run until the feeder stops delivering. With saveCodelines the MICR
// codelines go to "Dati/CodelineVarn.txt", with micrAndOcr the OCR codelines
// to "Dati/Codeline_Ocr_Varn.txt"; reset empties them (and the counter)
// instead of appending.
void SaveSignalRun(Bench& bench, int saveCodelines, int reset, int micrAndOcr, const DecodeLibrary& decode,
                   const SaveSignalHooks& hooks);
