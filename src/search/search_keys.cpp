#include "search/search_keys.h"
