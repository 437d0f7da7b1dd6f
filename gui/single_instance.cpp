#include "gui/single_instance.h"

#include <cstdlib>

#include "gui/front_end_handles.h"
#include "gui/program_names.h"

int check_single_instance() {
  const ATOM found = GlobalFindAtomA(instance_atom_name);
  if (found != 0) {
    if (FindWindowA(window_class_name, nullptr) != nullptr) return 1;
    instance_atom = found;  // stale: its removal at our end balances the killed program's add
  } else {
    instance_atom = GlobalAddAtomA(instance_atom_name);
  }
  std::atexit(remove_instance_atom);
  return 0;
}

void remove_instance_atom() {
  if (instance_atom != 0) {
    GlobalDeleteAtom(instance_atom);
    instance_atom = 0;
  }
}
