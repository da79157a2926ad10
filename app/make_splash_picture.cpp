// Writes the start-up picture to the path given: the build puts it beside the program.
#include <cstdio>

#include "editor/shell/splash_picture.h"

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_splash_picture <file>\n");
    return 2;
  }
  if (!WriteSplashPicture(argv[1])) {
    std::fprintf(stderr, "make_splash_picture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
