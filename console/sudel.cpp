#include "console/console_main.h"
#include "core/pi/pi.h"

int main(int argc, char** argv) {
  const console_program program{"sudel", "on a^2 and b^2", compute_pi_squared};
  return console_main(argc, argv, program);
}
