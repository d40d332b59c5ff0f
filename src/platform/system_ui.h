// For ui.cpp only: the backend's own user interface, in force when no other is installed.
#pragma once

#include "platform/ui.h"

namespace platform {

UserInterface& SystemUserInterface();

}  // namespace platform
