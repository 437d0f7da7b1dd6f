#include "console/console_main.h"
#include "core/pi/pi.h"

int main(int argc, char** argv) {
  const console_program program{"mevroc", "on a and b", compute_pi_direct};
  return console_main(argc, argv, program);
}
