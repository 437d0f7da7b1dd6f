// mevrow: the windowed program of the direct AGM variant.
#include "core/pi/pi.h"
#include "gui/program_names.h"

const char window_class_name[] = "mevrowClass";
const char window_title[] = "mevrow";
const char icon_resource_name[] = "MVWICON";
const char menu_resource_name[] = "MVWMENU";
const char accelerator_resource_name[] = "MVWACCEL";
const char instance_atom_name[] = "pi calc soft mvw";

pi_status (*const agm_driver)(int32_t, const pi_events*, pi_result*) = compute_pi_direct;
