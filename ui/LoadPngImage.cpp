#include "ui/LoadPngImage.h"

#include "ui/CPicture.h"

#include <cstring>

namespace {

// Holds the stream's reference. Declared before the image base so that the
// image is disposed first and the stream (with the HGLOBAL it owns) after it:
// GDI+ may read the stream again when it decodes lazily.
struct StreamReference {
    explicit StreamReference(IStream* stream) : stream(stream) {}
    ~StreamReference()
    {
        if (stream)
            stream->Release();
    }
    StreamReference(const StreamReference&) = delete;
    StreamReference& operator=(const StreamReference&) = delete;
    IStream* stream;
};

class StreamImage : private StreamReference, public Gdiplus::Bitmap {
public:
    // Takes over the caller's reference to `stream`.
    explicit StreamImage(IStream* stream) : StreamReference(stream), Gdiplus::Bitmap(stream, TRUE) {}
};

std::unique_ptr<Gdiplus::Bitmap> LoadStreamImage(int resourceId)
{
    if (resourceId == 0)
        return nullptr;
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId & 0xFFFF), L"PNG");
    if (!info)
        return nullptr;
    HGLOBAL resource = LoadResource(module, info);
    if (!resource)
        return nullptr;
    const void* bytes = LockResource(resource);
    const DWORD size = SizeofResource(module, info);
    if (!bytes || size == 0)
        return nullptr;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return nullptr;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);  // not handed over
        return nullptr;
    }
    // From here the stream owns the block and the image owns the stream.
    std::unique_ptr<Gdiplus::Bitmap> image(new StreamImage(stream));
    if (image->GetLastStatus() != Gdiplus::Ok)
        return nullptr;  // undecodable bytes: treated like a missing picture
    return image;
}

} // namespace

std::unique_ptr<Gdiplus::Image> LoadPngImage(int resourceId)
{
    return LoadStreamImage(resourceId);
}

std::unique_ptr<Gdiplus::Image> LoadPremultipliedPng(int resourceId)
{
    return CPicture::From(LoadStreamImage(resourceId));
}
