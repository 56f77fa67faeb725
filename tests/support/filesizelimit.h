#pragma once

// A full disk for tests: files may not grow beyond a limit.

#include <csignal>
#include <sys/resource.h>

// Files may not grow beyond `bytes` while this lives; the signal the kernel
// sends on reaching the limit is ignored, so writes fail with EFBIG instead.
// Unlike a read-only folder this also binds root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return m_active; }

private:
    struct rlimit m_old {};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};
