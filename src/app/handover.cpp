#include "app/handover.h"

handover_state handover;

void reset_handover() { handover = handover_state{0, 0, 0}; }

void handover_begin_delivery() { handover.delivering = 1; }

handover_followup handover_end_delivery()
{
    handover_followup followup = followup_none;
    if (handover.close_pending)
        followup = followup_close;
    else if (handover.activate_pending)
        followup = followup_activate;
    reset_handover();
    return followup;
}

int handover_close_now()
{
    if (!handover.delivering)
        return 1;
    handover.close_pending = 1;
    return 0;
}

int handover_activate_now()
{
    if (!handover.delivering)
        return 1;
    handover.activate_pending = 1;
    return 0;
}
