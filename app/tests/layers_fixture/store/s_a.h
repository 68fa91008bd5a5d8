// Two folders of one layer that include each other.
#include "slp/s_b.h"
