// Entry of both windowed programs; the program is chosen by the table of names it is linked with.
#include <windows.h>

#include "core/fft/simd_path.h"
#include "gui/register_and_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A vector path forced by PI_AGM_SIMD that cannot run ends the program before any window exists.
  if (char why[160]; !choose_simd_path_from_environment(why, sizeof why)) {
    MessageBoxA(nullptr, why, "PI_AGM_SIMD", MB_OK | MB_ICONERROR);
    return 1;
  }
  return register_and_run(instance);
}
