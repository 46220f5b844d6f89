// The picture masks the programs hand to the engine ("mf://<folder>/*.jpg" for a picture
// folder, "*.gif" for a folder of GIFs) matched as the programs match them: file names in one
// folder, without regard to case, hidden files left out. The engine itself would glob them
// with case and read "%", ",", "[", "*", "?" and "\" in the folder's name as its own syntax.
#pragma once
#include <string>
#include <vector>

// Appends arg to words: a "mf://" mask as "mf://@<list>" naming the matching files, one a
// line in the engine's name order, in a memory file this process keeps open (so nothing is
// left behind); a "*.gif"-like mask of the current folder as the matching names themselves.
// Any other argument, or a mask that matches nothing, as it is.
void AddPictureMask(std::vector<std::string>& words, const std::string& arg);
