#include "gui/size_items.h"

#include "gui/command_ids.h"
#include "gui/front_end_handles.h"

static void set_size_items(UINT state) {
  HMENU menu = GetMenu(main_window);
  for (UINT command = COMMAND_SIZE_FIRST; command <= COMMAND_SIZE_LAST; ++command)
    EnableMenuItem(menu, command, MF_BYCOMMAND | state);
}

void gray_size_items() { set_size_items(MF_GRAYED); }

void enable_size_items() { set_size_items(MF_ENABLED); }
