#pragma once
#include "kernel/k_low.h"
