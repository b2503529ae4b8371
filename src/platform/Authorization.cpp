#include "platform/Authorization.h"
