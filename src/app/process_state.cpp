#include "app/process_state.h"

#include "app/handover.h"
#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "output/output_state.h"
#include "search/matching.h"
#include "search/search_state.h"
#include "target/target.h"

void start_run_modes()
{
    expansion.replace_enabled = settings.replace_enabled;
    expansion.sendkey_file_enabled = settings.sendkey_file_enabled;
    choice_run.output_mode = settings.output_mode;
    choice_run.text_file_search = settings.text_file_search;
    search_run.search_kind = settings.search_kind;
    search_run.migemo_on = settings.migemo_on;
    search_run.initial_word_state = settings.initial_word_state;
    target.window_select_mode = settings.window_select_mode;
}

void init_process_state()
{
    reset_settings();
    reset_handover();
    reset_search_state();
    reset_matching_state();
    delivery_hooks = delivery_hook_table{};
    start_run_modes();
}

void reset_process_state()
{
    reset_item_store();
    reset_target_state();
    reset_output_state();
    log_entry_count = 0;
    init_process_state();
}
