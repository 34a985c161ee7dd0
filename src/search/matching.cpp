#include "search/matching.h"

matching_state matching;

void reset_matching_state()
{
    matching.migemo_library = 0;
    matching.regex_library = 0;
    matching.migemo_handle = 0;
    matching.regex_pattern_built = 0;
    matching.regex_pattern[0] = '\0';
}
