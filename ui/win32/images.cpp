#include "ui/win32/images.h"

#include <functional>

namespace lumo::win32 {
namespace {

// `count` pictures of w x h drawn side by side into one bitmap, the background (magenta) masked.
HIMAGELIST drawList(int w, int h, int count, const std::function<void(HDC, int, int)>& draw) {
    HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR24 | ILC_MASK, count, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, w * count, h);
    HGDIOBJ old = SelectObject(dc, strip);
    const RECT all{0, 0, w * count, h};
    HBRUSH background = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, background);
    DeleteObject(background);
    for (int i = 0; i < count; ++i) draw(dc, i, i * w);
    SelectObject(dc, old);
    ImageList_AddMasked(list, strip, RGB(255, 0, 255));
    DeleteObject(strip);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

// A filled rectangle or ellipse with its edge.
void shape(HDC dc, bool round, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    if (round) Ellipse(dc, left, top, right, bottom);
    else Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}
void box(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge) {
    shape(dc, false, left, top, right, bottom, fill, edge);
}
void disc(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge) {
    shape(dc, true, left, top, right, bottom, fill, edge);
}

void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A red cross in the lower right corner: the item has a flag set.
void flagMark(HDC dc, int x) {
    line(dc, x + 9, 9, x + 15, 15, RGB(200, 0, 0), 2);
    line(dc, x + 15, 9, x + 9, 15, RGB(200, 0, 0), 2);
}

void treePicture(HDC dc, int index, int x) {
    if (index < 8) {
        // A line: a connector in its kind's colour (general, TCP, USB converter, USB reader).
        static const COLORREF kinds[] = {RGB(128, 128, 128), RGB(40, 90, 200), RGB(30, 150, 60), RGB(220, 130, 20)};
        const COLORREF colour = kinds[index / 2];
        box(dc, x + 1, 3, x + 13, 12, colour, RGB(40, 40, 40));
        line(dc, x + 4, 12, x + 4, 15, RGB(40, 40, 40), 1);
        line(dc, x + 10, 12, x + 10, 15, RGB(40, 40, 40), 1);
        if (index % 2 == 1) flagMark(dc, x);
        return;
    }
    // A module: well (green), not responding (yellow), another flag (orange), switched off (grey).
    static const COLORREF states[] = {RGB(40, 170, 60), RGB(230, 200, 30), RGB(235, 120, 20), RGB(150, 150, 150)};
    if (index < 10) return;
    disc(dc, x + 2, 2, x + 14, 14, states[index - 10], RGB(40, 40, 40));
    if (index == 13) line(dc, x + 5, 8, x + 11, 8, RGB(255, 255, 255), 2);
}

void toolbarPicture(HDC dc, int index, int x) {
    const COLORREF ink = RGB(30, 30, 30);
    switch (index) {
        case 0:  // add a line
            box(dc, x + 2, 4, x + 12, 11, RGB(40, 90, 200), ink);
            line(dc, x + 14, 9, x + 14, 16, RGB(0, 140, 0), 2);
            line(dc, x + 11, 12, x + 17, 12, RGB(0, 140, 0), 2);
            break;
        case 1:  // add a module
            disc(dc, x + 2, 3, x + 12, 13, RGB(40, 170, 60), ink);
            line(dc, x + 14, 9, x + 14, 16, RGB(0, 140, 0), 2);
            line(dc, x + 11, 12, x + 17, 12, RGB(0, 140, 0), 2);
            break;
        case 2:  // remove
            line(dc, x + 4, 3, x + 14, 13, RGB(200, 0, 0), 3);
            line(dc, x + 14, 3, x + 4, 13, RGB(200, 0, 0), 3);
            break;
        case 3:  // properties
            box(dc, x + 3, 2, x + 15, 15, RGB(255, 255, 255), ink);
            for (int y = 5; y <= 11; y += 3) line(dc, x + 5, y, x + 13, y, ink, 1);
            break;
        case 4:  // on / off
            disc(dc, x + 3, 3, x + 15, 15, RGB(255, 255, 255), ink);
            line(dc, x + 9, 1, x + 9, 9, ink, 2);
            break;
        case 5:  // stop
            box(dc, x + 4, 3, x + 14, 13, RGB(200, 30, 30), ink);
            break;
        case 6:  // refresh
            disc(dc, x + 3, 3, x + 15, 15, RGB(255, 255, 255), RGB(0, 110, 180));
            line(dc, x + 12, 2, x + 15, 6, RGB(0, 110, 180), 2);
            break;
        case 7:  // check
            line(dc, x + 3, 9, x + 7, 13, RGB(0, 140, 0), 3);
            line(dc, x + 7, 13, x + 15, 3, RGB(0, 140, 0), 3);
            break;
        default: {  // about
            disc(dc, x + 2, 1, x + 16, 15, RGB(40, 90, 200), ink);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            RECT r{x + 2, 1, x + 16, 15};
            DrawTextW(dc, L"i", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            break;
        }
    }
}

}  // namespace

HIMAGELIST treeImages() {
    static HIMAGELIST list = drawList(16, 16, 14, treePicture);
    return list;
}

HIMAGELIST toolbarImages() {
    static HIMAGELIST list = drawList(18, 17, 9, toolbarPicture);
    return list;
}

}  // namespace lumo::win32
