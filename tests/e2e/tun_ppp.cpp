// Makes a tunnel interface that the kernel reports as a PPP link (link type
// 512), prints "ready <name>" and keeps it until its standard input closes
// or a signal ends it; the interface then vanishes, like a hang-up.
// "tun_ppp wwan0 raw" keeps the tunnel's own link type NONE (raw IP), as a
// mobile-broadband modem's interface has.
// Like the far end of a line, it sends back every IPv4 UDP datagram sent
// through it, to the port it came from, so traffic both ways can be made
// and counted.
// Exit 77: the tunnel device cannot be had here.
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Turns an IPv4 UDP datagram into its answer in place: addresses and ports
// swapped, which leaves both checksums as they were (a sum of 16-bit words
// does not depend on their order). False for anything else.
bool answerDatagram(unsigned char* packet, size_t length) {
  if (length < 28 || packet[0] >> 4 != 4 || packet[9] != 17) return false;  // IPv4, UDP
  const size_t header = static_cast<size_t>(packet[0] & 0x0F) * 4;
  if (header < 20 || length < header + 8) return false;
  std::swap_ranges(packet + 12, packet + 16, packet + 16);
  std::swap_ranges(packet + header, packet + header + 2, packet + header + 2);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr unsigned long kLinkTypePpp = 512;  // ARPHRD_PPP
  auto fail = [](const char* what, int status) {
    std::fprintf(stderr, "tun_ppp: cannot %s: %s\n", what, std::strerror(errno));
    return status;
  };
  const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
  if (fd < 0) return fail("open /dev/net/tun", 77);
  ifreq request{};
  request.ifr_flags = IFF_TUN | IFF_NO_PI;
  std::strncpy(request.ifr_name, argc > 1 ? argv[1] : "ppp0", IFNAMSIZ - 1);
  if (::ioctl(fd, TUNSETIFF, &request) < 0) return fail("create the interface", 77);
  // The link type can only change while the interface is down, so before
  // anyone brings it up.
  const bool rawIp = argc > 2 && std::strcmp(argv[2], "raw") == 0;
  if (!rawIp && ::ioctl(fd, TUNSETLINK, kLinkTypePpp) < 0) return fail("set link type PPP", 1);
  std::printf("ready %s\n", request.ifr_name);
  std::fflush(stdout);
  static unsigned char packet[65536];
  for (;;) {
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {fd, POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (watched[0].revents != 0) {
      char ignored = 0;
      if (::read(STDIN_FILENO, &ignored, 1) <= 0) break;
    }
    if ((watched[1].revents & POLLIN) != 0) {
      const ssize_t got = ::read(fd, packet, sizeof packet);
      if (got > 0 && answerDatagram(packet, static_cast<size_t>(got))) {
        if (::write(fd, packet, static_cast<size_t>(got)) < 0) std::perror("tun_ppp: answer");
      }
    }
  }
  ::close(fd);
  return 0;
}
