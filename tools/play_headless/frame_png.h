// The frames of a headless run as the player would show them: the drawing layer set up under
// Direct3D at 32 bits on the headless display, with the project's palette, transparent colour,
// fonts and play images, and a shown frame written as a PNG file.
#pragma once

#include <string>
#include <vector>

// Sets the drawing layer up for the project in the working folder (its System.dat already
// read); false with a message in *error when a step fails.
bool OpenFrameDrawing(std::string* error);
// Presents the back buffer and writes the frame shown to each file as an RGB PNG; false with
// the first file that cannot be written in *unwritten.
bool WriteShownFrame(const std::vector<std::string>& files, std::string* unwritten);
// Releases the fonts and shuts the drawing layer down.
void CloseFrameDrawing();
