// Output files through part files made new by the run, put in place only by a run that succeeded.
#include "app/sim/Outputs.h"

#include <cerrno>
#include <cstring>

#include "platform/Platform.h"
#include "platform/System.h"

TOutput MakeOutput(const std::string& option, const std::string& named, const std::string& path,
                   bool keptWhenCut) {
    const TFileKind kind = FileKindOf(path.c_str());
    // Renaming onto a device or a pipe would replace it.
    const bool throughPart = kind == TFileKind::Missing || kind == TFileKind::Regular;
    return TOutput{option, named, path, throughPart ? path + ".part" : "", keptWhenCut, nullptr, 0};
}

// The file itself: a part made new, or the device or pipe that is there. Null with the message in error.
static FILE* OpenFile(const TOutput& output, char* error, size_t errorSize) {
    char reason[256] = "";
    bool taken = false;
    FILE* file = output.Part.empty() ? OpenExistingFile(output.Path.c_str(), reason, sizeof reason)
                                     : CreateNewFile(output.Part.c_str(), &taken, reason, sizeof reason);
    if (file != nullptr) return file;
    if (taken) {
        std::snprintf(error, errorSize, "%s: '%s' exists: remove it or name another file",
                      output.Option.c_str(), output.Part.c_str());
    } else {
        std::snprintf(error, errorSize, "%s: '%s' cannot be written (%s)", output.Option.c_str(),
                      output.Path.c_str(), reason);
    }
    return nullptr;
}

bool CheckOutput(const TOutput& output, char* error, size_t errorSize) {
    const TFileKind kind = FileKindOf(output.Path.c_str());
    if (output.Path.empty() || kind == TFileKind::Directory) {
        std::snprintf(error, errorSize, "%s: '%s' %s", output.Option.c_str(), output.Path.c_str(),
                      output.Path.empty() ? "is no file name" : "is a directory");
        return false;
    }
    // Its part renamed onto it would replace a file whose mode protects it: the shell would not write it.
    if (kind == TFileKind::Regular && WriteProtected(output.Path.c_str())) {
        std::snprintf(error, errorSize, "%s: '%s' is write-protected: make it writable or name another file",
                      output.Option.c_str(), output.Path.c_str());
        return false;
    }
    // Opening a pipe to try it and closing it again would end its reader's input; it is opened once, to run.
    if (kind == TFileKind::Pipe) return true;
    FILE* file = OpenFile(output, error, errorSize);
    if (file == nullptr) return false;
    std::fclose(file);
    if (!output.Part.empty()) RemoveFile(output.Part.c_str());
    return true;
}

bool OpenOutput(TOutput* output, char* error, size_t errorSize) {
    output->File = OpenFile(*output, error, errorSize);
    if (output->File != nullptr && !output->Part.empty()) output->Made = 1;
    return output->File != nullptr;
}

bool CloseOutput(TOutput* output, char* error, size_t errorSize) {
    if (output->File == nullptr) return true;
    const bool closed = std::fclose(output->File) == 0;
    output->File = nullptr;
    if (!closed) {
        std::snprintf(error, errorSize, "%s: writing '%s' failed (%s)", output->Option.c_str(),
                      output->Path.c_str(), std::strerror(errno));
    }
    return closed;
}

bool PlaceOutput(TOutput* output, char* error, size_t errorSize) {
    if (!output->Made) return true;
    char reason[256] = "";
    if (!RenameOnto(output->Part.c_str(), output->Path.c_str(), reason, sizeof reason)) {
        std::snprintf(error, errorSize, "%s: '%s' cannot be renamed onto '%s' (%s)", output->Option.c_str(),
                      output->Part.c_str(), output->Path.c_str(), reason);
        return false;
    }
    output->Made = 0;
    return true;
}

void DropOutput(TOutput* output) {
    if (output->File != nullptr) std::fclose(output->File);
    output->File = nullptr;
    if (output->Made) RemoveFile(output->Part.c_str());
    output->Made = 0;
}

static std::vector<TOutput>* volatile Guarded;

// From a signal handler, or from Xlib's handler of a lost display: only renames and removals.
static void SaveWhatACutRunKeeps() {
    std::vector<TOutput>* outputs = Guarded;
    if (outputs == nullptr) return;
    for (TOutput& output : *outputs) {
        if (!output.Made) continue;
        if (output.KeptWhenCut) {
            RenameOnto(output.Part.c_str(), output.Path.c_str(), nullptr, 0);
        } else {
            RemoveFile(output.Part.c_str());
        }
        output.Made = 0;
    }
}

void GuardOutputs(std::vector<TOutput>* outputs) {
    Guarded = outputs;
    CatchEndingSignals(SaveWhatACutRunKeeps);
    SetDisplayLostHook(SaveWhatACutRunKeeps);
}

void UnguardOutputs() {
    SetDisplayLostHook(nullptr);
    ReleaseEndingSignals();
    Guarded = nullptr;
}
