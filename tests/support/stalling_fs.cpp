// A small read-only FUSE file system for the tests of volumes that stop answering: a
// folder DCIM with one file in it. Stopped with SIGSTOP, it behaves as a network share
// whose server is gone or a USB stick pulled mid-way: every question to it waits.
//
//   stalling_fs -f -s <mount point>

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>

namespace {

constexpr std::string_view Folder = "/DCIM";
constexpr std::string_view File = "/DCIM/a.jpg";
constexpr std::string_view Content = "not a picture\n";

int getAttributes(const char* path, struct stat* info, fuse_file_info*) {
    std::memset(info, 0, sizeof *info);
    const std::string_view name = path;
    if (name == "/" || name == Folder) {
        info->st_mode = S_IFDIR | 0755;
        info->st_nlink = 2;
    } else if (name == File) {
        info->st_mode = S_IFREG | 0644;
        info->st_nlink = 1;
        info->st_size = off_t(Content.size());
    } else {
        return -ENOENT;
    }
    return 0;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
    const std::string_view name = path;
    if (name != "/" && name != Folder) {
        return -ENOENT;
    }
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags(0));
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags(0));
    fill(buffer, name == "/" ? "DCIM" : "a.jpg", nullptr, 0, fuse_fill_dir_flags(0));
    return 0;
}

int openFile(const char* path, fuse_file_info* file) {
    if (std::string_view(path) != File) {
        return -ENOENT;
    }
    return (file->flags & O_ACCMODE) == O_RDONLY ? 0 : -EACCES;
}

int readFile(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info*) {
    if (std::string_view(path) != File) {
        return -ENOENT;
    }
    if (offset >= off_t(Content.size())) {
        return 0;
    }
    const size_t count = std::min(size, Content.size() - size_t(offset));
    std::memcpy(buffer, Content.data() + offset, count);
    return int(count);
}

} // namespace

int main(int argc, char** argv) {
    fuse_operations operations{};
    operations.getattr = getAttributes;
    operations.readdir = readFolder;
    operations.open = openFile;
    operations.read = readFile;
    return fuse_main(argc, argv, &operations, nullptr);
}
