// Output paths of the picture outputs, made safe for the engine's option syntax.
#pragma once
#include <string>
#include <vector>

namespace shim {

// The engine splits a -vo value at "," and ":" before it reads output= (gif89a) or outdir=
// (jpeg, png), so a path holding those, or anything the engine might read as syntax, would
// arrive cut. Such a path (taken to the end of the value, where the programs put it) is handed
// over as /proc/self/fd/N[/name], N a descriptor of its folder left open across the exec. A
// missing outdir folder is made first, as the engine would. The file name of output= should be
// plain; a ":" in it is kept by the engine's length prefix, a "," cannot be.
void MendOutputPaths(std::vector<std::string>& words);

}  // namespace shim
