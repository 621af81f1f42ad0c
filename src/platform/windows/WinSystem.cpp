// The runner's operating-system services on Windows: the command line and every file through the wide Win32
// calls, so that a name beyond the code page reaches its own file (a rename onto an existing name needs
// MoveFileExW to replace it), the console's control events in place of the signals that end a run, and the
// console written in UTF-16 so that the messages' UTF-8 shows as it is.
#include "platform/System.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <io.h>

#include "platform/WindowsNames.h"

// A name as the wide calls take it; bytes that are no UTF-8 give the empty name, which names no file.
static std::wstring Wide(const char* path) {
    std::u16string units;
    if (!Utf16FromUtf8(path, &units)) return std::wstring();
    return std::wstring(units.begin(), units.end());
}

static std::string Utf8(const wchar_t* wide, size_t length) {
    return Utf8FromUtf16(std::u16string(wide, wide + length));
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; i++)
        arguments.push_back(Utf8(wide[i], wcslen(wide[i])));
    LocalFree(wide);
    return arguments;
}

FILE* StandardInputBytes() {
    _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

std::string ReservedDeviceName(const char* path) {
    return WindowsDeviceName(path);
}

bool WriteProtected(const char* path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// The system's words for error, in UTF-8 like every other text of the messages.
static void KeepReason(DWORD error, char* reason, size_t reasonSize) {
    if (reason == nullptr) return;
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  0, text, (DWORD)std::size(text), nullptr);
    // The system's text ends in a full stop and a line break; the messages go on after it.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.'))
        length--;
    if (length == 0) {
        std::snprintf(reason, reasonSize, "system error %lu", (unsigned long)error);
        return;
    }
    std::snprintf(reason, reasonSize, "%s", Utf8(text, length).c_str());
}

// Names in the device space (\\.\pipe\..., \\.\COM1) are only ever written: opening one to look at it would
// take a pipe's connection.
static bool InDeviceSpace(const char* path) {
    return std::strncmp(path, "\\\\.\\", 4) == 0;
}

// A handle to look at what path names, without reading or writing it; directories included.
static HANDLE OpenToLookAt(const char* path) {
    return CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

TFileKind FileKindOf(const char* path) {
    if (InDeviceSpace(path))
        return std::strncmp(path + 4, "pipe\\", 5) == 0 ? TFileKind::Pipe : TFileKind::Device;
    const HANDLE handle = OpenToLookAt(path);
    if (handle == INVALID_HANDLE_VALUE) return TFileKind::Missing;
    TFileKind kind = TFileKind::Device; // NUL, CON and the like
    BY_HANDLE_FILE_INFORMATION information;
    const DWORD type = GetFileType(handle);
    if (type == FILE_TYPE_PIPE) {
        kind = TFileKind::Pipe;
    } else if (type == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information)) {
        kind = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TFileKind::Directory
                                                                              : TFileKind::Regular;
    }
    CloseHandle(handle);
    return kind;
}

std::string FileKey(const char* path) {
    const HANDLE handle = InDeviceSpace(path) ? INVALID_HANDLE_VALUE : OpenToLookAt(path);
    if (handle != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION information;
        const bool known = GetFileInformationByHandle(handle, &information) != 0;
        CloseHandle(handle);
        if (known) {
            char key[64];
            std::snprintf(
                key, sizeof key, "file %08lx:%08lx%08lx", (unsigned long)information.dwVolumeSerialNumber,
                (unsigned long)information.nFileIndexHigh, (unsigned long)information.nFileIndexLow);
            return key;
        }
    }
    // Names are compared without case, as the file system does: in capitals, Ł and ł alike.
    const std::wstring wide = Wide(path);
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        full.empty() ? 0 : GetFullPathNameW(wide.c_str(), (DWORD)full.size(), full.data(), nullptr);
    full.resize(length == 0 || length >= full.size() ? 0 : length);
    if (full.empty()) full = wide;
    std::wstring upper(full.size(), L'\0');
    if (!full.empty() &&
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.data(), (int)full.size(), upper.data(),
                      (int)upper.size(), nullptr, nullptr, 0) == (int)full.size())
        full = upper;
    for (wchar_t& c : full) {
        if (c == L'/') c = L'\\';
    }
    return "name " + Utf8(full.data(), full.size());
}

// A stream of the C library over handle, for writing or, with toRead, for reading; binary either way.
static FILE* StreamOf(HANDLE handle, char* reason, size_t reasonSize, bool toRead = false) {
    if (handle == INVALID_HANDLE_VALUE) {
        KeepReason(GetLastError(), reason, reasonSize);
        return nullptr;
    }
    const int descriptor = _open_osfhandle((intptr_t)handle, (toRead ? _O_RDONLY : _O_WRONLY) | _O_BINARY);
    if (descriptor < 0) {
        std::snprintf(reason, reasonSize, "no file descriptor is left");
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, toRead ? "rb" : "wb");
    if (file == nullptr) {
        std::snprintf(reason, reasonSize, "no stream is left");
        _close(descriptor);
    }
    return file;
}

FILE* OpenFileToRead(const char* path) {
    char reason[256];
    return StreamOf(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                    reason, sizeof reason, true);
}

FILE* CreateNewFile(const char* path, bool* taken, char* reason, size_t reasonSize) {
    // CREATE_NEW fails on any name that exists, a symbolic link included. Sharing the deletion lets the
    // console handler remove the part while it is still open.
    const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    *taken = handle == INVALID_HANDLE_VALUE && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return StreamOf(handle, reason, reasonSize);
}

FILE* OpenExistingFile(const char* path, char* reason, size_t reasonSize) {
    return StreamOf(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                    reason, reasonSize);
}

bool RenameOnto(const char* from, const char* to, char* reason, size_t reasonSize) {
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
    KeepReason(GetLastError(), reason, reasonSize);
    return false;
}

void RemoveFile(const char* path) {
    DeleteFileW(Wide(path).c_str());
}

static void (*volatile OnEnd)();

// Runs on a thread of its own that the console starts. Returning FALSE hands the event on to the system's
// handler, which ends the process as it would have.
static BOOL WINAPI EndByConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (OnEnd != nullptr) OnEnd();
        break;
    default:
        break;
    }
    return FALSE;
}

void CatchEndingSignals(void (*onEnd)()) {
    OnEnd = onEnd;
    SetConsoleCtrlHandler(EndByConsoleEvent, TRUE);
}

void ReleaseEndingSignals() {
    SetConsoleCtrlHandler(EndByConsoleEvent, FALSE);
    OnEnd = nullptr;
}

bool WriteStandard(TStandardStream stream, const char* text, size_t length) {
    const bool output = stream == TStandardStream::Output;
    if (std::fflush(output ? stdout : stderr) != 0) return false;
    const HANDLE handle = GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode) != 0) {
        const int wide = MultiByteToWideChar(CP_UTF8, 0, text, (int)length, nullptr, 0);
        std::wstring characters((size_t)(wide > 0 ? wide : 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text, (int)length, characters.data(), wide);
        for (DWORD at = 0; at < (DWORD)characters.size();) {
            DWORD wrote = 0;
            if (WriteConsoleW(handle, characters.data() + at, (DWORD)characters.size() - at, &wrote,
                              nullptr) == 0 ||
                wrote == 0)
                return false;
            at += wrote;
        }
        return true;
    }
    while (length > 0) {
        DWORD wrote = 0;
        const DWORD chunk = length > (1u << 30) ? (1u << 30) : (DWORD)length;
        if (WriteFile(handle, text, chunk, &wrote, nullptr) == 0 || wrote == 0) return false;
        text += wrote;
        length -= wrote;
    }
    return true;
}

bool MakeFolder(const char* path, char* reason, size_t reasonSize) {
    if (CreateDirectoryW(Wide(path).c_str(), nullptr) != 0) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && FileKindOf(path) == TFileKind::Directory) return true;
    KeepReason(error, reason, reasonSize);
    return false;
}

// The user's application data, as UTF-8 whatever the user's name is written in.
std::string UserConfigFolder() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return Utf8(folder, length);
}

std::string UserDataFolder() {
    return UserConfigFolder();
}

FILE* OpenScratchFile(const char* folder, char* reason, size_t reasonSize) {
    std::string place = folder != nullptr ? folder : "";
    if (place.empty()) {
        wchar_t temporary[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
        if (length == 0 || length > MAX_PATH) {
            KeepReason(GetLastError(), reason, reasonSize);
            return nullptr;
        }
        place = Utf8(temporary, length);
    }
    // A name of its own; the system deletes the file when its last handle closes, a crash included.
    static unsigned serial;
    char name[64];
    const bool separated = place.back() == '\\' || place.back() == '/';
    std::snprintf(name, sizeof name, "%stramolo-scratch-%lu-%u.tmp", separated ? "" : "\\",
                  (unsigned long)GetCurrentProcessId(), ++serial);
    const HANDLE handle = CreateFileW(Wide((place + name).c_str()).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        KeepReason(GetLastError(), reason, reasonSize);
        return nullptr;
    }
    const int descriptor = _open_osfhandle((intptr_t)handle, _O_RDWR | _O_BINARY);
    if (descriptor < 0) {
        std::snprintf(reason, reasonSize, "no file descriptor is left");
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "w+b");
    if (file == nullptr) {
        std::snprintf(reason, reasonSize, "no stream is left");
        _close(descriptor);
    }
    return file;
}
