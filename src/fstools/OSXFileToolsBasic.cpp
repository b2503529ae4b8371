#include "fstools/OSXFileToolsBasic.h"
