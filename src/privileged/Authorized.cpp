#include "privileged/Authorized.h"
