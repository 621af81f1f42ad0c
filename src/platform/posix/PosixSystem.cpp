// The runner's operating-system services on POSIX systems: Linux, other Unixes and Emscripten, whose libc
// has the same calls (under node its signals may simply never come).
#include "platform/System.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static void KeepReason(char* reason, size_t reasonSize) {
    if (reason == nullptr) return;
    std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::string ReservedDeviceName(const char*) {
    return "";
}

#ifndef __EMSCRIPTEN__
// Whether the process has group among its own, the effective one or a supplementary one.
static bool InGroup(gid_t group) {
    if (group == getegid()) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups((size_t)count);
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}
#endif

bool WriteProtected(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return false;
#ifdef __EMSCRIPTEN__
    // Under node the process's ids are not the system's: only a file nobody may write counts.
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
#else
    if (status.st_uid == geteuid()) return (status.st_mode & S_IWUSR) == 0;
    if (InGroup(status.st_gid)) return (status.st_mode & S_IWGRP) == 0;
    return (status.st_mode & S_IWOTH) == 0;
#endif
}

FILE* StandardInputBytes() {
    return stdin;
}

FILE* OpenFileToRead(const char* path) {
    return std::fopen(path, "rb");
}

TFileKind FileKindOf(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0) return TFileKind::Missing;
    if (S_ISREG(status.st_mode)) return TFileKind::Regular;
    if (S_ISDIR(status.st_mode)) return TFileKind::Directory;
    return S_ISFIFO(status.st_mode) ? TFileKind::Pipe : TFileKind::Device;
}

std::string FileKey(const char* path) {
    struct stat status;
    if (stat(path, &status) == 0) {
        return "file " + std::to_string((unsigned long long)status.st_dev) + ":" +
               std::to_string((unsigned long long)status.st_ino);
    }
    const std::string name = path;
    const size_t slash = name.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
    char real[PATH_MAX];
    if (realpath(directory.c_str(), real) == nullptr) return "name " + name;
    return "name " + std::string(real) + "/" + name.substr(slash + 1);
}

static FILE* StreamOf(int descriptor, char* reason, size_t reasonSize) {
    if (descriptor < 0) {
        KeepReason(reason, reasonSize);
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        KeepReason(reason, reasonSize);
        close(descriptor);
    }
    return file;
}

FILE* CreateNewFile(const char* path, bool* taken, char* reason, size_t reasonSize) {
    // O_EXCL fails on any name that exists, a dangling symbolic link included.
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    *taken = descriptor < 0 && errno == EEXIST;
    return StreamOf(descriptor, reason, reasonSize);
}

FILE* OpenExistingFile(const char* path, char* reason, size_t reasonSize) {
    // Without O_NONBLOCK the open of a pipe waits for a reader, for ever if none comes; with it, ENXIO says
    // there is none. The writes wait as usual again.
    const int descriptor = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0 && errno == ENXIO && FileKindOf(path) == TFileKind::Pipe) {
        std::snprintf(reason, reasonSize, "the pipe has no reader");
        return nullptr;
    }
    if (descriptor >= 0) {
        const int flags = fcntl(descriptor, F_GETFL);
        if (flags == -1 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == -1) {
            KeepReason(reason, reasonSize);
            close(descriptor);
            return nullptr;
        }
    }
    return StreamOf(descriptor, reason, reasonSize);
}

bool MakeFolder(const char* path, char* reason, size_t reasonSize) {
    if (mkdir(path, 0777) == 0 || (errno == EEXIST && FileKindOf(path) == TFileKind::Directory)) return true;
    KeepReason(reason, reasonSize);
    return false;
}

std::string UserConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
    return "";
}

std::string UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share";
    return "";
}

FILE* OpenScratchFile(const char* folder, char* reason, size_t reasonSize) {
    if (folder == nullptr || folder[0] == '\0') {
        FILE* file = std::tmpfile();
        if (file == nullptr) KeepReason(reason, reasonSize);
        return file;
    }
    std::string name = std::string(folder) + "/.tramolo-scratch-XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        KeepReason(reason, reasonSize);
        return nullptr;
    }
    // Its name goes at once: the open file is all there is of it.
    unlink(name.c_str());
    FILE* file = fdopen(descriptor, "w+b");
    if (file == nullptr) {
        KeepReason(reason, reasonSize);
        close(descriptor);
    }
    return file;
}

bool RenameOnto(const char* from, const char* to, char* reason, size_t reasonSize) {
    if (rename(from, to) == 0) return true;
    KeepReason(reason, reasonSize);
    return false;
}

void RemoveFile(const char* path) {
    unlink(path);
}

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
static void (*volatile OnEnd)();
static struct sigaction Previous[std::size(EndingSignals)];
static struct sigaction PreviousPipe;

// Runs onEnd, then ends the process as the signal would have: raised again with its default action, it is
// taken as soon as this handler returns.
static void EndBySignal(int signal) {
    if (OnEnd != nullptr) OnEnd();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void CatchEndingSignals(void (*onEnd)()) {
    OnEnd = onEnd;
    struct sigaction ending {};
    ending.sa_handler = EndBySignal;
    sigemptyset(&ending.sa_mask);
    // A second ending signal waits until the first one's files are dealt with.
    for (int signal : EndingSignals)
        sigaddset(&ending.sa_mask, signal);
    for (size_t i = 0; i < std::size(EndingSignals); i++)
        sigaction(EndingSignals[i], &ending, &Previous[i]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &PreviousPipe);
}

void ReleaseEndingSignals() {
    for (size_t i = 0; i < std::size(EndingSignals); i++)
        sigaction(EndingSignals[i], &Previous[i], nullptr);
    sigaction(SIGPIPE, &PreviousPipe, nullptr);
    OnEnd = nullptr;
}

bool WriteStandard(TStandardStream stream, const char* text, size_t length) {
    // Whatever stdio holds for the stream goes first, so that the lines keep their order.
    if (std::fflush(stream == TStandardStream::Output ? stdout : stderr) != 0) return false;
    const int descriptor = stream == TStandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
    while (length > 0) {
        const ssize_t wrote = write(descriptor, text, length);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        text += wrote;
        length -= (size_t)wrote;
    }
    return true;
}
