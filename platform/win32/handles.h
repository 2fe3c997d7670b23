// Holders of the system's handles that are no GDI objects (those are in
// gdi.h): each one is released when its holder goes, on every way out of the
// scope that made it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace tora {

// A kernel object's handle (a file, a mutex, a thread), closed by its
// holder. The calls that fail with INVALID_HANDLE_VALUE and those that fail
// with no handle both leave the holder empty.
class KernelHandle {
 public:
  explicit KernelHandle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~KernelHandle() { reset(); }
  KernelHandle(KernelHandle&& other) noexcept : handle_(other.release()) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) {
    if (handle_) CloseHandle(handle_);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }

 private:
  HANDLE handle_;
};

// A directory listing begun with FindFirstFileW, ended by its holder.
class FileSearch {
 public:
  FileSearch(const wchar_t* pattern, WIN32_FIND_DATAW& found) : search_(FindFirstFileW(pattern, &found)) {}
  ~FileSearch() {
    if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
  }
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  explicit operator bool() const { return search_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAW& found) { return FindNextFileW(search_, &found) != FALSE; }

 private:
  HANDLE search_;
};

// A library loaded for as long as its holder lives.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  explicit operator bool() const { return module_ != nullptr; }

 private:
  HMODULE module_;
};

// A menu loaded from the resources, destroyed by its holder (with its
// submenus).
class LoadedMenu {
 public:
  LoadedMenu(HINSTANCE instance, int id) : menu_(LoadMenuW(instance, MAKEINTRESOURCEW(id))) {}
  ~LoadedMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  LoadedMenu(const LoadedMenu&) = delete;
  LoadedMenu& operator=(const LoadedMenu&) = delete;

  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// OLE started on this thread for as long as its holder lives (ended only
// when it started here).
class OleSession {
 public:
  OleSession() : started_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (started_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool started_;
};

}  // namespace tora
