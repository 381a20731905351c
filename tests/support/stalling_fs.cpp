// A FUSE file system for the tests of volumes that stop answering: one empty folder, DCIM.
// Stopped with SIGSTOP, it behaves as a share whose server is gone or a pulled USB stick:
// every question to it waits.
//
//   stalling_fs -f -s <mount point>

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

int getAttributes(const char* path, struct stat* info, fuse_file_info*) {
    std::memset(info, 0, sizeof *info);
    const std::string_view name = path;
    if (name != "/" && name != "/DCIM") {
        return -ENOENT;
    }
    info->st_mode = S_IFDIR | 0755;
    info->st_nlink = 2;
    return 0;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
    const std::string_view name = path;
    if (name != "/" && name != "/DCIM") {
        return -ENOENT;
    }
    for (const char* entry : {".", "..", name == "/" ? "DCIM" : nullptr}) {
        if (entry != nullptr) {
            fill(buffer, entry, nullptr, 0, fuse_fill_dir_flags(0));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    fuse_operations operations{};
    operations.getattr = getAttributes;
    operations.readdir = readFolder;
    return fuse_main(argc, argv, &operations, nullptr);
}
