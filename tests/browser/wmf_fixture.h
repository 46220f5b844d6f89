// Metafiles for tests, made of records given as their function and parameter words.
#pragma once
#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace wmf_fixture {

class WmfBuilder {
 public:
  WmfBuilder& record(uint16_t function, std::vector<uint16_t> params) {
    records_.push_back({function, std::move(params)});
    return *this;
  }
  // With a placeable header holding this box (at 96 units per inch one unit is one pixel),
  // or without one.
  QByteArray bytes(int left, int top, int right, int bottom, int inch = 96) const {
    return bytes(true, left, top, right, bottom, inch);
  }
  QByteArray bytesWithoutBox() const { return bytes(false, 0, 0, 0, 0, 0); }

 private:
  QByteArray bytes(bool placeable, int left, int top, int right, int bottom, int inch) const {
    QByteArray b;
    auto u16 = [&b](int v) {
      b += char(v & 0xFF);
      b += char((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
      u16(int(v & 0xFFFF));
      u16(int(v >> 16));
    };
    if (placeable) {
      u32(0x9AC6CDD7);
      for (int v : {0, left, top, right, bottom, inch, 0, 0, 0}) u16(v);
    }
    size_t words = 9 + 3;
    for (const auto& r : records_) words += 3 + r.params.size();
    for (int v : {1, 9, 0x300}) u16(v);
    u32(uint32_t(words));
    u16(8);
    u32(0);
    u16(0);
    for (const auto& r : records_) {
      u32(uint32_t(3 + r.params.size()));
      u16(r.function);
      for (uint16_t v : r.params) u16(v);
    }
    u32(3);
    u16(0);
    return b;
  }

  struct Record {
    uint16_t function;
    std::vector<uint16_t> params;
  };
  std::vector<Record> records_;
};

inline std::vector<uint16_t> Colour(int r, int g, int b) {
  return {uint16_t(r | (g << 8)), uint16_t(b)};
}

inline std::vector<uint16_t> Join(std::initializer_list<std::vector<uint16_t>> parts) {
  std::vector<uint16_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace wmf_fixture
