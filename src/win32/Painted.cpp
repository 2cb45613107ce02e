// The shape, the picture and the icon.
#include "win32/Painted.h"

#include <algorithm>
#include <vector>

#include "platform/ProgramIcon.h"
#include "ui/Controls.h"
#include "win32/Geometry.h"
#include "win32/WindowClass.h"

namespace win32 {

namespace {

// The fill styles 2..7 as hatches: horizontal, vertical, upward diagonal, downward diagonal,
// cross, diagonal cross.
constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_BDIAGONAL,
                            HS_FDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};

HBRUSH FillBrush(const ui::Shape& shape) {
    const COLORREF color = ToColorRef(shape.FillColor());
    const int style = shape.FillStyle();
    if (style == 0) return CreateSolidBrush(color);
    if (style >= 2 && style <= 7) return CreateHatchBrush(kHatches[style - 2], color);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));  // transparent
}

void PaintShape(HWND window, HDC dc, const ui::Shape& shape) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // A circle as large as the control allows, centred, its line inside the control.
    const int width = std::max(1, shape.BorderWidth());
    const int size = std::min(client.right, client.bottom) - width;
    const int left = (client.right - size) / 2;
    const int top = (client.bottom - size) / 2;
    HPEN pen = CreatePen(PS_INSIDEFRAME, width, ToColorRef(shape.BorderColor()));
    HBRUSH brush = FillBrush(shape);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    SetBkMode(dc, TRANSPARENT);  // hatches over the background
    Ellipse(dc, left, top, left + size, top + size);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(brush);
}

void PaintImage(HWND window, HDC dc, const ui::Image& image) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (image.Icon() != "sirenwatch") return;
    const int size = std::min(client.right, client.bottom);
    HICON icon = ProgramIcon(size);
    DrawIconEx(dc, (client.right - size) / 2, (client.bottom - size) / 2, icon, size, size, 0,
               nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

LRESULT CALLBACK PaintedProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, w, l);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    auto* model = reinterpret_cast<ui::Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (auto* shape = dynamic_cast<ui::Shape*>(model)) PaintShape(window, dc, *shape);
    if (auto* image = dynamic_cast<ui::Image*>(model)) PaintImage(window, dc, *image);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

void RegisterPaintedClasses() {
    for (const wchar_t* name : {kShapeClass, kImageClass}) RegisterWindowClass(name, PaintedProc);
}

HICON ProgramIcon(int size) {
    const std::vector<std::uint8_t> rgba = platform::ProgramIconRgba(size);
    // A top-down 32-bit DIB holds BGRA.
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    auto* pixels = static_cast<std::uint8_t*>(bits);
    for (std::size_t i = 0; pixels && i + 3 < rgba.size(); i += 4) {
        pixels[i] = rgba[i + 2];
        pixels[i + 1] = rgba[i + 1];
        pixels[i + 2] = rgba[i];
        pixels[i + 3] = rgba[i + 3];
    }
    // The colour bitmap's alpha draws the icon; the mask is all zeros.
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>((size + 15) / 16 * 2 * size));
    HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

}  // namespace win32
