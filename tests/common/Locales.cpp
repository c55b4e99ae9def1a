#include "Locales.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Folder {
    std::string Path;
    ~Folder() {
        std::error_code ec;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ec);
    }
};

Folder& Compiled() {
    static Folder folder;
    return folder;
}

bool Loads(const std::string& name) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool ok = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    std::setlocale(LC_ALL, previous.c_str());
    return ok;
}

// localedef -i de_DE -f UTF-8 FOLDER/de_DE.UTF-8, without a shell.
bool Compile(const std::string& name, const std::string& folder) {
    const auto dot = name.find('.');
    const std::string source = name.substr(0, dot);
    const std::string charmap = dot == std::string::npos ? "UTF-8" : name.substr(dot + 1);
    const std::string target = folder + "/" + name;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        execlp("localedef", "localedef", "-i", source.c_str(), "-f", charmap.c_str(),
               target.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    // localedef warns (exit 1) about harmless details of some sources but still writes them.
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 && std::filesystem::exists(target);
}

bool HaveLocaledef() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        if (access((dirs.substr(start, end - start) + "/localedef").c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

std::string PrepareLocale(const std::string& name) {
    if (Loads(name))
        return {};
    if (!HaveLocaledef())
        return "localedef is missing (Debian package libc-bin; scripts/setup installs locales)";
    Folder& folder = Compiled();
    if (folder.Path.empty()) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "vemix-locales-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            return "cannot make a folder for compiled locales";
        folder.Path = tmpl;
    }
    // A folder of its own per locale: the C library remembers a failed lookup per path, so
    // the locale must never have been looked for where it ends up.
    const std::string dir = folder.Path + "/" + name;
    std::error_code ec;
    std::filesystem::create_directory(dir, ec);
    if (ec || !Compile(name, dir))
        return "localedef could not compile " + name +
               " (are the sources of package locales there?)";
    const char* old = std::getenv("LOCPATH");
    const std::string path = old && *old ? dir + ":" + old : dir;
    setenv("LOCPATH", path.c_str(), 1);
    if (!Loads(name))
        return name + " was compiled but does not load";
    return {};
}

std::string LocalePath() {
    const char* path = std::getenv("LOCPATH");
    return path ? path : "";
}

ScopedProcessLocale::ScopedProcessLocale(const std::string& name)
    : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = PrepareLocale(name).empty() && std::setlocale(LC_ALL, name.c_str()) != nullptr;
}

ScopedProcessLocale::~ScopedProcessLocale() {
    std::setlocale(LC_ALL, previous_.c_str());
}
