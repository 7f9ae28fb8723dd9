#pragma once
#include <windows.h>

namespace pageplayer {

// The movie player's class.
inline constexpr CLSID CLSID_PagePlayer = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// The class of the player's window.
inline constexpr wchar_t kPlayerWindowClass[] = L"PagePlayerStage";

}  // namespace pageplayer
