// pace_reader: drains a named pipe at a sound card's pace, so that the bench's sound device
// takes samples in real time. ALSA's file plugin over the null device takes them as fast as
// Wine's mixer can make them (several times real time), which would bill the program for
// mixing far more sound than anyone hears. Writes into the pipe block once it is full; the
// writer is then held to the pace below.
//
//   pace_reader FIFO BYTES_PER_SECOND
//
// Runs until it is killed. The pipe is opened for reading and writing, so a player closing
// its device (and a new one opening it) never ends the run.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr long TickNanoseconds = 10'000'000;   // a period of 10 ms, like a sound card's
constexpr int64_t NanosecondsPerSecond = 1'000'000'000;
// Time the card does not get back: after a pause in the stream it takes at most this much
// more than the pace, as a card's own buffer would.
constexpr int64_t MaxCreditNanoseconds = 50'000'000;

int64_t Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * NanosecondsPerSecond + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pace_reader FIFO BYTES_PER_SECOND\n");
        return 2;
    }
    const int64_t rate = std::atoll(argv[2]);
    const int fd = open(argv[1], O_RDWR | O_NONBLOCK);
    if (fd < 0 || rate <= 0) {
        std::perror("pace_reader");
        return 1;
    }
    static char buffer[1 << 16];
    const int64_t maxCredit = rate * MaxCreditNanoseconds / NanosecondsPerSecond;
    int64_t credit = 0;
    int64_t last = Now();
    for (;;) {
        timespec pause{0, TickNanoseconds};
        nanosleep(&pause, nullptr);
        const int64_t now = Now();
        credit += rate * (now - last) / NanosecondsPerSecond;
        last = now;
        if (credit > maxCredit) credit = maxCredit;
        while (credit > 0) {
            const size_t want = credit < static_cast<int64_t>(sizeof buffer)
                                    ? static_cast<size_t>(credit)
                                    : sizeof buffer;
            const ssize_t got = read(fd, buffer, want);
            if (got <= 0) {
                if (got < 0 && errno != EAGAIN && errno != EINTR) return 1;
                break;
            }
            credit -= got;
        }
    }
}
