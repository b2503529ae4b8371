#include "privileged/AuthorizationShell1.h"
