/* Times whole runs of a program, started directly (no shell in between),
 * with standard input and output on /dev/null:
 *   spawn_time RUNS PROGRAM [ARGS...]
 * Prints the fastest and the median run in microseconds. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static int byValue(const void* a, const void* b) {
  double x = *(const double*)a;
  double y = *(const double*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  if (argc < 3 || atoi(argv[1]) <= 0) {
    fprintf(stderr, "usage: spawn_time RUNS PROGRAM [ARGS...]\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  double* took = malloc(sizeof(double) * (size_t)runs);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  for (int run = 0; run < runs; ++run) {
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child;
    if (posix_spawn(&child, argv[2], &files, NULL, argv + 2, environ) != 0) {
      perror(argv[2]);
      return 1;
    }
    int status;
    waitpid(child, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    took[run] = (double)(end.tv_sec - start.tv_sec) * 1e6 + (double)(end.tv_nsec - start.tv_nsec) / 1e3;
  }
  qsort(took, (size_t)runs, sizeof(double), byValue);
  printf("%.1f %.1f\n", took[0], took[runs / 2]);
  free(took);
  return 0;
}
