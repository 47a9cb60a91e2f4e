// The capture tool's output file: the checks cp would make before the render, and the write.
// A replaced file keeps its permissions, its access control list and user attributes and,
// where allowed, its owner and group; it gets a new inode, as with cp --remove-destination, so
// other hard links to the old file keep the old picture. It is synced before it replaces the
// old one, so that a crash of the machine cannot leave a partial PNG under the name either.

#include "platform/linux/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

// The prepared output: the path as given, the file it names once links are followed, its
// directory (open, for the temporary file's name relative to it, so that a path as long as
// the system allows still has room for one) and what stood there before.
static std::string outputPath, outputFile, outputName;
static bool writtenInPlace = false, existed = false;
static struct stat existing {};
static int directoryFd = -1, temporaryFd = -1;
static char temporaryName[32];
static volatile std::sig_atomic_t temporaryExists = 0;

static std::string CannotWrite(int error)
{
    return "cannot write " + Quoted(outputPath) + ": " + std::strerror(error);
}

void RemoveTemporaryOutput()
{
    if (temporaryExists) unlinkat(directoryFd, temporaryName, 0);
    temporaryExists = 0;
}

// As the kernel's protected_symlinks (off on some systems) would: a link in a sticky directory
// that others may write is followed only by its owner, or where the directory's owner owns it
// too. Otherwise another user could make root write wherever the link points.
static bool FollowedSafely(const std::string& link, const struct stat& linkStatus)
{
    const std::size_t slash = link.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : link.substr(0, slash);
    struct stat parent {};
    if (stat(directory.c_str(), &parent) != 0) return true;
    const bool shared = (parent.st_mode & S_ISVTX) && (parent.st_mode & S_IWOTH);
    return !shared || linkStatus.st_uid == geteuid() || linkStatus.st_uid == parent.st_uid;
}

// The file a path names once its symbolic links are followed, as far as they lead (a link may
// name a file yet to be made); the path itself where the links go round for too long, or a
// link may not be followed (error set).
static std::string FollowLinks(std::string path, int& error)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
        if (!FollowedSafely(path, link)) {
            error = EACCES;
            return path;
        }
        std::string target(std::size_t(link.st_size > 0 ? link.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return path;
        target.resize(std::size_t(length));
        const std::size_t slash = path.rfind('/');
        if (target[0] == '/' || slash == std::string::npos) {
            path = target;
        } else {
            path.resize(slash + 1);
            path += target;
        }
    }
    error = ELOOP;
    return path;
}

// A name of its own in the target's directory, made only if no file has it yet; 0 or the
// error. No signal comes between the file's making and its noting, so a signal handler removes
// this run's file and never another's of that name.
static int MakeTemporary()
{
    static bool removedAtExit = false;
    if (!removedAtExit) removedAtExit = std::atexit(RemoveTemporaryOutput) == 0;
    sigset_t all, previous;
    sigfillset(&all);
    int error = EEXIST;
    for (unsigned attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
        std::snprintf(temporaryName, sizeof temporaryName, ".vellum-%d-%u", int(getpid()), attempt);
        sigprocmask(SIG_BLOCK, &all, &previous);
        temporaryFd = openat(directoryFd, temporaryName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        error = temporaryFd < 0 ? errno : 0;
        temporaryExists = temporaryFd >= 0;
        sigprocmask(SIG_SETMASK, &previous, nullptr);
    }
    return error;
}

// What the replaced file had besides its bytes, given to the file that replaces it: owner and
// group where allowed (only root may give a file away; a member of the file's group may keep
// it), permissions, the access control list (after the permissions, whose group bits it sets
// to its mask) and the user's extended attributes. Other attributes (security labels) are the
// system's to give the new file.
static int KeepAttributes(int fd)
{
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0 && errno == EPERM && fchown(fd, uid_t(-1), existing.st_gid) != 0 &&
        errno != EPERM)
        return errno;
    if (fchmod(fd, existing.st_mode & 0777) != 0) return errno;
    const ssize_t size = listxattr(outputFile.c_str(), nullptr, 0);
    std::vector<char> names(size > 0 ? std::size_t(size) : 0);
    const ssize_t listed = size > 0 ? listxattr(outputFile.c_str(), names.data(), names.size()) : 0;
    for (ssize_t at = 0; at < listed; at += ssize_t(std::strlen(&names[std::size_t(at)])) + 1) {
        const char* name = &names[std::size_t(at)];
        if (std::strncmp(name, "user.", 5) != 0 && std::strcmp(name, "system.posix_acl_access") != 0) continue;
        const ssize_t length = getxattr(outputFile.c_str(), name, nullptr, 0);
        std::vector<char> value(length > 0 ? std::size_t(length) : 0);
        if (length >= 0 && getxattr(outputFile.c_str(), name, value.data(), value.size()) == length)
            fsetxattr(fd, name, value.data(), value.size(), 0);  // as cp, best effort where the file system has none
    }
    return 0;
}

std::string PrepareOutput(const std::string& path)
{
    outputPath = path;
    RemoveTemporaryOutput();
    if (temporaryFd >= 0) close(temporaryFd);
    temporaryFd = -1;
    if (directoryFd >= 0) close(directoryFd);
    directoryFd = -1;
    existed = stat(path.c_str(), &existing) == 0;
    const bool missing = !existed && errno == ENOENT;
    writtenInPlace = existed && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode);
    struct stat named {};
    if (missing && lstat(path.c_str(), &named) == 0 && S_ISLNK(named.st_mode))
        return "not writing through dangling symlink " + Quoted(path);
    if (existed && S_ISSOCK(existing.st_mode)) return CannotWrite(ENXIO);
    int linkError = 0;
    const std::string file = outputFile = writtenInPlace ? path : FollowLinks(path, linkError);
    const std::size_t slash = file.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    outputName = slash == std::string::npos ? file : file.substr(slash + 1);
    if (linkError) return CannotWrite(linkError);
    if (path.size() >= PATH_MAX || file.size() >= PATH_MAX || outputName.size() > NAME_MAX) return CannotWrite(ENAMETOOLONG);
    if (existed && S_ISDIR(existing.st_mode)) return CannotWrite(EISDIR);
    if (existed && access(path.c_str(), W_OK) != 0) return CannotWrite(errno);
    if (writtenInPlace) return "";
    directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0) return CannotWrite(errno);
    // The file is replaced through a new one beside it, so its directory must take one.
    const auto inDirectory = [&](int error) {
        return "cannot write " + Quoted(path) + ": the directory " + Quoted(directory) + ": " + std::strerror(error);
    };
    if (faccessat(directoryFd, ".", W_OK | X_OK, 0) != 0) return inDirectory(errno);
    const int error = MakeTemporary();
    return error == 0 ? "" : error == EACCES || error == EROFS ? inDirectory(error) : CannotWrite(error);
}

std::string WriteOutput(bool (*write)(std::FILE* file, const std::uint8_t* data), const std::uint8_t* data)
{
    const int fd = writtenInPlace ? open(outputPath.c_str(), O_WRONLY | O_CLOEXEC) : temporaryFd;
    temporaryFd = -1;
    auto failed = [](int error) {
        RemoveTemporaryOutput();
        return CannotWrite(error);
    };
    if (fd < 0) return failed(writtenInPlace ? errno : EBADF);
    auto closedAndFailed = [&](int error) {
        close(fd);
        return failed(error);
    };
    if (!writtenInPlace) {
        // A new file gets the usual permissions, not the private ones it was made with.
        const mode_t mask = umask(0);
        umask(mask);
        const int error = existed ? KeepAttributes(fd) : fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
        if (error != 0) return closedAndFailed(error);
    }
    std::FILE* file = fdopen(fd, "wb");
    if (!file) return closedAndFailed(errno);
    errno = 0;
    bool written = write(file, data);
    int writeError = errno ? errno : EIO;
    if (written && !writtenInPlace && (std::fflush(file) != 0 || fsync(fd) != 0)) written = false, writeError = errno;
    if (std::fclose(file) != 0) return failed(written ? errno : writeError);
    if (!written) return failed(writeError);
    if (!writtenInPlace && renameat(directoryFd, temporaryName, directoryFd, outputName.c_str()) != 0) return failed(errno);
    temporaryExists = 0;
    return "";
}
