// How one command reaches the unit: the network box set-up before every open,
// the open with its per-command rules, and the close.
#pragma once

#include <cstdint>

struct Bench;

// Which open operation a command uses.
enum class OpenOperation { VarnOpen, VnConnect };

// What a command does with the open reply.
enum class OpenRule {
    // Document commands: 5 goes on silently; any other failure is reported
    // and the command goes on regardless.
    ReportAndGoOn,
    // 0 and 5 go on silently; any other reply is reported and stops.
    AlreadyConnectedGoesOn,
    // The reply is not looked at.
    Ignore,
    // Any non-zero reply is reported and stops.
    AnyFailureStops,
};

struct OpenResult {
    int32_t Reply = 0;
    bool Proceed = false; // the command goes on
};

// Gives the network box its address before an open, whatever the unit type.
void PrepareNetworkBox(Bench& bench);

// PrepareNetworkBox, then the open, then the rule. Failures are reported with
// the label "Varn_Open".
OpenResult OpenUnit(Bench& bench, OpenOperation operation, OpenRule rule);

// VnDisconnect of the unit handle.
void CloseUnit(Bench& bench);

// 39 for a first-generation unit: model text starting with "Varn" and firmware
// version starting with '1' whose number from the third character is below 20.
uint16_t UnitGenerationFor(const char* deviceModel, const char* firmwareVersion);

// Sets UnitGeneration to 40, identifies the open unit and, when that
// succeeds, sets UnitGeneration from its texts. Returns the identify reply,
// which callers do not report.
int32_t IdentifyForGeneration(Bench& bench);
