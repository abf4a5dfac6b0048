// The decisions of the MICR calibrations and tests, apart from the unit:
// the trimmer formulas of both head generations, the gain run's pass, retry
// and abort rules, the time-sample run's turn count, the speed run's credits
// and the codeline test's destination and comparison. No Qt.
#pragma once

#include <cstdint>
#include <string_view>

#include "micr/SignalAnalysis.h"

// Generation 40 heads: the gain follows a resistance of 1800 + 39 t ohms.
// percent is the measured amplitude, signalValue the wanted one. The result
// may lie outside 0..255.
int32_t NextTrimmerGen40(float percent, int32_t trimmer, int32_t signalValue);
// Generation 39 heads: a non-inverting amplifier, gain 1 + (4700 + 39 t) / 3300.
int32_t NextTrimmerGen39(float percent, int32_t trimmer, int32_t signalValue);

// What the gain run aims at.
struct GainTarget {
    int32_t Generation = 40;
    int32_t SignalValue = 100;
    int32_t ToleranceMinus = 4;
    int32_t TolerancePlus = 4;
};

// A gain run between reads. A cycle is three reads at the old trimmer, a new
// trimmer, three reads at it, the verdict; at most three retries.
struct GainRun {
    int32_t Pass = 0;
    int32_t Retries = 0;
    int32_t BadReads = 0;
    float SumA = 0.0f;
    int32_t CountC = 0;
    float Percent = 0.0f;
    int32_t Trimmer = 0;  // 0: not read from the unit yet
    float Result = 0.0f;  // the value the dialog shows afterwards
};

constexpr int32_t GainPeaksPerRead = 50;
constexpr int32_t GainBadReadsAllowed = 3;
constexpr int32_t GainRetriesAllowed = 3;
constexpr int32_t GainClippedStep = 11;
constexpr int32_t GainPassesPerCycle = 6;

struct GainDecision {
    // The trace of this read: its percentage (0 for a bad read) and trimmer.
    float TracePercent = 0.0f;
    int32_t TraceTrimmer = 0;
    bool WriteTrimmer = false; // write GainRun::Trimmer before the give back
    bool Ends = false;         // ends before the give back, with Result
    bool DocumentLoose = false;
    int32_t Result = 0;
};

// Judges one read's peaks and moves the run on.
GainDecision JudgeGainRead(GainRun& run, const bench::SignalPeaks& peaks, const GainTarget& target);
// After the give back: the next pass; true when the run is over and passed.
bool FinishGainPass(GainRun& run);

// The time-sample run: up to 13 turns, done after three in-range reads in a row.
constexpr int32_t TimeSampleTurns = 13;
constexpr int32_t TimeSampleInRangeNeeded = 3;
struct TimeSampleRun {
    int32_t Consecutive = 0;
    int32_t Turns = 0;
};
void CountTimeSampleTurn(TimeSampleRun& run, bool inRange);
bool TimeSampleRunOver(const TimeSampleRun& run);
// 0 after three in-range reads in a row, -66 once the turns are used up.
int32_t TimeSampleRunResult(const TimeSampleRun& run);
// Widths spread over more than 11 samples: the head is badly mounted.
bool BadHeadAssembly(int32_t narrowest, int32_t widest);

// The speed run's credits after a document of the given width spread.
int32_t SpendSpeedCredits(int32_t credits, int32_t spread, int32_t limit1, int32_t limit2);
constexpr int32_t SpeedCreditsAtStart = 2;

// Destination of read index of count: sorted with the sorter check or on the
// last read, else handed back to the operator.
uint16_t ReadTestDestination(bool sorter, int64_t index, int64_t count);
// An empty reference accepts anything; else the read must equal it byte for
// byte and hold no '!'.
bool CodelineReadFails(std::string_view read, std::string_view reference);
