#include "output/message_sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
int g_requests;
bool g_started;
}

void CountMessageSoundRequest()
{
    ++g_requests;
}

// No SND_FILENAME: the name is looked up as a sound alias first.
void StartMessageSound()
{
    g_started = true;
    PlaySoundA("IRCSkin/Message.wav", NULL, SND_ASYNC);
}

void PlayMessageSound()
{
    CountMessageSoundRequest();
    StartMessageSound();
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
