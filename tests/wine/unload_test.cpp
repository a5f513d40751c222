// A host unloads the library once its last window is gone, and loads it
// again: the unload frees the module inside DllMain, after the last window
// stopped the message sound that a private line started.
#include "include/talvo_irc.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Unload, TheLibraryUnloadsAfterItsLastWindowAndServesAgainOnceReloaded)
{
    for (int load = 0; load < 2; ++load) {
        HMODULE library = LoadLibraryA("TalvoIrc.dll");
        ASSERT_TRUE(library != NULL);
        auto receiveMessage = TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage");
        HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 760, 560, NULL, NULL,
                                    GetModuleHandleA(NULL), NULL);
        CreateWindowRecord record = {};
        record.hParent = host;
        ASSERT_EQ(MM_OK, receiveMessage(0, MM_CREATE_WINDOW, &record, 0));
        HWND dialog = GetWindow(host, GW_CHILD);

        IrcPeer peer;
        EXPECT_TRUE(LogInToPeer(dialog, peer));
        // A private line asks for the sound; the window goes right after.
        peer.Send(":tester!u@h JOIN :#marketbay\r\n:anya!u@h PRIVMSG tester :psst\r\nPING :unload\r\n");
        EXPECT_TRUE(PumpUntil([&] { return peer.Received().find("PONG :unload\r\n") != std::string::npos; }));

        EXPECT_EQ(MM_OK, receiveMessage(0, MM_DESTROY_WINDOW, record.pWindow, 0));
        EXPECT_FALSE(IsWindow(dialog));
        DestroyWindow(host);
        EXPECT_TRUE(FreeLibrary(library));
        EXPECT_TRUE(GetModuleHandleA("TalvoIrc.dll") == NULL) << "load " << load << ": the library stayed loaded";
    }
}

} // namespace
