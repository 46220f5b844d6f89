// The preview's engine font looked up as each preview start does, for the three languages:
// prints the time of the first lookup (which loads the font configuration) and of the later ones.
//   bench_fontfile [rounds]     (default 20)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/fontfile.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  const char* patterns[] = {"Arial", "SimHei:lang=zh-cn", "KaiTi:lang=zh-tw"};
  double first = 0, later = 0;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string file = win::FontFileFor(patterns[i % 3]);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (i == 0) {
      first = ms;
      std::printf("font for %s: %s\n", patterns[0], file.c_str());
    } else {
      later += ms;
    }
  }
  std::printf("first lookup: %.2f ms\n", first);
  if (rounds > 1) std::printf("later lookups: %.3f ms each (%d)\n", later / (rounds - 1), rounds - 1);
  return 0;
}
