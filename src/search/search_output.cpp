#include "search/search_output.h"
