#include "rotation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace shim {
namespace {

// The file's boxes (ISO base media: size, type, contents), read where they lie.
class Boxes {
 public:
  // Without waiting on a word that names a pipe: only a regular file is read.
  explicit Boxes(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<uint64_t>(st.st_size);
  }
  ~Boxes() {
    if (fd_ >= 0) close(fd_);
  }
  Boxes(const Boxes&) = delete;
  Boxes& operator=(const Boxes&) = delete;

  struct Box {
    uint64_t body = 0, end = 0;  // its contents, from body up to end
  };
  Box File() const { return {0, size_}; }

  // The first box of that type directly inside `in`; false when there is none, the boxes before
  // it do not add up, or there are more of them than any movie has (a file that is not one).
  bool Find(const Box& in, const char* type, Box& found) const {
    int left = 10000;
    for (uint64_t at = in.body; in.end - at >= 8 && left-- > 0;) {
      unsigned char h[16];
      if (!Read(at, h, 8)) return false;
      uint64_t size = Be(h, 4), header = 8;
      if (size == 1) {
        if (in.end - at < 16 || !Read(at + 8, h + 8, 8)) return false;
        size = Be(h + 8, 8);
        header = 16;
      } else if (size == 0) {
        size = in.end - at;  // up to the end of what holds it
      }
      if (size < header || size > in.end - at) return false;
      for (int i = 4; i < 8; ++i)
        if (h[i] < 0x20 || h[i] > 0x7e) return false;  // not a box: not this kind of file
      if (std::string(reinterpret_cast<char*>(h + 4), 4) == type) {
        found = {at + header, at + size};
        return true;
      }
      at += size;
    }
    return false;
  }

  // n bytes (at most 8) at offset `at` of the box's contents, as a big-endian number.
  bool Number(const Box& box, uint64_t at, int n, uint64_t& value) const {
    unsigned char b[8];
    if (box.end - box.body < at + static_cast<uint64_t>(n) || !Read(box.body + at, b, static_cast<size_t>(n)))
      return false;
    value = Be(b, n);
    return true;
  }

 private:
  bool Read(uint64_t at, unsigned char* to, size_t n) const {
    return fd_ >= 0 && pread(fd_, to, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
  }
  static uint64_t Be(const unsigned char* b, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[i];
    return v;
  }

  int fd_;
  uint64_t size_ = 0;
};

// A quarter turn from the first four numbers of the track's matrix (16.16 fixed point, each
// taken to its nearest of -1, 0, 1). The matrix maps a stored point (x, y), y going down, to
// (a x + c y, b x + d y).
int QuarterTurn(int32_t a, int32_t b, int32_t c, int32_t d) {
  const auto unit = [](int32_t v) { return v >= 0x8000 ? 1 : v <= -0x8000 ? -1 : 0; };
  const int m[4] = {unit(a), unit(b), unit(c), unit(d)};
  const struct {
    int m[4];
    int degrees;
  } turns[] = {{{0, 1, -1, 0}, 90}, {{-1, 0, 0, -1}, 180}, {{0, -1, 1, 0}, 270}};
  for (const auto& t : turns)
    if (m[0] == t.m[0] && m[1] == t.m[1] && m[2] == t.m[2] && m[3] == t.m[3]) return t.degrees;
  return 0;
}

// The engine's filters that turn a picture clockwise by so many degrees.
const char* TurnFilter(int degrees) {
  switch (degrees) {
    case 90: return "rotate=1";
    case 180: return "mirror,flip";
    case 270: return "rotate=2";
  }
  return nullptr;
}

bool HasWord(const std::vector<std::string>& words, const char* word) {
  for (const std::string& w : words)
    if (w == word) return true;
  return false;
}

}  // namespace

StoredVideo ReadStoredVideo(const std::string& path) {
  StoredVideo video;
  const Boxes f(path);
  Boxes::Box moov, trak;
  if (!f.Find(f.File(), "moov", moov)) return video;
  // The tracks in order, up to the first one that holds video (the one the engine plays).
  for (Boxes::Box rest = moov; f.Find(rest, "trak", trak); rest.body = trak.end) {
    Boxes::Box mdia, hdlr, tkhd;
    uint64_t handler = 0;
    if (!f.Find(trak, "mdia", mdia) || !f.Find(mdia, "hdlr", hdlr) || !f.Number(hdlr, 8, 4, handler) ||
        handler != 0x76696465 /* "vide" */)
      continue;
    uint64_t version = 0;
    if (!f.Find(trak, "tkhd", tkhd) || !f.Number(tkhd, 0, 1, version)) return video;
    const uint64_t matrix = version == 1 ? 52 : 40;
    video.movie = true;
    // Its first row a, b, u, its second c, d, v.
    uint64_t m[4];
    const uint64_t at[4] = {0, 4, 12, 16};
    for (int i = 0; i < 4; ++i)
      if (!f.Number(tkhd, matrix + at[i], 4, m[i])) return video;
    video.rotation = QuarterTurn(static_cast<int32_t>(m[0]), static_cast<int32_t>(m[1]), static_cast<int32_t>(m[2]),
                                 static_cast<int32_t>(m[3]));
    // The size of the pictures themselves: the track's first sample description; else the
    // track's own size (16.16 fixed point).
    Boxes::Box minf, stbl, stsd;
    uint64_t w = 0, h = 0;
    if (f.Find(mdia, "minf", minf) && f.Find(minf, "stbl", stbl) && f.Find(stbl, "stsd", stsd) &&
        f.Number(stsd, 8 + 8 + 24, 2, w) && f.Number(stsd, 8 + 8 + 26, 2, h) && w > 0 && h > 0) {
      video.width = static_cast<int>(w);
      video.height = static_cast<int>(h);
    } else if (f.Number(tkhd, matrix + 36, 4, w) && f.Number(tkhd, matrix + 40, 4, h)) {
      video.width = static_cast<int>((w + 0x8000) >> 16);
      video.height = static_cast<int>((h + 0x8000) >> 16);
    }
    return video;
  }
  return video;
}

void TurnUpright(std::vector<std::string>& words) {
  // The source: the first word naming a movie file (the others are options and their values).
  StoredVideo video;
  for (const std::string& w : words) {
    if (w.empty() || w[0] == '-') continue;
    video = ReadStoredVideo(w);
    if (video.movie) break;
  }
  const char* filter = TurnFilter(video.rotation);
  if (!filter) return;
  // Ahead of every filter the command line adds, wherever it stands in it.
  words.emplace_back("-vf-pre");
  words.emplace_back(filter);
  // A quarter turn swaps the size. The engine tells the stored size on its own identify lines
  // later on; a reader takes the first.
  if (HasWord(words, "-identify") && video.rotation != 180 && video.width > 0 && video.height > 0) {
    const std::string size =
        "ID_VIDEO_WIDTH=" + std::to_string(video.height) + "\nID_VIDEO_HEIGHT=" + std::to_string(video.width) + "\n";
    const ssize_t written = write(STDOUT_FILENO, size.data(), size.size());
    (void)written;  // with no one reading, nobody misses it
  }
}

}  // namespace shim
