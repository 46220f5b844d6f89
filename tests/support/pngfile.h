// A small PNG writer for tests: zlib streams with stored, fixed or dynamic blocks, chunks with
// their CRC, and scanlines with every filter type, plain or Adam7-interlaced.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport::png {

enum class Blocks { Stored, Fixed, Dynamic };

// Raw DEFLATE data of `raw`, every block of the kind asked for.
std::string Deflate(const std::string& raw, Blocks kind);
// A zlib stream: header, DEFLATE data, Adler-32.
std::string Zlib(const std::string& raw, Blocks kind);

std::string Signature();
std::string Chunk(const std::string& type, const std::string& data);
std::string Be32(std::uint32_t v);
std::string Be16(std::uint16_t v);
std::string Ihdr(std::int64_t width, std::int64_t height, int depth, int colorType, int interlace,
                 int compression = 0, int filter = 0);

// Samples, channels per pixel each, row by row; packed to `depth` bits and filtered, row r
// with filter (firstFilter + r) mod 5 (or always `firstFilter` when cycle is false).
std::string Scanlines(int width, int height, int depth, int channels, const std::vector<std::uint16_t>& samples,
                      bool interlace, int firstFilter = 0, bool cycle = true);

// A whole file: signature, IHDR, the extra chunks before IDAT, the IDAT data in `idatParts`
// chunks, IEND.
struct Picture {
  int width = 1, height = 1, depth = 8, colorType = 0, interlace = 0;
  std::vector<std::uint16_t> samples;
  Blocks blocks = Blocks::Dynamic;
  int idatParts = 1;
  std::vector<std::string> before;  // whole chunks (Chunk(...)) placed after IHDR
};
int Channels(int colorType);
std::string File(const Picture& p);

}  // namespace testsupport::png
