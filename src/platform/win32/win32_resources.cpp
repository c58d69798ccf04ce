#include "platform/win32/win32_resources.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "platform/win32/wide.h"

namespace pakscour::win32 {

namespace {

// Resource names carry a prefix, so "icon" cannot clash with the ICON keyword of .rc files.
std::wstring resource_name(const std::string& name) {
    std::wstring w = L"PAK_" + widen(name);
    if (!w.empty()) CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
    return w;
}

}  // namespace

HICON load_icon(const std::string& name, int size) {
    if (name.empty()) return nullptr;
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), resource_name(name).c_str(),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HBITMAP load_picture(const std::string& name) {
    if (name.empty()) return nullptr;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, resource_name(name).c_str(), MAKEINTRESOURCEW(10));
    if (!res) return nullptr;
    const DWORD size = SizeofResource(module, res);
    const void* bytes = LockResource(LoadResource(module, res));
    if (!bytes || size == 0) return nullptr;

    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    std::memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP result = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        SHORT type = PICTYPE_NONE;
        if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
            SUCCEEDED(picture->get_Handle(&handle))) {
            // The picture owns its bitmap; keep a copy that outlives it.
            result = static_cast<HBITMAP>(CopyImage(
                reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        }
        picture->Release();
    }
    stream->Release();
    return result;
}

}  // namespace pakscour::win32
