#pragma once

#include "ui/CImagePaintEx.h"
#include "ui/CWindowCtrl.h"

// A window that shows a list of rows: every message goes to its painter.
// Owning thread: the one that creates its window, as for every CWindowCtrl.
class CImageCtrlEx : public CWindowCtrl {
public:
    CImageCtrlEx();
    ~CImageCtrlEx() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    CImagePaintEx painter;
};
