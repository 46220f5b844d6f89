// GIF output runs at the engine's own speed.
#pragma once

#include <string>
#include <vector>

// A GIF output run (-vo gif89a, not slave mode) gets -benchmark: the engine then writes the same
// GIF without pacing itself to the clip's real time, which keeps a core busy for the clip's length.
void addGifSpeed(std::vector<std::string>& words);
