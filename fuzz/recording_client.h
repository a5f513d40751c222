// The client record with its window side recorded (fuzz/recording_client.cpp).
#pragma once

#include "client/irc_client.h"

// Forgets the tabs' selection, the properties and the user list of the last input.
void ForgetRecordedWindow();
