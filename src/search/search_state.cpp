#include "search/search_state.h"

search_run_state search_run;

void reset_search_state()
{
    search_run = search_run_state{};
}
