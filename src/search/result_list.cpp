#include "search/result_list.h"
