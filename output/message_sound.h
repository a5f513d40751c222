// The sound played when the user is addressed.
#pragma once

// Counts a request and starts "IRCSkin/Message.wav" asynchronously.
void PlayMessageSound();

// The two halves of PlayMessageSound: a batch of output lines counts each
// request and starts the sound once for all of them (under Wine every start
// gives the player a thread of its own, and a flood of private lines would
// start hundreds a second where the ear hears one).
void CountMessageSoundRequest();
void StartMessageSound();

// Stops the sound and waits until its player thread has ended, if the sound
// was started since the last stop.
void StopMessageSound();

// How many times the sound was asked for since the module was loaded; lets a
// test see the request without hearing it.
int MessageSoundRequests();
