#pragma once

// Another process holding many descriptors open, as a desktop with a browser
// does: what the port probe has to look through. Released when destroyed.

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class DescriptorHolder {
public:
    explicit DescriptorHolder(int count)
    {
        int ready[2];
        int hold[2];
        if (pipe(ready) != 0 || pipe(hold) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(hold[1]);
            close(ready[0]);
            rlimit limit{};
            getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, rlim_t(count) + 64);
            setrlimit(RLIMIT_NOFILE, &limit);
            int opened = 0;
            for (int i = 0; i < count; ++i)
                opened += open("/dev/null", O_RDONLY) >= 0 ? 1 : 0;
            if (write(ready[1], &opened, sizeof opened) != sizeof opened)
                _exit(1);
            char c;
            while (read(hold[0], &c, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(hold[0]);
        if (read(ready[0], &m_opened, sizeof m_opened) != sizeof m_opened)
            m_opened = 0;
        close(ready[0]);
        m_release = hold[1];
    }
    ~DescriptorHolder()
    {
        if (m_release >= 0)
            close(m_release);
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }
    DescriptorHolder(const DescriptorHolder&) = delete;
    DescriptorHolder& operator=(const DescriptorHolder&) = delete;

    int opened() const { return m_opened; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    int m_opened = 0;
};
