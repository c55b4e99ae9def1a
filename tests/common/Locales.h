#pragma once
// Locales whose decimal mark is a comma (de_DE.UTF-8, fr_FR.UTF-8) for tests of number text.
// A locale the system lacks is compiled with localedef into a private folder that LOCPATH
// then names; the folder lives as long as the test process.
#include <string>

// Makes NAME loadable in this process (compiling it when needed, and naming the folder in
// LOCPATH). Empty when it works; otherwise why not.
std::string PrepareLocale(const std::string& name);
// LOCPATH as a child process needs it to load what PrepareLocale made (empty: none needed).
std::string LocalePath();

// Puts NAME in force as the C library's locale (LC_ALL) for the life of the object.
class ScopedProcessLocale {
  public:
    explicit ScopedProcessLocale(const std::string& name);
    ~ScopedProcessLocale();
    ScopedProcessLocale(const ScopedProcessLocale&) = delete;
    ScopedProcessLocale& operator=(const ScopedProcessLocale&) = delete;
    bool Active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};
