// The unit's identification, shared by every part that needs the option
// flags it carries: the identify box, the peripheral set-up's read-back.
#pragma once

#include <cstdint>

struct Bench;
struct FeatureFlags;

// Opens the unit with Varn_Open, identifies it and closes it. On success the
// identity and the option flags of the bench are replaced; a failure (already
// reported) leaves the last good ones. Returns 0 or the failing reply.
int32_t ReadIdentity(Bench& bench);

// The option flags carried by the identify feature bytes.
void DecodeFeatures(const uint8_t* featureBytes, FeatureFlags& flags);
