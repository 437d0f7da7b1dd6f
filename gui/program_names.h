// The table of names by which the two windowed programs differ; each program links one table
// (mevrow_names.cpp or sudelw_names.cpp) with the same front end.
#pragma once
#include <cstdint>

#include "core/pi/pi.h"

extern const char window_class_name[];
extern const char window_title[];
extern const char icon_resource_name[];
extern const char menu_resource_name[];
extern const char accelerator_resource_name[];
extern const char instance_atom_name[];  // the single-instance marker in the global atom table

// The AGM driver of the program: computes pi to `digits` decimals into pi.txt and says how the run ended.
extern pi_status (*const agm_driver)(int32_t digits, const pi_events* events, pi_result* result);
