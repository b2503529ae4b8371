#include "system/ProcessManager.h"
