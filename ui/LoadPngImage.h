#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// Loads the "PNG" resource `resourceId` of the executable as a GDI+ image.
// Null for id 0, a missing resource, a failing stream or undecodable bytes.
// The image carries the stream over its private copy of the resource bytes
// and releases both when it is deleted.
std::unique_ptr<Gdiplus::Image> LoadPngImage(int resourceId);

// The same picture converted once into a premultiplied CPicture of its own
// (drawing it gives the same pixels without converting them on every draw).
// Null as for LoadPngImage.
std::unique_ptr<Gdiplus::Image> LoadPremultipliedPng(int resourceId);
