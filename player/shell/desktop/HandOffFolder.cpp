#include "HandOff.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace handofffolder {

std::optional<std::string> faultOf(const std::string& folder, unsigned uid)
{
#ifdef _WIN32
    // The runtime folder is inside the user's own profile there.
    (void)folder;
    (void)uid;
    return std::nullopt;
#else
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return std::string("cannot be read: ") + std::strerror(errno);
    if (!S_ISDIR(status.st_mode)) return std::string("is not a folder");
    if (status.st_uid != uid) return std::string("belongs to another user");
    if ((status.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(status.st_mode & 07777));
        return std::string("is open to other users (mode ") + mode + ")";
    }
    return std::nullopt;
#endif
}

std::optional<std::string> choose(const std::string& runtimeFolder, const std::string& temporaryFolder, unsigned uid,
                                  std::string& why)
{
    if (!runtimeFolder.empty() && !faultOf(runtimeFolder, uid)) return runtimeFolder;
    const std::string own = temporaryFolder + "/sonorbox-" + std::to_string(uid);
#ifndef _WIN32
    // Made by us or found: either way checked, since another user may have
    // made it first.
    ::mkdir(own.c_str(), 0700);
#endif
    if (const auto fault = faultOf(own, uid)) {
        why = own + " " + *fault;
        return std::nullopt;
    }
    return own;
}

} // namespace handofffolder
