// zemra-telvo: the terminal application. Its screens are not built yet; until they are, the
// program says so and ends with a non-zero status.
#include <cstdio>

int main() {
  (void)std::fputs("zemra-telvo: the application's screens are not built yet\n", stderr);
  return 1;
}
