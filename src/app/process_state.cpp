#include "app/process_state.h"

#include "app/handover.h"
#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "output/output_state.h"
#include "search/search_state.h"
#include "target/target.h"

void init_process_state()
{
    reset_settings();
    reset_handover();
    reset_search_state();
    delivery_hooks = delivery_hook_table{};
}

void reset_process_state()
{
    reset_item_store();
    reset_target_state();
    reset_output_state();
    init_process_state();
}
