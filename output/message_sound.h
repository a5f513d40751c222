// The sound played when the user is addressed.
#pragma once

// Starts "IRCSkin/Message.wav" asynchronously, unless it started less than
// a second ago.
void PlayMessageSound();

// Stops the sound and waits until its player thread has ended, if the sound
// was started since the last stop.
void StopMessageSound();

// How many times the sound was asked for since the module was loaded; lets a
// test see the request without hearing it.
int MessageSoundRequests();
