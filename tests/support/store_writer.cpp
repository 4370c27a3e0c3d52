// Another program writing base.ini without any lock, as the Windows profile
// functions, editors and scripts do. Plain POSIX calls, nothing of this
// program's own code.
//
//   store_writer <mode> <file> <prefix> <count> <pause ms> [longest hold ms]
//
// Writes the lines "<prefix><i>=1" for i < count, one every <pause ms>:
//   append   opens, appends one line, closes
//   slow     opens, waits 3 ms up to <longest hold ms>, appends, closes
//   held     opens once and appends every line through that one handle
//   rewrite  opens, reads the whole file, truncates it and writes it back
//            with one more line, in place
// Prints "ready" once it started (in held mode, once the file is open).

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

bool writeAll(int fd, const std::string &bytes, off_t at = -1)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = at < 0 ? ::write(fd, bytes.data() + done, bytes.size() - done)
                                 : ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool rewriteInPlace(const char *file, const std::string &line)
{
    const int fd = ::open(file, O_RDWR);
    if (fd < 0)
        return false;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
    }
    if (!text.empty() && text.back() != '\n')
        text += "\r\n";
    text += line;
    const bool ok = ::ftruncate(fd, 0) == 0 && writeAll(fd, text, 0);
    return ::close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: store_writer append|slow|held|rewrite <file> <prefix> <count> <pause ms>"
                             " [longest hold ms]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const char *file = argv[2];
    const std::string prefix = argv[3];
    const int count = std::atoi(argv[4]);
    const int pauseMs = std::atoi(argv[5]);
    const int longestHold = argc > 6 ? std::max(3, std::atoi(argv[6])) : 20;
    const auto line = [&](int i) { return prefix + std::to_string(i) + "=1\r\n"; };

    int held = -1;
    if (mode == "held" && (held = ::open(file, O_WRONLY | O_APPEND)) < 0)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        if (mode == "held") {
            ok = writeAll(held, line(i));
        } else if (mode == "rewrite") {
            ok = rewriteInPlace(file, line(i));
        } else if (mode == "append" || mode == "slow") {
            const int fd = ::open(file, O_WRONLY | O_APPEND);
            if (fd >= 0) {
                if (mode == "slow")
                    pause(3 + i % (longestHold - 2));
                ok = writeAll(fd, line(i));
                ok = ::close(fd) == 0 && ok;
            }
        } else {
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "store_writer: record %d: %s\n", i, std::strerror(errno));
            return 1;
        }
        pause(pauseMs);
    }
    return held < 0 || ::close(held) == 0 ? 0 : 1;
}
