// The chat client record as its window gets it.
#include "client/irc_client.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientRecord, FreshRecord)
{
    CIrcClient client(NULL);
    EXPECT_EQ(6697, client.m_port);
    EXPECT_EQ(1, client.m_soundOn);
    EXPECT_EQ(1, client.m_nickEditLocked);
    EXPECT_EQ(' ', client.m_nickPrefix);
    EXPECT_EQ(0, client.m_tabCount);
    EXPECT_EQ(0, client.m_tabHighWater);
    EXPECT_EQ(0, client.m_connected);
    EXPECT_EQ(0, client.m_loginState);
    EXPECT_EQ(0u, client.m_socket);
    EXPECT_STREQ("", client.m_szNick);
    EXPECT_STREQ("", client.m_szServer);
    EXPECT_STREQ("", client.m_szChannel);
    EXPECT_STREQ("", client.m_ioBuf);
    EXPECT_NE(nullptr, client.m_hFont);
    ASSERT_NE(nullptr, client.m_tabs);
    for (int i = 0; i < kMaxTabs; ++i) {
        EXPECT_STREQ("", client.m_tabs[i].szName);
        EXPECT_EQ(nullptr, client.m_tabs[i].hPage);
    }
    for (int i = 0; i < kPingSlots; ++i)
        EXPECT_EQ(0, client.m_pingTimes[i]);
}

TEST(ClientRecord, NewMessageIconComesFromTheSkin)
{
    // The tests run from the programs' folder, where the build drew IRCSkin/.
    CIrcClient client(NULL);
    ASSERT_NE(nullptr, client.m_hImageList);
    EXPECT_EQ(1, ImageList_GetImageCount(client.m_hImageList));
    int width = 0, height = 0;
    ImageList_GetIconSize(client.m_hImageList, &width, &height);
    EXPECT_EQ(16, width);
    EXPECT_EQ(16, height);
}

TEST(ClientRecord, OwnSocket)
{
    CIrcClient client(NULL);
    client.m_socket = 1234;
    EXPECT_TRUE(client.IsOwnSocket(1234));
    EXPECT_FALSE(client.IsOwnSocket(1235));
}

} // namespace
