// Kept apart from every file that includes <termios.h>: the kernel's
// termios2 definitions clash with the C library's.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace platform {

int setCustomSpeed(int fd, int baudRate)
{
    if (baudRate <= 0)
        return EINVAL;
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return errno;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = unsigned(baudRate);
    tio.c_ospeed = unsigned(baudRate);
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return errno;
    return 0;
}

}  // namespace platform
