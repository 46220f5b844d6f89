// Videos stored on their side. A phone writes a portrait video as a landscape stream and a
// rotation in the container (MP4, MOV, 3GP: the matrix of the track header); every player turns
// it upright, the engine plays it as stored and says nothing about it.
#pragma once
#include <string>
#include <vector>

namespace shim {

struct StoredVideo {
  bool movie = false;         // the file has a video track
  int rotation = 0;           // clockwise quarter turns a player gives it: 0, 90, 180 or 270
  int width = 0, height = 0;  // the stored picture's size, 0 when the file does not say
};

// The first video track of an MP4/MOV/3GP file. Any other file, a matrix that is no quarter turn
// (a mirror, a shear) and a damaged file read as rotation 0.
StoredVideo ReadStoredVideo(const std::string& path);

// A run whose source carries a rotation gets the engine's own filter that turns each frame
// upright, ahead of every other filter, so the programs' scale and crop work on the upright
// picture; an identify run then starts with the upright size, ahead of the engine's own lines.
// Runs of any other source stay as they are.
void TurnUpright(std::vector<std::string>& words);

}  // namespace shim
