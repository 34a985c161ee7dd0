// The hand-over messages of later starts while a delivery runs.
// Owns: `handover`, whether a delivery runs and which hand-over requests wait for its end.
// A "/#z" start sends the running instance WM_CLOSE, a plain second start sends WM_COPYDATA; the
// delivery's waits answer sent messages, so either would be handled in the middle of a paste (cut
// off half way, or keys landing in the new instance's menu). While a delivery runs both are only
// remembered, and carried out right after it; at any other time they are carried out at once.
#pragma once

#include <cstdint>

struct handover_state {
    int32_t delivering;
    int32_t close_pending;    // a WM_CLOSE arrived during the delivery
    int32_t activate_pending; // a hand-over request "1" arrived during the delivery
};

extern handover_state handover;

void reset_handover();

// What the front carries out when a delivery has ended. A close wins over a hand-over request: the
// instance ends either way.
enum handover_followup : int32_t { followup_none = 0, followup_close = 1, followup_activate = 2 };

void handover_begin_delivery();
// Ends the delivery and gives what was asked meanwhile (and forgets it).
handover_followup handover_end_delivery();
// A WM_CLOSE arrived: 1 to close now; 0 during a delivery (remembered for its end).
int handover_close_now();
// A valid hand-over request arrived: 1 to activate again now; 0 during a delivery (remembered).
int handover_activate_now();
