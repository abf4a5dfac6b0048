// The automatic run: the unit feeds the whole batch by itself and the bench
// fetches the documents one after the other.
#pragma once

#include <cstdint>

struct Bench;

// Returns the status of the last document: 0, or the reply that ended the run.
int32_t RunAutoDocHandle(Bench& bench);
