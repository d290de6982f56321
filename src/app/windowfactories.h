#pragma once

#include "app/mainform.h"

// The windows that the main window opens, as the program ships them.
Tbank::Windows programWindows(const Context& context);
