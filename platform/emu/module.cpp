// Modules made from compiled resource files, and what is loaded from them:
// bitmaps, icons, cursors; the module's file name for the integrity check.
#include <cstring>

#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

namespace {

constexpr std::uint16_t bitmapType = 2;
constexpr std::uint16_t iconGroupType = 14;

// Icons and cursors are never drawn here: any non-null token will do.
HICON iconToken(std::uintptr_t value) { return reinterpret_cast<HICON>(value); }

}  // namespace

Module* findModule(HINSTANCE instance) {
    for (auto& m : desktop().modules) {
        if (reinterpret_cast<HINSTANCE>(m.get()) == instance) return m.get();
    }
    return nullptr;
}

HINSTANCE createModule(const std::uint8_t* resBytes, std::size_t resSize, const char* fileName) {
    auto module = std::make_unique<Module>();
    module->fileName = fileName ? fileName : "";
    module->bytes = resBytes;
    module->size = resSize;
    if (resBytes && !parseResourceFile(resBytes, resSize, module->entries)) module->entries.clear();
    Desktop& d = desktop();
    d.modules.push_back(std::move(module));
    return reinterpret_cast<HINSTANCE>(d.modules.back().get());
}

}  // namespace emu

using namespace emu;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    Desktop& d = desktop();
    if (d.modules.empty()) return nullptr;
    if (!moduleName) return reinterpret_cast<HMODULE>(d.modules.back().get());
    for (auto& m : d.modules) {
        const std::string& path = m->fileName;
        const std::size_t slash = path.find_last_of("/\\");
        const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        if (base == moduleName || path == moduleName) return reinterpret_cast<HMODULE>(m.get());
    }
    return nullptr;
}

// Copies the name, cut to fit and always terminated; returns the characters
// copied, or size when the name was cut.
DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
    Module* module = handle ? findModule(handle) : findModule(GetModuleHandleA(nullptr));
    if (!module || !fileName || size == 0) return 0;
    const std::size_t length = module->fileName.size();
    const std::size_t copied = length < size ? length : size - 1;
    std::memcpy(fileName, module->fileName.data(), copied);
    fileName[copied] = '\0';
    return length < size ? static_cast<DWORD>(copied) : size;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    Module* module = findModule(instance);
    if (!module || !IS_INTRESOURCE(name)) return nullptr;
    const auto id = static_cast<std::uint16_t>(reinterpret_cast<UINT_PTR>(name));
    const ResourceEntry* entry = findResource(module->entries, bitmapType, id);
    if (!entry) return nullptr;
    HBITMAP handle = CreateBitmap(1, 1, 1, 32, nullptr);
    GdiObject* bitmap = findObject(handle);
    if (!bitmap || !decodeDib(entry->data, entry->size, *bitmap)) {
        DeleteObject(handle);
        return nullptr;
    }
    return handle;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (!instance) return IS_INTRESOURCE(name) ? iconToken(0x10003) : nullptr;
    Module* module = findModule(instance);
    if (!module || !IS_INTRESOURCE(name)) return nullptr;
    const auto id = static_cast<std::uint16_t>(reinterpret_cast<UINT_PTR>(name));
    if (!findResource(module->entries, iconGroupType, id)) return nullptr;
    return iconToken(0x20000 + id);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || !IS_INTRESOURCE(name)) return nullptr;  // only the system's cursors exist here
    return iconToken(0x10001);
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    HCURSOR previous = desktop().cursor;
    desktop().cursor = cursor;
    return previous;
}
