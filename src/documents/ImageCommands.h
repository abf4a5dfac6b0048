// Commands that work on the images of the last document without feeding a
// new one: black and white conversion, brightness, contrast and cut of the
// current images, and reading the last document's images (or one colour
// plane of them) again. Results are shown only; the current images stay.
#pragma once

#include <cstdint>

struct Bench;
class CommandRegistry;

// The side letter that reads one colour plane (1 blue, 2 green, 3 red) of the
// given side; 'N' for any other side or colour.
char SingleColorSide(uint8_t imageSide, uint16_t singleColor);

// "&Convert to BW": the "Input data" dialog, then two passes over the current
// images, method 4 with the filter value shown as document 1, method 6 with
// BwThreshold shown as document 101.
void ConvertToBwCommand(Bench& bench);
// "&Brightness Image", "&Contrast Image", "C&ut Image": the command's dialog,
// then the operation on the current images, shown as document 0.
void BrightnessImageCommand(Bench& bench);
void ContrastImageCommand(Bench& bench);
void CutImageCommand(Bench& bench);
// "Reload &Image": the last document's images read again with ImageSide.
void ReloadImageCommand(Bench& bench);
// "R&ead Single Color": the "Read Single image" dialog, then one colour plane.
void ReadSingleColorCommand(Bench& bench);

// The commands above and "Read &Badge".
void RegisterImageCommands(CommandRegistry& registry);
