#include "windows/CAudioMute.h"

#include <mmdeviceapi.h>

ISimpleAudioVolume* CAudioMute::Session()
{
    if (session)
        return session.get();
    ComPtr<IMMDeviceEnumerator> devices;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), devices.putVoid())))
        return nullptr;
    ComPtr<IMMDevice> output;
    if (FAILED(devices->GetDefaultAudioEndpoint(eRender, eConsole, output.put())))
        return nullptr;
    ComPtr<IAudioSessionManager> sessions;
    if (FAILED(output->Activate(__uuidof(IAudioSessionManager), CLSCTX_INPROC_SERVER, nullptr,
                                sessions.putVoid())))
        return nullptr;
    // The process's default session: where the page's sound plays.
    if (FAILED(sessions->GetSimpleAudioVolume(nullptr, FALSE, session.put())))
        session.Reset();
    return session.get();
}

void CAudioMute::Mute()
{
    if (engaged)
        return;
    ISimpleAudioVolume* volume = Session();
    BOOL muted = FALSE;
    if (!volume || FAILED(volume->GetMute(&muted)))
        return;
    wasMuted = muted != FALSE;
    if (!wasMuted && FAILED(volume->SetMute(TRUE, nullptr)))
        return;
    engaged = true;
}

void CAudioMute::Restore()
{
    if (!engaged)
        return;
    engaged = false;
    // Muted by the player before: it stays so.
    if (!wasMuted && session)
        session->SetMute(FALSE, nullptr);
}

void CAudioMute::Close()
{
    Restore();
    session.Reset();
}
