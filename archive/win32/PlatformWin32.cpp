// The archive reader's seam on Windows: Win32 files, the message loop,
// message boxes, the open-file dialog, code pages and drive queries.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Exception.h"
#include "WideText.h"
#include "../Platform.h"

namespace {

std::string SystemErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

// Size joins the time so that a replacement within the same clock tick is
// still noticed.
std::int64_t ModificationStamp(const FILETIME& lastWrite, DWORD sizeLow) {
  std::int64_t time = (static_cast<std::int64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
  return time ^ (static_cast<std::int64_t>(sizeLow) << 7);
}

class THandleFileStream final : public TPlatformFileStream {
public:
  explicit THandleFileStream(HANDLE handle) : handle_(handle) {}
  ~THandleFileStream() override { CloseHandle(handle_); }

  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(handle_, static_cast<char*>(buffer) + done, chunk, &got, nullptr) || got == 0) break;
      done += got;
    }
    return done;
  }

  std::size_t Write(const void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD put = 0;
      if (!WriteFile(handle_, static_cast<const char*>(buffer) + done, chunk, &put, nullptr) || put == 0) break;
      done += put;
    }
    return done;
  }

  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    DWORD method;
    switch (origin) {
      case TSeekOrigin::soBeginning: method = FILE_BEGIN; break;
      case TSeekOrigin::soCurrent: method = FILE_CURRENT; break;
      case TSeekOrigin::soEnd: method = FILE_END; break;
      default: throw EStreamError(FormatWithInt("Invalid seek origin (%d)", static_cast<int>(origin)));
    }
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (SetFilePointerEx(handle_, distance, &result, method)) return result.QuadPart;
    // A failed seek leaves the position where it was; a handle that has no
    // position at all answers -1, as the POSIX call does.
    distance.QuadPart = 0;
    return SetFilePointerEx(handle_, distance, &result, FILE_CURRENT) ? result.QuadPart : -1;
  }

  // A size that cannot be had is an error, not an empty file.
  std::int64_t Size() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) throw EStreamError("Stream size error. " + SystemErrorText(GetLastError()));
    return size.QuadPart;
  }

  void SetSize(std::int64_t newSize) override {
    const std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
    Seek(newSize, TSeekOrigin::soBeginning);
    const bool ok = SetEndOfFile(handle_);
    Seek(std::min(position, newSize), TSeekOrigin::soBeginning);
    if (!ok) throw EStreamError("Stream size error");
  }

  void FlushToDevice() override { FlushFileBuffers(handle_); }

  bool ModificationTime(std::int64_t& time) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info)) return false;
    time = ModificationStamp(info.ftLastWriteTime, info.nFileSizeLow);
    return true;
  }

private:
  HANDLE handle_;
};

class TWin32Platform final : public IArchivePlatform {
public:
  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare share) override {
    DWORD desired = GENERIC_READ, disposition = OPEN_EXISTING;
    if (access != TFileAccess::Read) desired |= GENERIC_WRITE;
    if (access == TFileAccess::Create) disposition = CREATE_ALWAYS;
    DWORD shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (share == TFileShare::DenyWrite) shareMode = FILE_SHARE_READ;
    if (share == TFileShare::Exclusive) shareMode = 0;
    HANDLE handle = CreateFileW(TextToWide(path).c_str(), desired, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const std::string reason = SystemErrorText(GetLastError());
      if (access == TFileAccess::Create) throw EFOpenError("Cannot create file \"" + path + "\". " + reason);
      throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
    }
    return std::make_unique<THandleFileStream>(handle);
  }

  bool FileExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(TextToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool DirectoryExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(TextToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool FileModificationTime(const std::string& path, std::int64_t& time) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(TextToWide(path).c_str(), GetFileExInfoStandard, &data)) return false;
    time = ModificationStamp(data.ftLastWriteTime, data.nFileSizeLow);
    return true;
  }

  void ProcessMessages() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool arrowCursor) override {
    HCURSOR old = arrowCursor ? SetCursor(LoadCursor(nullptr, IDC_ARROW)) : nullptr;
    const int result = MessageBoxW(nullptr, TextToWide(text).c_str(), TextToWide(caption).c_str(), flags);
    if (arrowCursor) SetCursor(old);
    return result;
  }

  bool ChooseFileToOpen(const std::string& title, const std::string& filter, const std::string& initialDir,
                        std::string& chosen) override {
    std::wstring filterZ = TextToWide(filter);
    for (wchar_t& c : filterZ)
      if (c == L'|') c = L'\0';
    filterZ.push_back(L'\0');
    filterZ.push_back(L'\0');
    const std::wstring wideTitle = TextToWide(title), wideFolder = TextToWide(initialDir);
    std::vector<wchar_t> file(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filterZ.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = wideFolder.c_str();
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return false;
    chosen = WideToText(file.data());
    return true;
  }

  bool OemToAnsi(const std::string& oem, std::string& ansi) override {
    ansi.assign(oem.size(), '\0');
    if (oem.empty()) return true;
    return OemToCharBuffA(oem.data(), ansi.data(), static_cast<DWORD>(oem.size())) != FALSE;
  }

  bool AnsiToOem(const std::string& ansi, std::string& oem) override {
    oem.assign(ansi.size(), '\0');
    if (ansi.empty()) return true;
    return CharToOemBuffA(ansi.data(), oem.data(), static_cast<DWORD>(ansi.size())) != FALSE;
  }

  std::string Utf8ToAnsi(const std::string& utf8) override { return WideToAnsi(Utf8ToWide(utf8)); }

  std::string AnsiLowerCase(const std::string& text) override {
    std::string lower = text;
    if (!lower.empty()) CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
  }

  bool AnsiSameText(const std::string& a, const std::string& b) override {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
  }

  TDriveType DriveType(const std::string& root) override {
    switch (GetDriveTypeA(root.c_str())) {
      case DRIVE_NO_ROOT_DIR: return TDriveType::NoRootDir;
      case DRIVE_REMOVABLE: return TDriveType::Removable;
      case DRIVE_FIXED: return TDriveType::Fixed;
      case DRIVE_REMOTE: return TDriveType::Remote;
      case DRIVE_CDROM: return TDriveType::CDRom;
      case DRIVE_RAMDISK: return TDriveType::RamDisk;
      default: return TDriveType::Unknown;
    }
  }

  std::string VolumeLabel(const std::string& root) override {
    char label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) return {};
    return label;
  }
};

}  // namespace

IArchivePlatform& DefaultArchivePlatform() {
  static TWin32Platform platform;
  return platform;
}
