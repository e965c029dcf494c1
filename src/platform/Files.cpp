#include "Files.h"

#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace muralto {

namespace {

std::string Describe(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

} // namespace

std::string ReadWholeFile(const std::string& path) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError(Describe(path, errno));
    struct stat st {};
    if (fstat(fd.get(), &st) != 0)
        throw FileError(Describe(path, errno));
    if (!S_ISREG(st.st_mode))
        throw FileError(path + ": not a regular file");
    std::string bytes;
    bytes.reserve(size_t(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(Describe(path, errno));
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
    }
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    WriteFileAtomically(path, std::vector<std::string_view>{bytes});
}

void WriteFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces) {
    std::string temp = FolderOf(path) + "." + NameOf(path) + ".XXXXXX";
    Descriptor fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError(Describe(path, errno));
    auto fail = [&](int error) {
        unlink(temp.c_str());
        throw FileError(Describe(path, error));
    };
    for (const std::string_view bytes : pieces)
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno);
            }
            done += size_t(n);
        }
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (fchmod(fd.get(), mode) != 0 || fsync(fd.get()) != 0)
        fail(errno);
    if (close(fd.release()) != 0)
        fail(errno);
    if (rename(temp.c_str(), path.c_str()) != 0)
        fail(errno);
}

std::string KeepAside(const std::string& path) {
    if (!FileExists(path))
        return {};
    std::string target = path + ".damaged";
    for (int n = 2; FileExists(target); ++n)
        target = path + "." + std::to_string(n) + ".damaged";
    if (rename(path.c_str(), target.c_str()) != 0)
        throw FileError(Describe(path, errno));
    return target;
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

} // namespace muralto

namespace muralto {

bool RenameFile(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

bool MoveToTrash(const std::string& path) {
    if (!FileExists(path) && !FolderExists(path))
        return false;
    // The Trash lives in the user's data folder, which a fresh account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return QFile::moveToTrash(QString::fromStdString(path));
}

} // namespace muralto
