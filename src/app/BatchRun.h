// "Varnw --batch": one command run with no window and no person, for
// integrators' scripts and CI.
#pragma once

#include <QString>
#include <cstdio>

struct BenchState;
class VnApi;

// The exit statuses of a scripted run, one per kind of failure.
namespace BatchExit {
constexpr int Ok = 0;
constexpr int Failed = 1;         // the unit replied with an error not listed below
constexpr int Usage = 2;          // an unknown command or a bad option value
constexpr int UnitNotFound = 3;   // the unit (or the network box) could not be opened
constexpr int FeederEmpty = 4;    // no document in the feeder before the first one
constexpr int CodelineError = 5;  // a codeline with a rejected character stopped the run (--stop-on-error)
constexpr int WriteFailed = 6;    // an image or the output folder could not be written
} // namespace BatchExit

struct BatchOptions {
    QString Command;       // read, auto, status or identify
    int Count = -1;        // documents; -1 keeps the settings' count, 0 until the feeder is empty
    QString OutFolder;     // images and the codeline log there; empty: beside the program
    QString Unit;          // "usb", "box" or empty for the settings' choice (USB)
    QString Images;        // jpeg, bmp, tiff, none or empty for the settings' choice
    QString Codelines;     // "micr,ocr,barcode,pdf417" (any of them), "none", or empty for the settings' choice
    bool Json = false;
    bool Quiet = false;
    bool StopOnError = false;
};

// Runs the command on the loaded state and the unit; what it reads goes to
// out, every message to err. Returns a BatchExit status. The settings
// record is not written back.
int RunBatch(const BatchOptions& options, BenchState& state, VnApi& api, std::FILE* out, std::FILE* err);
