#pragma once

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

class CDoubleLog;

// The DWebBrowserEvents2 connection point of the control. It lives inside
// the control and shares its reference count.
class CEventConnection : public IConnectionPoint {
public:
    CEventConnection(IConnectionPointContainer& container, const CDoubleLog& log);
    CEventConnection(const CEventConnection&) = delete;
    CEventConnection& operator=(const CEventConnection&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Calls every sink connected now; sinks may connect or disconnect meanwhile.
    void Fire(DISPID id, DISPPARAMS& parameters);
    size_t SinkCount() const { return sinks.size(); }

private:
    IConnectionPointContainer& container;
    const CDoubleLog& log;
    std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks;
    DWORD nextCookie = 1;
};
