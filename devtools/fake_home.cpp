// Preloaded (LD_PRELOAD) into engines under test: the password entry's home
// folder reads $HOME, so a program that finds its home by user id rather than
// by $HOME (sjeng does) also starts in the test's fresh folder.
#include <dlfcn.h>
#include <pwd.h>

#include <cerrno>
#include <cstdlib>

namespace {

void HomeFromEnvironment(passwd* entry) {
  const char* home = std::getenv("HOME");
  if (entry && home && *home) entry->pw_dir = const_cast<char*>(home);
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" passwd* getpwuid(uid_t uid) {
  static const auto next = Next<passwd* (*)(uid_t)>("getpwuid");
  passwd* entry = next ? next(uid) : nullptr;
  HomeFromEnvironment(entry);
  return entry;
}

extern "C" int getpwuid_r(uid_t uid, passwd* entry, char* buffer, size_t size, passwd** result) {
  static const auto next = Next<int (*)(uid_t, passwd*, char*, size_t, passwd**)>("getpwuid_r");
  if (!next) return ENOSYS;
  const int error = next(uid, entry, buffer, size, result);
  if (error == 0) HomeFromEnvironment(*result);
  return error;
}
