/* The yardstick for start-up time: a C program that prints one line. */
#include <stdio.h>

int main(void) {
  puts("Hello, world!");
  return 0;
}
