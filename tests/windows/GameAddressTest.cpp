#include "windows/BossKey.h"
#include "windows/GameAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SiteRoots Roots()
{
    SiteRoots roots;
    roots.platform = L"http://127.0.0.1:8080";
    roots.forum = L"https://forum.example.net";
    roots.official = L"http://www.example.org";
    return roots;
}

} // namespace

TEST(GameAddress, RecognisesGameAddressesBySubstring)
{
    EXPECT_TRUE(IsGameAddress(L"http://h/game?type=3&server_id=1"));
    EXPECT_TRUE(IsGameAddress(L"http://h/play?client=1"));
    // Any parameter ending in "type" with a value starting with 3 matches.
    EXPECT_TRUE(IsGameAddress(L"http://h/x?gametype=37"));
    EXPECT_FALSE(IsGameAddress(L"http://h/game?type=2&server_id=1"));
    EXPECT_FALSE(IsGameAddress(L"http://h/game?TYPE=3"));
    EXPECT_FALSE(IsGameAddress(L"http://h/lander/qmvt?client=2"));
    EXPECT_FALSE(IsGameAddress(L""));
    EXPECT_FALSE(IsGameAddress(nullptr));
}

TEST(GameAddress, ServerIdIsCutAtTheNextParameterAndOtherwiseKeptWhole)
{
    std::wstring id = L"old";
    EXPECT_TRUE(FindServerId(L"http://h/g?type=3&server_id=1024&t=9", id));
    EXPECT_EQ(L"1024", id);
    EXPECT_TRUE(FindServerId(L"http://h/g?type=3&server_id=s77", id));
    EXPECT_EQ(L"s77", id);
    EXPECT_TRUE(FindServerId(L"http://h/g?server_id=&type=3", id));
    EXPECT_EQ(L"", id);
    // Only the first occurrence counts.
    EXPECT_TRUE(FindServerId(L"http://h/g?server_id=5&server_id=6", id));
    EXPECT_EQ(L"5", id);

    // A cut id would name another server.
    const std::wstring longId(300, L'7');
    EXPECT_TRUE(FindServerId((L"http://h/g?client=1&server_id=" + longId).c_str(), id));
    EXPECT_EQ(longId, id);

    id = L"kept";
    EXPECT_FALSE(FindServerId(L"http://h/g?client=1", id));
    EXPECT_FALSE(FindServerId(nullptr, id));
    EXPECT_EQ(L"kept", id);
}

TEST(GameAddress, TitleBarLinksComposeTheirPages)
{
    const SiteRoots roots = Roots();
    EXPECT_EQ(L"http://127.0.0.1:8080/services", GameLinkAddress(ServiceLinkId, roots, L"", L"1"));
    EXPECT_EQ(L"https://forum.example.net/forum.php?mod=forumdisplay&fid=601",
              GameLinkAddress(ForumLinkId, roots, L"", L""));
    EXPECT_EQ(L"http://www.example.org/", GameLinkAddress(OfficialLinkId, roots, nullptr, L""));
    EXPECT_EQ(L"", GameLinkAddress(10024, roots, L"", L"1"));

    EXPECT_EQ(L"http://127.0.0.1:8080/pay?gid=148&user_name=&server_id=1001",
              GameLinkAddress(PaymentLinkId, roots, L"", L"1001"));
    EXPECT_EQ(L"http://127.0.0.1:8080/pay?gid=148&user_name=ann",
              GameLinkAddress(PaymentLinkId, roots, L"ann", L""));
    EXPECT_EQ(L"http://127.0.0.1:8080/pay?gid=148&user_name=",
              GameLinkAddress(PaymentLinkId, roots, nullptr, L""));
    // No fixed buffer: a long id and name reach the page whole.
    const std::wstring longId(600, L'9');
    const std::wstring payment = GameLinkAddress(PaymentLinkId, roots, L"ann", longId);
    EXPECT_EQ(L"http://127.0.0.1:8080/pay?gid=148&user_name=ann&server_id=" + longId, payment);
}

TEST(BossKey, ConfiguredKeyReplacesAltDOnlyWhenUsable)
{
    const BossKey none = ConfiguredBossKey(0, 0);
    EXPECT_EQ(static_cast<UINT>(MOD_ALT), none.modifiers);
    EXPECT_EQ(static_cast<UINT>('D'), none.virtualKey);

    const BossKey f8 = ConfiguredBossKey(MOD_CONTROL | MOD_SHIFT, VK_F8);
    EXPECT_EQ(static_cast<UINT>(MOD_CONTROL | MOD_SHIFT), f8.modifiers);
    EXPECT_EQ(static_cast<UINT>(VK_F8), f8.virtualKey);
    // Function keys may stand alone, F1 to F24 and nothing past them.
    for (const UINT key : {static_cast<UINT>(VK_F1), static_cast<UINT>(VK_F24)}) {
        const BossKey bare = ConfiguredBossKey(0, static_cast<int>(key));
        EXPECT_EQ(0u, bare.modifiers);
        EXPECT_EQ(key, bare.virtualKey);
    }
    EXPECT_EQ(static_cast<UINT>('D'), ConfiguredBossKey(0, VK_F24 + 1).virtualKey);
    // Except F10, the client's own full-screen key: refused like a bare letter.
    EXPECT_EQ(static_cast<UINT>('D'), ConfiguredBossKey(0, VK_F10).virtualKey);
    EXPECT_EQ(static_cast<UINT>(VK_F10), ConfiguredBossKey(MOD_CONTROL, VK_F10).virtualKey);

    // Modifiers given without a key, unknown modifier bits and keys out of
    // range all leave Alt+D.
    for (const auto& asked : {std::pair<int, int>{MOD_CONTROL, 0}, std::pair<int, int>{0x100, 'Q'},
                              std::pair<int, int>{-1, 'Q'}, std::pair<int, int>{MOD_ALT, 0x1FF},
                              std::pair<int, int>{MOD_ALT, -5}, std::pair<int, int>{0, 'D'},
                              std::pair<int, int>{MOD_NOREPEAT, VK_SPACE}}) {
        const BossKey key = ConfiguredBossKey(asked.first, asked.second);
        EXPECT_EQ(static_cast<UINT>(MOD_ALT), key.modifiers) << asked.first << "," << asked.second;
        EXPECT_EQ(static_cast<UINT>('D'), key.virtualKey) << asked.first << "," << asked.second;
    }
}

TEST(BossKey, NamesReadLikeMenuShortcuts)
{
    EXPECT_EQ(L"Alt+D", BossKeyName(DefaultBossKey));
    EXPECT_EQ(L"Ctrl+Shift+F8", BossKeyName(BossKey{MOD_SHIFT | MOD_CONTROL, VK_F8}));
    EXPECT_EQ(L"Ctrl+Alt+Shift+Win+7", BossKeyName(BossKey{MOD_WIN | MOD_SHIFT | MOD_ALT | MOD_CONTROL, '7'}));
    EXPECT_EQ(L"F24", BossKeyName(BossKey{0, VK_F24}));
    // Other keys use the keyboard's own name, never an empty one.
    const std::wstring space = BossKeyName(BossKey{MOD_ALT, VK_SPACE});
    EXPECT_EQ(0u, space.find(L"Alt+"));
    EXPECT_GT(space.size(), 4u);
}
