#include "output/output_state.h"

#include <cstring>

output_state output;

void reset_output_state() { memset(&output, 0, sizeof output); }
