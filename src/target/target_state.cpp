#include "target/target.h"

#include <cstring>

window_list windows;
target_record target;

void reset_target_state()
{
    memset(&windows, 0, sizeof windows);
    memset(&target, 0, sizeof target);
}
