// Makes a tunnel interface that the kernel reports as a PPP link (link type
// 512), prints "ready <name>" and keeps it until its standard input closes
// or a signal ends it; the interface then vanishes, like a hang-up.
// "tun_ppp wwan0 raw" keeps the tunnel's own link type NONE (raw IP), as a
// mobile-broadband modem's interface has.
// Exit 77: the tunnel device cannot be had here.
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
  for (char ignored = 0; ::read(STDIN_FILENO, &ignored, 1) > 0;) {
  }
  ::close(fd);
  return 0;
}
