#include "Charts.h"
