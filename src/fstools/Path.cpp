#include "fstools/Path.h"
