#pragma once

#include "windows/SiteRoots.h"
#include "ui/BuiltInButtons.h"
#include "ui/CImagePaint.h"
#include "ui/CWindowCtrl.h"
#include "ui/GdiPlusInclude.h"
#include "ui/ShadowOutlines.h"

#include <functional>
#include <string>

class CImageButton;

// Companion of the game window: first the launcher background with its link
// buttons, dragging the small game window along; later, in shadow mode, the
// soft shadow kept 6 pixels around the maximised game window. Owning
// thread: main.
class CFrameBack : public CWindowCtrl {
public:
    static constexpr int Width = 1411;
    static constexpr int Height = 704;
    // Where the login-view game window lies inside the background.
    static constexpr int GameOffsetX = 626;
    static constexpr int GameOffsetY = 212;
    static constexpr int GameWidth = 630;
    static constexpr int GameHeight = 372;

    static constexpr int CloseId = 1002;
    static constexpr int OfficialSiteId = 1003;
    static constexpr int ForumId = 1004;
    static constexpr int ServiceId = 1005;
    static constexpr int PaymentId = 1006;
    static constexpr int BackgroundId = 1007;

    using Opener = std::function<void(const std::wstring& address)>;

    CFrameBack();
    ~CFrameBack() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnMove(int x, int y) override;

    // Creates the launcher background centred in the primary monitor's work
    // area, at that monitor's scale or, where it would not fit, the largest
    // that does.
    HWND CreateLauncher();
    // Where the login-view game window goes on the screen: its place inside
    // the background at the launcher's scale.
    RECT GameWindowRect() const;
    void Show(int command);
    void EnterShadowMode();
    // In shadow mode: `shadowSize` units around the game window.
    void FollowGame(HWND game);

    // Top-left corner of the launcher background, at `dpi`, in a work area.
    static POINT LauncherOrigin(const RECT& workArea, UINT dpi = 96);
    // Page a link button opens; empty for any other id.
    static std::wstring LinkAddress(int id, const SiteRoots& sites, const wchar_t* userName);
    // True for http:// and https:// addresses (any letter case).
    static bool IsWebAddress(const std::wstring& address);
    // Opens a web address in the default browser (or through `opener` when
    // set); anything else is refused. True when it was handed on.
    bool OpenAddress(const std::wstring& address) const;

    int shadowSize = 6;
    int cornerRadius = 3;
    ShadowPens pens;
    ShadowColors colors = {kShadowColors[0], kShadowColors[1], kShadowColors[2]};
    CImagePaint painter;
    // The game window (a CFrameGame), set by it once created; not owned.
    CWindowCtrl* gameWindow = nullptr;
    unsigned char shadowMode = 0;
    // Told the launcher's new DPI after a scale change, so that the login
    // view takes it too.
    std::function<void(UINT dpi)> onLauncherScale;
    // Replaces ShellExecuteW for the link buttons when set.
    Opener opener;
    // For the link pages; the game window hands them on from its
    // configuration before the launcher is created.
    SiteRoots sites = DefaultSiteRoots();
    std::wstring userName;

private:
    void OnNcCreate();
    void OnDpiChanged(UINT monitorDpi, const RECT* suggested);
    bool OnButtonClick(CImageButton* button);
    void OnPaintForeground(Gdiplus::Graphics& graphics);
    HWND GameHandle() const;

    // Where CreateLauncher put (or meant to put) the background.
    RECT launcherRect = {0, 0, 0, 0};
};
