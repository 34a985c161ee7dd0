#include "search/search_state.h"

#include "search/matching.h"

search_run_state search_run;

void reset_search_state()
{
    search_run = search_run_state{};
    reset_matching_state();
}
