#pragma once

#include <unknwn.h>

#include <utility>

// Sole owner of one COM reference: released when the holder goes or is
// reset. Moving hands the reference on; copying would count it twice.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    explicit ComPtr(T* owned) : ptr(owned) {}
    ~ComPtr() { Reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            ptr = other.Detach();
        }
        return *this;
    }

    T* get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }

    // For out parameters: drops what is held and returns the slot to fill.
    T** put()
    {
        Reset();
        return &ptr;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    void Reset()
    {
        T* old = ptr;
        ptr = nullptr;
        if (old)
            old->Release();
    }

    // Gives the reference to the caller, who must release it.
    T* Detach()
    {
        T* owned = ptr;
        ptr = nullptr;
        return owned;
    }

    // Queries `source` for this holder's interface.
    HRESULT QueryFrom(IUnknown* source, REFIID iid)
    {
        Reset();
        if (!source)
            return E_POINTER;
        const HRESULT hr = source->QueryInterface(iid, reinterpret_cast<void**>(&ptr));
        if (FAILED(hr))
            ptr = nullptr;  // never trust an out value that came with a failure
        return hr;
    }

private:
    T* ptr = nullptr;
};
