#include "win32ui/uDesign.h"

#include "desktop/uDesktopTexts.h"
#include "serial/uText_win32.h"

namespace {

// Functions of newer Windows versions, looked up at run time so that the
// program also starts where they are missing (it then uses the system DPI).
template <typename F> F user32Function(const char* name) {
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

int systemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int dpiOf(HWND hWnd) {
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = user32Function<TGetDpiForWindow>("GetDpiForWindow");
    if (hWnd && getDpiForWindow) {
        const UINT dpi = getDpiForWindow(hWnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return systemDpi();
}

HFONT createUiFont(int dpi) {
    using TSystemParametersInfoForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi =
        user32Function<TSystemParametersInfoForDpi>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, static_cast<UINT>(dpi)))
        return CreateFontIndirectW(&ncm.lfMessageFont);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, dpi, systemDpi());
        return CreateFontIndirectW(&ncm.lfMessageFont);
    }
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(9, dpi, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"MS Shell Dlg 2");
    return CreateFontIndirectW(&lf);
}

SIZE outerSizeFor(HWND hWnd, int clientW, int clientH, bool withMenu) {
    using TAdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32Function<TAdjustForDpi>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientW, clientH};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_EXSTYLE));
    if (!adjustForDpi ||
        !adjustForDpi(&r, style, withMenu, exStyle, static_cast<UINT>(dpiOf(hWnd))))
        AdjustWindowRectEx(&r, style, withMenu, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

TRect outerRectOf(HWND hWnd) {
    RECT r{};
    GetWindowRect(hWnd, &r);
    return tRect(r);
}

TSize frameOf(HWND hWnd) {
    RECT outer{};
    RECT client{};
    GetWindowRect(hWnd, &outer);
    GetClientRect(hWnd, &client);
    return TSize{(outer.right - outer.left) - client.right,
                 (outer.bottom - outer.top) - client.bottom};
}

void placeChild(HWND hChild, const TRect& r) {
    MoveWindow(hChild, r.left, r.top, r.width, r.height, TRUE);
}

namespace {
BOOL CALLBACK setFontOf(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}
} // namespace

void setFontDeep(HWND hWnd, HFONT font) {
    SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EnumChildWindows(hWnd, setFontOf, reinterpret_cast<LPARAM>(font));
}

std::wstring wide(const std::string& s) {
    if (auto w = toWide(s)) return *w;
    std::wstring latin1;
    for (const unsigned char c : s)
        latin1 += static_cast<wchar_t>(c);
    return latin1;
}

std::string narrow(const std::wstring& s) {
    return toUtf8(s);
}

std::wstring crlf(const std::wstring& s) {
    std::wstring out;
    out.reserve(s.size() + 8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\n' && (i == 0 || s[i - 1] != L'\r')) out += L'\r';
        out += s[i];
    }
    return out;
}

int lineHeightOf(HWND hWnd, HFONT font) {
    HDC dc = GetDC(hWnd);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hWnd, dc);
    return tm.tmHeight;
}

void fontForDpi(HWND hWnd, HFONT& font, int& fontDpi, int dpi) {
    if (font && dpi == fontDpi) return;
    fontDpi = dpi;
    HFONT old = font;
    font = createUiFont(dpi);
    setFontDeep(hWnd, font);
    if (old) DeleteObject(old);
}

std::wstring shownText(const std::string& text) {
    return crlf(wide(plainLines(text)));
}

std::wstring windowText(HWND hWnd) {
    const int n = GetWindowTextLengthW(hWnd);
    if (n <= 0) return {};
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hWnd, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return s;
}
