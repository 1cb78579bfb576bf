// The message numbers live below the windows and the workers alike.
#pragma once

#include "platform/message_numbers.h"
