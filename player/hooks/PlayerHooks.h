#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <urlmon.h>

#include <cstdint>

// The replacements for the player module's imports. Each has the signature
// and calling convention of the function it replaces, calls the host's own
// import of the real function, and lets no exception out.
namespace vell::player::hooks {

HRESULT WINAPI HookCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker);

ATOM WINAPI HookRegisterClassExA(const WNDCLASSEXA* windowClass);
ATOM WINAPI HookRegisterClassA(const WNDCLASSA* windowClass);
ATOM WINAPI HookRegisterClassExW(const WNDCLASSEXW* windowClass);
ATOM WINAPI HookRegisterClassW(const WNDCLASSW* windowClass);
HWND WINAPI HookCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
HWND WINAPI HookCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

HCURSOR WINAPI HookLoadCursorA(HINSTANCE instance, LPCSTR name);
HMENU WINAPI HookLoadMenuA(HINSTANCE instance, LPCSTR name);

MMRESULT WINAPI HookWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT headerSize);
MMRESULT WINAPI HookWaveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                DWORD_PTR instance, DWORD flags);
MMRESULT WINAPI HookWaveOutClose(HWAVEOUT device);

BOOL WINAPI HookFlushInstructionCache(HANDLE process, LPCVOID address, SIZE_T size);
LPVOID WINAPI HookVirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protection);

HANDLE WINAPI HookCreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
HANDLE WINAPI HookCreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WINAPI HookReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WINAPI HookCloseHandle(HANDLE handle);
DWORD WINAPI HookGetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL WINAPI HookGetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
DWORD WINAPI HookSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
BOOL WINAPI HookSetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod);

FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name);

// The instance of the module that contains this library.
HINSTANCE HostInstance();

// Scales samples in place by `volume` percent: unsigned 8-bit samples around
// their midpoint, signed 16-bit samples around zero.
void ScaleSamples(std::uint8_t* data, DWORD length, std::uint32_t bytesPerSample, int volume);

}  // namespace vell::player::hooks
