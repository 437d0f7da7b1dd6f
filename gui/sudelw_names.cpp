// sudelw: the windowed program of the squared AGM variant.
#include "core/pi/pi.h"
#include "gui/program_names.h"

const char window_class_name[] = "sudelwClass";
const char window_title[] = "sudelw";
const char icon_resource_name[] = "SDWICON";
const char menu_resource_name[] = "SDWMENU";
const char accelerator_resource_name[] = "SDWACCEL";
const char instance_atom_name[] = "pi calc soft sdw";

pi_status (*const agm_driver)(int32_t, const pi_events*, pi_result*) = compute_pi_squared;
