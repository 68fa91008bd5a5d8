// A kernel header that reaches up into the user interface.
#include "ui/u_high.h"
