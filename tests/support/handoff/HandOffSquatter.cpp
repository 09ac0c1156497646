// A stand-in for a hostile local user's program: it listens on a local socket
// at the path it is given, answers every connection as a running player or
// Glint Gatherer would ("\x01" and "done\n"), and appends all it is sent to
// a log, so that a test sees whether anything reached it.
//
//   handoff-squatter SOCKET LOG     (LOG.ready appears once it listens)
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    std::signal(SIGPIPE, SIG_IGN);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return 1;
    ::chmod(argv[1], 0777); // anyone may connect
    if (::listen(server, 16) != 0) return 1;
    std::ofstream(std::string(argv[2]) + ".ready") << "listening\n";
    for (;;) {
        const int client = ::accept(server, nullptr, nullptr);
        if (client < 0) continue;
        timeval patience{2, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        char received[65536];
        const ssize_t size = ::read(client, received, sizeof received);
        if (size > 0) std::ofstream(argv[2], std::ios::app | std::ios::binary).write(received, size);
        static const char answer[] = "\x01"
                                     "done\n";
        [[maybe_unused]] const ssize_t sent = ::write(client, answer, sizeof answer - 1);
        ::close(client);
    }
}
