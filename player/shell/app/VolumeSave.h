#pragma once

#include "SaveAtRest.h"

// The listener's volume, 0 to 100, saved once it rests.
using VolumeSave = SaveAtRest<int>;
