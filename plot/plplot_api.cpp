#include "plot/plplot_api.h"

#include <dlfcn.h>

#include <string>

namespace ringdate::plplot {

namespace {

std::string failure;

// Opens the shared library `file`; null (and the loader's message kept) when it cannot.
void* open_library(const char* file) {
  void* handle = ::dlopen(file, RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) {
    const char* e = ::dlerror();
    failure = e != nullptr ? e : std::string("cannot load ") + file;
  }
  return handle;
}

template <class F>
bool take(void* handle, const char* name, F& f) {
  f = reinterpret_cast<F>(::dlsym(handle, name));
  if (f == nullptr) failure = std::string("the plotting library has no ") + name;
  return f != nullptr;
}

const Api* load_api() {
  static Api loaded;
  void* handle = open_library(RINGDATE_PLPLOT_LIBRARY);
  if (handle == nullptr) return nullptr;
  bool all = true;
#define RINGDATE_PLPLOT_TAKE(name) all = take(handle, #name, loaded.name) && all;
  RINGDATE_PLPLOT_FUNCTIONS(RINGDATE_PLPLOT_TAKE)
#undef RINGDATE_PLPLOT_TAKE
  return all ? &loaded : nullptr;
}

const Xlib* load_xlib() {
#ifdef RINGDATE_X11_LIBRARY
  static Xlib loaded;
  void* handle = ::dlopen(RINGDATE_X11_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  loaded.open_display = reinterpret_cast<void* (*)(const char*)>(::dlsym(handle, "XOpenDisplay"));
  loaded.close_display = reinterpret_cast<int (*)(void*)>(::dlsym(handle, "XCloseDisplay"));
  if (loaded.open_display == nullptr || loaded.close_display == nullptr) return nullptr;
  return &loaded;
#else
  return nullptr;
#endif
}

}  // namespace

const Api* api() {
  static const Api* const loaded = load_api();
  return loaded;
}

const char* why() { return failure.c_str(); }

const Xlib* xlib() {
  static const Xlib* const loaded = load_xlib();
  return loaded;
}

}  // namespace ringdate::plplot
