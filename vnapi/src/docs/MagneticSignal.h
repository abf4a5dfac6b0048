// The MICR head of the virtual unit: what it delivers when a document's
// magnetic ink passes it. The head sees the change of flux along the read
// direction (the derivative of the ink's column profile), so each vertical
// edge of ink gives a pulse: positive where ink begins, negative where it
// ends. Samples are unsigned bytes around the quiet level 128, taken at a
// period set by the unit's time-sample value, moved by the document's speed
// and the transport's ripple, scaled by the amplifier gain, with noise,
// clipped to 0..255.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "docs/Document.h"

namespace head {

// Settings at which a healthy unit reads right: the gain calibration aims at
// 100 % with the trimmer at NominalTrimmer, the time-sample calibration at
// windows of 112 samples with NominalTimeSample.
constexpr int NominalTrimmer = 128;
constexpr int NominalTimeSample = 100;
// One E13B pitch (1/8 in) at the nominal time sample and speed.
constexpr double NominalSamplesPerPitch = 112.0;
// A full-height E13B flux step at 100 % gain: 1.32 V at 3.3 V / 256 a step.
constexpr double FullScaleSteps = 102.4;
constexpr int QuietLevel = 128;
// First sample of a document that carries no E13B ink.
constexpr uint8_t NoE13bInkMark = 13;
constexpr size_t MaxSamples = 16384;
// The head's own resolution: a flux step spreads over a Gaussian of this
// width (2.5 samples at the nominal settings).
constexpr double PulseSigmaMm = 2.5 * 3.175 / NominalSamplesPerPitch;

struct HeadParams {
    int Trimmer = NominalTrimmer;      // 0..255
    int TimeSample = NominalTimeSample;
    int Generation = 40;               // 40 or 39: the amplifier model
    double Sensitivity = 1.0;          // the head itself; 1 reads 100 % at the nominal trimmer
    double SpeedFactor = 1.0;          // transport speed against nominal
    double JitterPercent = 0.3;        // ripple of the transport speed
    double BeltWear = 0.0;             // 0 new .. 1 worn: a slow ripple of up to 6 %
    double NoiseSteps = 0.6;           // rms noise in sample steps
    // A sheet loose in the transport slips once as it passes: +1 slides back
    // and the head reads one pitch of ink twice, -1 jumps a pitch it never
    // reads, 0 keeps the sheet on the belt.
    int Slip = 0;
    uint32_t Seed = 0;                 // per pass, so that two passes differ a little
};

// Amplifier gain against the one at the nominal trimmer: generation 40 is
// proportional to 1800 + 39 t ohms, generation 39 is the non-inverting
// amplifier 1 + (4700 + 39 t) / 3300.
double AmplifierGain(int trimmer, int generation);
// Mean negative peak of the calibration document in percent of 102.4 steps.
double GainPercent(const HeadParams& params);
// Document travel per sample, in mm.
double MmPerSample(int timeSample, double speedFactor = 1.0);

// A flux step of the document's magnetic ink: distance from the document's
// right (leading) edge in mm and signed height as a fraction of a full E13B
// character height.
struct FluxStep {
    double Mm = 0.0;
    double Height = 0.0;
};
// The steps of a document's magnetic ink, in read order: E13B characters,
// the calibration marks, or CMC7 strokes; none for other documents.
std::vector<FluxStep> MagneticInk(const DocumentSpec& doc);
// The ink as the head meets it when the sheet slips one pitch back (pitches
// 1) or forward (-1) at atMm: the steps of the pitch after atMm are read twice
// or not at all, and everything later moves by that pitch.
std::vector<FluxStep> SlipInk(const std::vector<FluxStep>& ink, int pitches, double atMm);

// What Varn_ReadE13BSignal delivers for a document: the E13B waveform; for a
// document without E13B ink the first sample is NoE13bInkMark, followed by
// the waveform of whatever magnetic ink it carries (a CMC7 codeline) or the
// quiet level. At most MaxSamples.
std::vector<uint8_t> ReadSignal(const DocumentSpec& doc, const HeadParams& params);

// The belt test: the head with no document. A magnetised belt leaves bumps
// outside the quiet band 110..145.
std::vector<uint8_t> BeltSignal(const HeadParams& params, bool magnetised, size_t count);

} // namespace head
