// The recent-items popup that a "/#o" start shows before the ordinary chooser.
// Owns its model for the moment it is shown; the layout and the ids are recent_menu.h's.
#pragma once

#include "choice/choice.h"
#include "os/os.h"

// Shows the recent items at the popup origin and carries out the choice: choice_scheduled when an
// item's output is scheduled, choice_continue for "&@ 通常起動", choice_cancelled otherwise.
choice_result show_recent_popup(os_window main);
