// generate_buffer OUT EVENTS [LOGINS] [SEED]: writes a realistic main.buf.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "buffer_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("Usage: generate_buffer OUT EVENTS [LOGINS] [SEED]\n", stderr);
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  const long long events = std::atoll(argv[2]);
  const int logins = argc > 3 ? std::atoi(argv[3]) : 1000;
  const unsigned seed = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1;
  vornal::bench::BufferGenerator generator(logins, seed, *vornal::DateTime::FromParts(2024, 3, 4));
  const long long written = generator.Write(out, events);
  out.close();
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("%lld lines for %d logins in %s\n", written, logins, argv[1]);
  return 0;
}
