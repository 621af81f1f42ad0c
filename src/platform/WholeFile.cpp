#include "platform/WholeFile.h"

#include <cerrno>
#include <cstring>

#include "platform/System.h"

bool MakeFolderAndParent(const std::string& folder, char* reason, size_t reasonSize) {
    const size_t last = folder.find_last_of("/\\");
    if (last != std::string::npos && last > 0) {
        const std::string above = folder.substr(0, last);
        if (FileKindOf(above.c_str()) == TFileKind::Missing && !MakeFolder(above.c_str(), reason, reasonSize))
            return false;
    }
    return MakeFolder(folder.c_str(), reason, reasonSize);
}

std::FILE* CreatePartFile(const std::string& path, char* reason, size_t reasonSize) {
    const std::string part = path + ".part";
    bool taken = false;
    std::FILE* file = CreateNewFile(part.c_str(), &taken, reason, reasonSize);
    if (file == nullptr && taken) {
        RemoveFile(part.c_str());
        file = CreateNewFile(part.c_str(), &taken, reason, reasonSize);
    }
    return file;
}

bool FinishPartFile(std::FILE* file, const std::string& path, bool good, char* reason, size_t reasonSize) {
    const std::string part = path + ".part";
    if (std::fclose(file) != 0 && good) {
        good = false;
        std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
    }
    good = good && RenameOnto(part.c_str(), path.c_str(), reason, reasonSize);
    if (!good) RemoveFile(part.c_str());
    return good;
}
