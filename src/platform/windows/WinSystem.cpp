// The runner's operating-system services on Windows: files through the Win32 calls (a rename onto an
// existing name needs MoveFileExA to replace it), the console's control events in place of the signals
// that end a run, and the console written in UTF-16 so that the messages' UTF-8 shows as it is.
#include "platform/System.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <io.h>

bool WriteProtected(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

static void KeepReason(DWORD error, char* reason, size_t reasonSize) {
    if (reason == nullptr) return;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, reason, (DWORD)reasonSize, nullptr);
    if (length == 0) {
        std::snprintf(reason, reasonSize, "system error %lu", (unsigned long)error);
        return;
    }
    // The system's text ends in a full stop and a line break; the messages go on after it.
    size_t end = length;
    while (end > 0 && (reason[end - 1] == '\r' || reason[end - 1] == '\n' || reason[end - 1] == '.'))
        end--;
    reason[end] = '\0';
}

// Names in the device space (\\.\pipe\..., \\.\COM1) are only ever written: opening one to look at it would
// take a pipe's connection.
static bool InDeviceSpace(const char* path) {
    return std::strncmp(path, "\\\\.\\", 4) == 0;
}

// A handle to look at what path names, without reading or writing it; directories included.
static HANDLE OpenToLookAt(const char* path) {
    return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
    // Names are compared without case, as the file system does.
    char full[4 * MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    std::string name = length == 0 || length >= sizeof full ? std::string(path) : std::string(full, length);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return "name " + name;
}

static FILE* StreamOf(HANDLE handle, char* reason, size_t reasonSize) {
    if (handle == INVALID_HANDLE_VALUE) {
        KeepReason(GetLastError(), reason, reasonSize);
        return nullptr;
    }
    const int descriptor = _open_osfhandle((intptr_t)handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        std::snprintf(reason, reasonSize, "no file descriptor is left");
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        std::snprintf(reason, reasonSize, "no stream is left");
        _close(descriptor);
    }
    return file;
}

FILE* CreateNewFile(const char* path, bool* taken, char* reason, size_t reasonSize) {
    // CREATE_NEW fails on any name that exists, a symbolic link included. Sharing the deletion lets the
    // console handler remove the part while it is still open.
    const HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    *taken = handle == INVALID_HANDLE_VALUE && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return StreamOf(handle, reason, reasonSize);
}

FILE* OpenExistingFile(const char* path, char* reason, size_t reasonSize) {
    return StreamOf(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                    reason, reasonSize);
}

bool RenameOnto(const char* from, const char* to, char* reason, size_t reasonSize) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) return true;
    KeepReason(GetLastError(), reason, reasonSize);
    return false;
}

void RemoveFile(const char* path) {
    DeleteFileA(path);
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
