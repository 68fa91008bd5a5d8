#include "store/s_a.h"
