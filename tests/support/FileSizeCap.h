#pragma once
// Caps the size of any file this process writes, the way a full disk would stop a write. The
// write then fails with EFBIG instead of the process being killed by SIGXFSZ.

#include <csignal>

#include <sys/resource.h>

class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit capped = m_old;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    rlimit m_old{};
};
