// A file system whose one file stops answering, as a hung network mount
// does: while the flag file exists, every look at "slow.txt" waits 60 s.
//
//   slow_mount <flag file> <mount point>     (in the foreground; fusermount3 -u ends it)

#define FUSE_USE_VERSION 31
#include <fuse3/fuse.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string flagFile;

bool isSlow(const char *path)
{
    return std::strcmp(path, "/slow.txt") == 0;
}

int getAttributes(const char *path, struct stat *st, fuse_file_info *)
{
    std::memset(st, 0, sizeof *st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (!isSlow(path) && std::strcmp(path, "/fast.txt") != 0)
        return -ENOENT;
    if (isSlow(path) && ::access(flagFile.c_str(), F_OK) == 0)
        ::sleep(60);
    st->st_mode = S_IFREG | 0644;
    st->st_nlink = 1;
    st->st_size = 1;
    st->st_uid = ::getuid();
    st->st_gid = ::getgid();
    return 0;
}

int listFolder(const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags)
{
    if (std::strcmp(path, "/") != 0)
        return -ENOENT;
    for (const char *name : {".", "..", "fast.txt", "slow.txt"})
        fill(buffer, name, nullptr, 0, fuse_fill_dir_flags(0));
    return 0;
}

int openFile(const char *path, fuse_file_info *)
{
    return isSlow(path) || std::strcmp(path, "/fast.txt") == 0 ? 0 : -ENOENT;
}

int readFile(const char *, char *buffer, size_t size, off_t offset, fuse_file_info *)
{
    if (offset > 0 || size == 0)
        return 0;
    buffer[0] = 'x';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    flagFile = argv[1];
    fuse_operations operations{};
    operations.getattr = getAttributes;
    operations.readdir = listFolder;
    operations.open = openFile;
    operations.read = readFile;
    char *fuseArguments[] = {argv[0], const_cast<char *>("-f"), argv[2], nullptr};
    return fuse_main(3, fuseArguments, &operations, nullptr);
}
