/* A client as real ones are: it appends its event lines to main.buf through
 * stdio with a 4 KiB buffer, so the file grows in 4 KiB pieces that cut
 * lines anywhere, keeps the file open for a while and opens it again (a new
 * main.buf once the old one was claimed), and pauses at random moments.
 *
 * Usage: buffered_client FILE NAME KEYS SEED [MAX_PAUSE_US [JUNK_EVERY]]
 *
 * For each key k it writes a working day of its own login NAME-k: a
 * "StartWDay" and, 30 seconds later, a "StopWDay", in January 2024 (key k at
 * minute k). Applied exactly once, each pair leaves one finished row. With
 * JUNK_EVERY > 0, every so many keys it also writes a line that is no event.
 * Files are made writable by everybody (umask 0), as on a shared folder. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static FILE* Open(const char* path) {
  FILE* file = fopen(path, "a");
  if (!file) {
    perror(path);
    exit(1);
  }
  setvbuf(file, NULL, _IOFBF, 4096);
  return file;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: buffered_client FILE NAME KEYS SEED [MAX_PAUSE_US [JUNK_EVERY]]\n");
    return 2;
  }
  const char* path = argv[1];
  const char* name = argv[2];
  const long keys = atol(argv[3]);
  srand((unsigned)atol(argv[4]));
  const long maxPause = argc > 5 ? atol(argv[5]) : 200;
  const long junkEvery = argc > 6 ? atol(argv[6]) : 0;
  umask(0);
  FILE* file = Open(path);
  for (long k = 0; k < keys; ++k) {
    struct tm day = {0};
    day.tm_year = 2024 - 1900;
    day.tm_mday = 1;
    day.tm_min = (int)k;
    day.tm_isdst = -1;
    const time_t t = timegm(&day);
    struct tm at;
    gmtime_r(&t, &at);
    for (int stop = 0; stop < 2; ++stop)
      fprintf(file, "%d|%d|%d|%d|%d|%d|%s-%06ld|%s|\r\n", at.tm_year + 1900, at.tm_mon + 1,
              at.tm_mday, at.tm_hour, at.tm_min, stop ? 30 : 0, name, k,
              stop ? "StopWDay" : "StartWDay");
    if (junkEvery > 0 && k % junkEvery == 0) fprintf(file, "%s-%06ld|no event here|\r\n", name, k);
    if (maxPause > 0 && rand() % 4 == 0) usleep((useconds_t)(rand() % maxPause));
    if (rand() % 500 == 0) {
      fclose(file);
      file = Open(path);
    }
  }
  fclose(file);
  return 0;
}
