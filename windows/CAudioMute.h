#pragma once

#include "base/ComPtr.h"

#include <windows.h>

#include <audiopolicy.h>

// Silences the client's own sound (its audio session on the default output
// device) while the boss key hides it, and gives back exactly the mute state
// the player had: what the player muted stays muted. Without a sound device
// it does nothing. Owning thread: main (COM initialised there); Close before
// COM goes.
class CAudioMute {
public:
    CAudioMute() = default;
    CAudioMute(const CAudioMute&) = delete;
    CAudioMute& operator=(const CAudioMute&) = delete;

    // Mutes the session, remembering whether it already was. Twice in a row
    // keeps the first answer.
    void Mute();
    // Puts the session back as Mute found it; nothing when Mute did nothing.
    void Restore();
    // Restore, then let go of the session.
    void Close();
    bool muting() const { return engaged; }

    // The process's session volume control, looked up once and kept (some
    // systems give each lookup a state of its own); null without a device.
    ISimpleAudioVolume* Session();

private:
    ComPtr<ISimpleAudioVolume> session;
    bool engaged = false;
    bool wasMuted = false;
};
