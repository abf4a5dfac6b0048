// Feeding documents past the head one by one, for the commands that look at
// each document's signal.
#pragma once

#include <cstdint>

struct Bench;

// Feeds one document to the head: no image, codeline read, sorted.
int32_t FeedForSignal(Bench& bench);
// True while the unit's feeder holds another document.
bool DocumentInFeeder(Bench& bench);
