#include "privileged/AuthorizationShell.h"
