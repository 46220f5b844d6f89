#include "support/pngfile.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <queue>
#include <stdexcept>

namespace testsupport::png {
namespace {

// Bits least significant first, as DEFLATE packs them.
struct BitWriter {
  std::string out;
  std::uint32_t acc = 0;
  int count = 0;
  void bits(std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
      acc |= ((v >> i) & 1u) << count;
      if (++count == 8) flush();
    }
  }
  // A Huffman code goes out most significant bit first.
  void code(std::uint32_t c, int n) {
    for (int i = n - 1; i >= 0; --i) bits((c >> i) & 1u, 1);
  }
  void flush() {
    out += static_cast<char>(acc);
    acc = 0;
    count = 0;
  }
  void align() {
    if (count) flush();
  }
};

constexpr int LenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int LenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int DistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                              193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int DistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr int ClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct Token {
  int literal = -1;  // or a match
  int length = 0, distance = 0;
};

// Greedy LZ77 with a hash of three bytes.
std::vector<Token> Tokens(const std::string& s) {
  std::vector<Token> t;
  std::vector<int> head(1 << 15, -1), prev(s.size(), -1);
  auto hash = [&](std::size_t i) {
    return ((static_cast<unsigned char>(s[i]) << 10) ^ (static_cast<unsigned char>(s[i + 1]) << 5) ^
            static_cast<unsigned char>(s[i + 2])) & 0x7fff;
  };
  std::size_t i = 0;
  auto insert = [&](std::size_t k) {
    if (k + 2 < s.size()) {
      const int h = hash(k);
      prev[k] = head[h];
      head[h] = static_cast<int>(k);
    }
  };
  while (i < s.size()) {
    int bestLen = 0, bestDist = 0;
    if (i + 2 < s.size()) {
      int cand = head[hash(i)];
      for (int tries = 0; cand >= 0 && tries < 64; ++tries, cand = prev[static_cast<std::size_t>(cand)]) {
        const std::size_t c = static_cast<std::size_t>(cand);
        if (i - c > 32768) break;
        int l = 0;
        while (l < 258 && i + static_cast<std::size_t>(l) < s.size() && s[c + static_cast<std::size_t>(l)] == s[i + static_cast<std::size_t>(l)]) ++l;
        if (l > bestLen) bestLen = l, bestDist = static_cast<int>(i - c);
      }
    }
    if (bestLen >= 3) {
      t.push_back({-1, bestLen, bestDist});
      for (int k = 0; k < bestLen; ++k) insert(i + static_cast<std::size_t>(k));
      i += static_cast<std::size_t>(bestLen);
    } else {
      t.push_back({static_cast<unsigned char>(s[i]), 0, 0});
      insert(i);
      ++i;
    }
  }
  return t;
}

int LengthCode(int len) {
  int c = 28;
  while (LenBase[c] > len) --c;
  return c;
}
int DistCode(int d) {
  int c = 29;
  while (DistBase[c] > d) --c;
  return c;
}

// Huffman code lengths of at most `limit` bits; one used symbol gets a 1-bit code.
std::vector<int> CodeLengths(std::vector<std::uint64_t> freq, int limit) {
  const std::size_t n = freq.size();
  std::vector<int> len(n, 0);
  for (;;) {
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < n; ++i)
      if (freq[i]) used.push_back(i);
    if (used.empty()) return len;
    if (used.size() == 1) {
      len[used[0]] = 1;
      return len;
    }
    struct Node {
      std::uint64_t f;
      int left, right, symbol;
    };
    std::vector<Node> nodes;
    using Item = std::pair<std::uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> q;
    for (std::size_t s : used) {
      nodes.push_back({freq[s], -1, -1, static_cast<int>(s)});
      q.push({freq[s], static_cast<int>(nodes.size() - 1)});
    }
    while (q.size() > 1) {
      auto a = q.top();
      q.pop();
      auto b = q.top();
      q.pop();
      nodes.push_back({a.first + b.first, a.second, b.second, -1});
      q.push({a.first + b.first, static_cast<int>(nodes.size() - 1)});
    }
    int longest = 0;
    std::function<void(int, int)> walk = [&](int k, int depth) {
      const Node& nd = nodes[static_cast<std::size_t>(k)];
      if (nd.symbol >= 0) {
        len[static_cast<std::size_t>(nd.symbol)] = depth;
        longest = std::max(longest, depth);
        return;
      }
      walk(nd.left, depth + 1);
      walk(nd.right, depth + 1);
    };
    walk(q.top().second, 0);
    if (longest <= limit) return len;
    for (auto& f : freq)
      if (f) f = f / 2 + 1;
  }
}

std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& len) {
  int count[16] = {}, next[16] = {};
  for (int l : len) ++count[l];
  count[0] = 0;
  int code = 0;
  for (int b = 1; b < 16; ++b) {
    code = (code + count[b - 1]) << 1;
    next[b] = code;
  }
  std::vector<std::uint32_t> codes(len.size());
  for (std::size_t i = 0; i < len.size(); ++i)
    if (len[i]) codes[i] = static_cast<std::uint32_t>(next[len[i]]++);
  return codes;
}

void WriteTokens(BitWriter& w, const std::vector<Token>& tokens, const std::vector<int>& litLen,
                 const std::vector<std::uint32_t>& lit, const std::vector<int>& distLen,
                 const std::vector<std::uint32_t>& dist) {
  for (const Token& t : tokens) {
    if (t.literal >= 0) {
      w.code(lit[static_cast<std::size_t>(t.literal)], litLen[static_cast<std::size_t>(t.literal)]);
      continue;
    }
    const int lc = LengthCode(t.length);
    w.code(lit[static_cast<std::size_t>(257 + lc)], litLen[static_cast<std::size_t>(257 + lc)]);
    w.bits(static_cast<std::uint32_t>(t.length - LenBase[lc]), LenExtra[lc]);
    const int dc = DistCode(t.distance);
    w.code(dist[static_cast<std::size_t>(dc)], distLen[static_cast<std::size_t>(dc)]);
    w.bits(static_cast<std::uint32_t>(t.distance - DistBase[dc]), DistExtra[dc]);
  }
  w.code(lit[256], litLen[256]);
}

void FixedBlock(BitWriter& w, const std::string& raw, bool final) {
  std::vector<int> litLen(288), distLen(30, 5);
  for (int i = 0; i < 288; ++i) litLen[static_cast<std::size_t>(i)] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  w.bits(final, 1);
  w.bits(1, 2);
  WriteTokens(w, Tokens(raw), litLen, CanonicalCodes(litLen), distLen, CanonicalCodes(distLen));
}

void DynamicBlock(BitWriter& w, const std::string& raw, bool final) {
  const std::vector<Token> tokens = Tokens(raw);
  std::vector<std::uint64_t> lf(286, 0), df(30, 0);
  for (const Token& t : tokens) {
    if (t.literal >= 0) {
      ++lf[static_cast<std::size_t>(t.literal)];
    } else {
      ++lf[static_cast<std::size_t>(257 + LengthCode(t.length))];
      ++df[static_cast<std::size_t>(DistCode(t.distance))];
    }
  }
  lf[256] = 1;
  std::vector<int> litLen = CodeLengths(lf, 15), distLen = CodeLengths(df, 15);
  int hlit = 286, hdist = 30;
  while (hlit > 257 && litLen[static_cast<std::size_t>(hlit - 1)] == 0) --hlit;
  while (hdist > 1 && distLen[static_cast<std::size_t>(hdist - 1)] == 0) --hdist;
  // Code lengths, run-length coded.
  std::vector<int> all(litLen.begin(), litLen.begin() + hlit);
  all.insert(all.end(), distLen.begin(), distLen.begin() + hdist);
  std::vector<std::pair<int, int>> rle;  // symbol, extra value
  for (std::size_t i = 0; i < all.size();) {
    std::size_t run = 1;
    while (i + run < all.size() && all[i + run] == all[i]) ++run;
    if (all[i] == 0 && run >= 11) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 138));
      rle.push_back({18, n - 11});
      i += static_cast<std::size_t>(n);
    } else if (all[i] == 0 && run >= 3) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 10));
      rle.push_back({17, n - 3});
      i += static_cast<std::size_t>(n);
    } else if (i > 0 && all[i] == all[i - 1] && run >= 3) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 6));
      rle.push_back({16, n - 3});
      i += static_cast<std::size_t>(n);
    } else {
      rle.push_back({all[i], 0});
      ++i;
    }
  }
  std::vector<std::uint64_t> cf(19, 0);
  for (auto& [s, e] : rle) ++cf[static_cast<std::size_t>(s)];
  std::vector<int> clLen = CodeLengths(cf, 7);
  // A lone code-length symbol still needs a complete code: give it a partner.
  if (std::count_if(clLen.begin(), clLen.end(), [](int l) { return l > 0; }) == 1)
    for (auto& l : clLen)
      if (l == 0) {
        l = 1;
        break;
      }
  const std::vector<std::uint32_t> cl = CanonicalCodes(clLen);
  int hclen = 19;
  while (hclen > 4 && clLen[static_cast<std::size_t>(ClOrder[hclen - 1])] == 0) --hclen;

  w.bits(final, 1);
  w.bits(2, 2);
  w.bits(static_cast<std::uint32_t>(hlit - 257), 5);
  w.bits(static_cast<std::uint32_t>(hdist - 1), 5);
  w.bits(static_cast<std::uint32_t>(hclen - 4), 4);
  for (int i = 0; i < hclen; ++i) w.bits(static_cast<std::uint32_t>(clLen[static_cast<std::size_t>(ClOrder[i])]), 3);
  for (auto& [s, e] : rle) {
    w.code(cl[static_cast<std::size_t>(s)], clLen[static_cast<std::size_t>(s)]);
    if (s == 16) w.bits(static_cast<std::uint32_t>(e), 2);
    if (s == 17) w.bits(static_cast<std::uint32_t>(e), 3);
    if (s == 18) w.bits(static_cast<std::uint32_t>(e), 7);
  }
  WriteTokens(w, tokens, litLen, CanonicalCodes(litLen), distLen, CanonicalCodes(distLen));
}

std::uint32_t Crc32(const std::string& s) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xffffffffu;
  for (unsigned char b : s) c = table[(c ^ b) & 0xff] ^ (c >> 8);
  return c ^ 0xffffffffu;
}

}  // namespace

std::string Deflate(const std::string& raw, Blocks kind) {
  BitWriter w;
  // Blocks of at most 16 KiB, so that longer data has several of them.
  const std::size_t step = kind == Blocks::Stored ? 65535 : 16384;
  std::size_t at = 0;
  do {
    const std::string part = raw.substr(at, step);
    at += part.size();
    const bool final = at >= raw.size();
    if (kind == Blocks::Stored) {
      w.bits(final, 1);
      w.bits(0, 2);
      w.align();
      const auto n = static_cast<std::uint16_t>(part.size());
      w.out += static_cast<char>(n & 0xff);
      w.out += static_cast<char>(n >> 8);
      w.out += static_cast<char>(~n & 0xff);
      w.out += static_cast<char>((~n >> 8) & 0xff);
      w.out += part;
    } else if (kind == Blocks::Fixed) {
      FixedBlock(w, part, final);
    } else {
      DynamicBlock(w, part, final);
    }
  } while (at < raw.size());
  w.align();
  return w.out;
}

std::string Zlib(const std::string& raw, Blocks kind) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return std::string("\x78\x9c", 2) + Deflate(raw, kind) + Be32((b << 16) | a);
}

std::string Signature() { return std::string("\x89PNG\r\n\x1a\n", 8); }

std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string Be16(std::uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }

std::string Chunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<std::uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

std::string Ihdr(std::int64_t width, std::int64_t height, int depth, int colorType, int interlace, int compression,
                 int filter) {
  std::string d = Be32(static_cast<std::uint32_t>(width)) + Be32(static_cast<std::uint32_t>(height));
  for (int v : {depth, colorType, compression, filter, interlace}) d += static_cast<char>(v);
  return Chunk("IHDR", d);
}

int Channels(int colorType) {
  switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

namespace {

// Packs and filters rows of samples (already picked for one pass).
std::string FilterRows(int width, int height, int depth, int channels, const std::vector<std::uint16_t>& samples,
                       int& filter, bool cycle) {
  const int bitsPerPixel = depth * channels;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
  const std::size_t bpp = std::max(bitsPerPixel / 8, 1);
  std::string out;
  std::vector<std::uint8_t> prior(rowBytes, 0), row(rowBytes);
  for (int y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    std::size_t bit = 0;
    for (int x = 0; x < width * channels; ++x, bit += static_cast<std::size_t>(depth)) {
      const std::uint16_t v = samples[static_cast<std::size_t>(y * width * channels + x)];
      if (depth == 16) {
        row[bit / 8] = static_cast<std::uint8_t>(v >> 8);
        row[bit / 8 + 1] = static_cast<std::uint8_t>(v);
      } else if (depth == 8) {
        row[bit / 8] = static_cast<std::uint8_t>(v);
      } else {
        // Bit by bit, most significant first: samples of odd depths cross bytes.
        for (int k = 0; k < depth; ++k)
          if ((v >> (depth - 1 - k)) & 1) {
            const std::size_t at = bit + static_cast<std::size_t>(k);
            row[at / 8] |= static_cast<std::uint8_t>(0x80 >> (at % 8));
          }
      }
    }
    const int f = filter % 5;
    out += static_cast<char>(f);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0;
      int pred = 0;
      if (f == 1) pred = a;
      if (f == 2) pred = b;
      if (f == 3) pred = (a + b) / 2;
      if (f == 4) {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out += static_cast<char>(row[i] - pred);
    }
    prior = row;
    if (cycle) ++filter;
  }
  return out;
}

}  // namespace

std::string Scanlines(int width, int height, int depth, int channels, const std::vector<std::uint16_t>& samples,
                      bool interlace, int firstFilter, bool cycle) {
  int filter = firstFilter;
  if (!interlace) return FilterRows(width, height, depth, channels, samples, filter, cycle);
  static const int passes[7][4] = {{0, 8, 0, 8}, {0, 8, 4, 8}, {4, 8, 0, 4}, {0, 4, 2, 4},
                                   {2, 4, 0, 2}, {0, 2, 1, 2}, {1, 2, 0, 1}};
  std::string out;
  for (const auto& p : passes) {
    std::vector<std::uint16_t> sub;
    int pw = 0, ph = 0;
    for (int y = p[0]; y < height; y += p[1], ++ph) {
      pw = 0;
      for (int x = p[2]; x < width; x += p[3], ++pw)
        for (int c = 0; c < channels; ++c)
          sub.push_back(samples[static_cast<std::size_t>((y * width + x) * channels + c)]);
    }
    if (pw == 0 || ph == 0) continue;
    out += FilterRows(pw, ph, depth, channels, sub, filter, cycle);
  }
  return out;
}

std::string File(const Picture& p) {
  const std::string z =
      Zlib(Scanlines(p.width, p.height, p.depth, Channels(p.colorType), p.samples, p.interlace == 1), p.blocks);
  std::string f = Signature() + Ihdr(p.width, p.height, p.depth, p.colorType, p.interlace);
  for (const auto& c : p.before) f += c;
  const std::size_t part = (z.size() + static_cast<std::size_t>(p.idatParts) - 1) / static_cast<std::size_t>(p.idatParts);
  for (std::size_t at = 0; at < z.size(); at += part) f += Chunk("IDAT", z.substr(at, part));
  return f + Chunk("IEND", "");
}

}  // namespace testsupport::png
