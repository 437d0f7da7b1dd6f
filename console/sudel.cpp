#include "console/console_main.h"
#include "core/pi/pi.h"

int main() { return console_main(compute_pi_squared); }
