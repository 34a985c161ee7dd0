// The title popup's Win32 front: reads the target window's title and tracks the group's popup.
#pragma once

#include "choice/choice.h"
#include "os/os.h"

// choice_scheduled when it took over the activation (output scheduled or the instance closing),
// choice_continue for the ordinary chooser to follow.
choice_result show_title_popup(os_window main);
