#include "output/message_sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
int g_requests;
bool g_started;
}

// No SND_FILENAME: the name is looked up as a sound alias first.
void PlayMessageSound()
{
    ++g_requests;
    g_started = true;
    PlaySoundA("IRCSkin/Message.wav", NULL, SND_ASYNC);
}

// A stop waits for the player of the current sound to end.
void StopMessageSound()
{
    if (g_started)
        PlaySoundA(NULL, NULL, 0);
    g_started = false;
}

int MessageSoundRequests()
{
    return g_requests;
}
