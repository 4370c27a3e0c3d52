#include "ProgramImages.h"
