#include "output/message_sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
int g_requests;
}

// No SND_FILENAME: the name is looked up as a sound alias first.
void PlayMessageSound()
{
    ++g_requests;
    PlaySoundA("IRCSkin/Message.wav", NULL, SND_ASYNC);
}

int MessageSoundRequests()
{
    return g_requests;
}
