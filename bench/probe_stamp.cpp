// The probe that the start-latency benchmarks start: the first thing its main
// does is read the wall clock; it appends that time (nanoseconds since the
// epoch) as one line to the file named by its argument.
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    if (argc < 2) return 2;
    const int fd = ::open(argv[1], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return 1;
    char line[32];
    const int n =
        std::snprintf(line, sizeof line, "%lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
    const bool ok = ::write(fd, line, static_cast<std::size_t>(n)) == n;
    ::close(fd);
    return ok ? 0 : 1;
}
