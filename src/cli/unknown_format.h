#pragma once

// UnknownFormat lives with the format homes now; this include keeps the play command building
// until it includes formats/home_of.h itself.
#include "formats/home_of.h"
