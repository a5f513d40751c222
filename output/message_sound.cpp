#include "output/message_sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

// A sound asked for this soon after the last one started is not started
// again: every start gives the player a thread of its own (under Wine one
// per call), and a flood of private lines would start hundreds a second
// where the ear hears one.
const DWORD kSoundGapMs = 1000;

int g_requests;
bool g_started;
DWORD g_lastStart;

} // namespace

// No SND_FILENAME: the name is looked up as a sound alias first.
void PlayMessageSound()
{
    ++g_requests;
    const DWORD now = GetTickCount();
    if (g_started && now - g_lastStart < kSoundGapMs)
        return;
    g_started = true;
    g_lastStart = now;
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
